#pragma once
// The datasheet of a rating as one self-contained HTML page: inline CSS and SVG, no script,
// nothing fetched, laid out to print on one A4 page.
#include <string>

#include "novaflux/result_view.hpp"

namespace novaflux {

// chart_svg: a standalone SVG document (its XML declaration is dropped when embedded).
// extra_html: sections after the chart, each starting a new page when printed.
std::string report_html(const ResultView& view, const std::string& chart_svg, const std::string& extra_html = {});

}  // namespace novaflux
