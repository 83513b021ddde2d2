#include "datasheet/datasheet.hpp"

#include "datasheet/annual_section.hpp"
#include "datasheet/psychro_chart.hpp"
#include "datasheet/report_html.hpp"

namespace novaflux {

std::string datasheet_html(const RatedRequest& rated, const AnnualStudy* annual) {
  return report_html(rated.view(), datasheet_chart_svg(rated), annual ? annual_section_html(*annual) : std::string());
}

Sheet make_datasheet(const SheetRequest& request) {
  Sheet sheet;
  const RatedRequest rated = rate_request(request.rating);
  sheet.failed = rated.failed();
  if (!request.weather || rated.failed()) {
    sheet.year_left_out = request.weather != nullptr;
    sheet.html = datasheet_html(rated);
    return sheet;
  }
  AnnualOptions annual = request.annual;
  annual.model = request.rating.model;
  const AnnualStudy study = run_annual_study(request.rating.input, *request.weather, annual);
  sheet.failed = study.failed_hours() > 0;
  sheet.html = datasheet_html(rated, &study);
  return sheet;
}

std::string datasheet_chart_svg(const RatedRequest& rated) { return chart_svg(chart_input(rated.first_result())); }

}  // namespace novaflux
