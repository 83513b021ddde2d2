#include "datasheet/report_html.hpp"

#include <string>
#include <vector>

#include "datasheet/svg_writer.hpp"
#include "novaflux/version.hpp"

namespace novaflux {

namespace {

// Print geometry: A4 with 8 mm margins leaves 194 x 281 mm; the body is set in 7.5 pt.
constexpr const char* kStyle = R"(
@page { size: A4; margin: 8mm; }
* { box-sizing: border-box; }
html { background: #fff; }
body { margin: 0 auto; max-width: 194mm; font: 7.5pt/1.25 "DejaVu Sans", Arial, sans-serif; color: #1b2631; }
header { display: flex; justify-content: space-between; align-items: baseline; border-bottom: 1.5pt solid #1f5fa8; margin-bottom: 2mm; }
h1 { font-size: 12pt; margin: 0 0 1mm 0; }
header .model { font-size: 10pt; font-weight: bold; color: #1f5fa8; }
h2 { font-size: 8.5pt; margin: 0 0 0.8mm 0; color: #1f5fa8; }
.grid { display: grid; grid-template-columns: minmax(0, 1fr) minmax(0, 1fr); gap: 2mm 4mm; }
.cell > section + section { margin-top: 2mm; }
.wide { grid-column: 1 / 3; }
section { break-inside: avoid; }
table { border-collapse: collapse; width: 100%; }
th, td { padding: 0.25mm 0.8mm; border-bottom: 0.4pt solid #d5dde5; text-align: right; white-space: nowrap; }
th { background: #eef3f8; font-weight: bold; white-space: normal; vertical-align: bottom; }
th:first-child, td:first-child { text-align: left; }
table.states td:first-child { white-space: nowrap; }
td:first-child { white-space: normal; }
td.unit, th.unit, td.text { text-align: left; }
.chart svg { display: block; width: 100%; height: 84mm; }
.warnings p { margin: 0 0 0.8mm 0; }
.warnings .code { font-weight: bold; }
.failure { color: #a93226; font-weight: bold; }
section.annual { break-before: page; margin-top: 4mm; }
table.facts td { border: none; padding: 0.2mm 0.8mm; }
table.facts td.text { white-space: normal; }
table.months tr.total td { font-weight: bold; border-top: 0.8pt solid #1b2631; }
.annual p { margin: 1mm 0; }
.annual .chart svg { display: block; width: 100%; height: auto; margin-top: 2mm; }
footer { margin-top: 1.5mm; font-size: 6.5pt; color: #5d6d7e; }
)";

bool left_aligned(const std::string& heading) { return heading == "Unit" || heading == "Value"; }

void table(XmlWriter& html, const ViewTable& t) {
  html.open("section");
  html.element("h2", {}, t.title);
  // The air-state tables keep each stream on one line; their figures are short.
  html.open("table", {{"class", t.title.find("performance") != std::string::npos ? "states" : "values"}});
  html.open("tr");
  for (const auto& h : t.headings) html.element("th", {{"class", left_aligned(h) ? "unit" : "num"}}, h.empty() ? " " : h);
  html.close();
  for (const auto& row : t.rows) {
    html.open("tr");
    for (size_t c = 0; c < t.headings.size(); ++c) {
      const std::string cell = c < row.size() ? row[c] : std::string();
      html.element("td", {{"class", c > 0 && left_aligned(t.headings[c]) ? "unit" : "num"}}, cell.empty() ? " " : cell);
    }
    html.close();
  }
  html.close();
  html.close();
}

void warnings(XmlWriter& html, const ResultView& view) {
  html.open("section", {{"class", "warnings"}});
  html.element("h2", {}, "Warnings");
  if (view.warnings.empty() && !view.failure) html.element("p", {}, "None: the rating completed without warnings.");
  for (const auto& w : view.warnings) {
    html.open("p");
    html.element("span", {{"class", "code"}}, std::to_string(w.code) + ": ");
    html.element("span", {}, w.text + (w.explanation.empty() ? "" : ". " + w.explanation));
    html.close();
  }
  if (view.failure)
    html.element("p", {{"class", "failure"}},
                 "The rating failed (" + std::to_string(view.failure->number) + "): " + view.failure->description);
  html.close();
}

std::string without_xml_declaration(const std::string& svg) {
  if (svg.rfind("<?xml", 0) != 0) return svg;
  const auto end = svg.find("?>");
  return end == std::string::npos ? svg : svg.substr(end + 2);
}

const ViewTable* find(const ResultView& view, const std::string& title) {
  for (const auto& t : view.sections)
    if (t.title == title) return &t;
  return nullptr;
}

}  // namespace

std::string report_html(const ResultView& view, const std::string& chart_svg, const std::string& extra_html) {
  XmlWriter html;
  html.raw("<!DOCTYPE html>\n");
  html.open("html", {{"lang", "en"}});
  html.open("head");
  html.element("meta", {{"charset", "utf-8"}});
  html.element("title", {}, "Wheel datasheet: " + (view.model.empty() ? std::string("no model") : view.model));
  html.open("style");
  html.raw(kStyle);
  html.close();
  html.close();
  html.open("body");
  html.open("header");
  html.element("h1", {}, "Rotary heat-recovery wheel datasheet");
  html.element("span", {{"class", "model"}}, view.model.empty() ? std::string("no model") : view.model);
  html.close();
  html.open("main", {{"class", "grid"}});
  // Two columns of tables, then the chart across the page. Side-by-side tables of several
  // ratings are too wide for half the page: each takes a row of its own (two pages).
  const bool several = !view.sections.empty() && view.sections.front().headings.size() > 3;
  const std::vector<std::vector<std::string>> layout[] = {{{"Inputs"}, {"Selected model", "Leakage"}},
                                                          {{"Summer performance"}, {"Winter performance"}},
                                                          {{"Efficiencies"}, {"Face velocities and pressure drops"}},
                                                          {{"Recovered energy"}, {"Warnings", "EU Ecodesign"}}};
  for (const auto& row : layout) {
    bool wide = several;
    for (const auto& cell : row)
      for (const auto& title : cell)
        if (const ViewTable* t = find(view, title)) wide = wide || t->headings.size() > 6;
    for (const auto& cell : row) {
      html.open("div", {{"class", wide ? "cell wide" : "cell"}});
      for (const auto& title : cell) {
        if (title == "Warnings") warnings(html, view);
        else if (const ViewTable* t = find(view, title)) table(html, *t);
      }
      html.close();
    }
  }
  html.open("section", {{"class", "chart wide"}});
  html.element("h2", {}, "Psychrometric chart");
  html.raw(without_xml_declaration(chart_svg));
  html.close();
  html.raw(extra_html);
  html.close();
  html.element("footer", {}, std::string("Units: ") + (view.si ? "SI" : "IP") +
                                 ". Figures as published by the rating component, novaflux " + novaflux::version() +
                                 "; the frost check is the tool's own.");
  return html.finish();
}

}  // namespace novaflux
