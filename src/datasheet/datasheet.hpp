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

// The psychrometric chart of the first rating as a standalone SVG document.
std::string datasheet_chart_svg(const RatedRequest& rated);

}  // namespace novaflux
