#include "datasheet/datasheet.hpp"

#include "datasheet/annual_section.hpp"
#include "datasheet/psychro_chart.hpp"
#include "datasheet/report_html.hpp"

namespace novaflux {

std::string datasheet_html(const RatedRequest& rated, const AnnualStudy* annual) {
  return report_html(rated.view(), datasheet_chart_svg(rated), annual ? annual_section_html(*annual) : std::string());
}

std::string datasheet_chart_svg(const RatedRequest& rated) { return chart_svg(chart_input(rated.first_result())); }

}  // namespace novaflux
