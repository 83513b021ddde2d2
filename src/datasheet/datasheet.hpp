#pragma once
// The datasheet and the chart of a rated request, as `report` and `chart` write them and the
// server sends them.
#include <string>

#include "rating_json/rating_request.hpp"
#include "studies/annual_study.hpp"

namespace novaflux {

// One self-contained HTML page: every table of the rating (the shares side by side under
// rating conditions), the warnings and the psychrometric chart of the first rating; with a study,
// its annual section on a page of its own.
std::string datasheet_html(const RatedRequest& rated, const AnnualStudy* annual = nullptr);

// A datasheet as `report` makes it: the rating, and with a weather file the year at the site.
struct SheetRequest {
  RatingRequest rating;
  const WeatherFile* weather = nullptr;  // none: no annual section
  AnnualOptions annual;                  // its model is the rating's (none: the automatic choice)
};

struct Sheet {
  std::string html;
  bool failed = false;        // the rating, or an hour of the year, failed
  bool year_left_out = false; // a weather file was given but the rating failed: no annual section
};

// Rates the request (and the year); throws as rate_request and run_annual_study do for bad input.
Sheet make_datasheet(const SheetRequest& request);

// The psychrometric chart of the first rating as a standalone SVG document.
std::string datasheet_chart_svg(const RatedRequest& rated);

}  // namespace novaflux
