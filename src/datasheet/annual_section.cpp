#include "datasheet/annual_section.hpp"

#include "datasheet/svg_writer.hpp"
#include "studies/annual_view.hpp"

namespace novaflux {

std::string annual_section_html(const AnnualStudy& study) {
  XmlWriter html;
  html.open("section", {{"class", "annual wide"}});
  html.element("h2", {}, "A year at the site");
  html.open("table", {{"class", "facts"}});
  for (const auto& [label, value] : annual_facts(study)) {
    html.open("tr");
    html.element("td", {}, label);
    html.element("td", {{"class", "text"}}, value);
    html.close();
  }
  html.close();
  const ViewTable t = annual_table(study);
  html.open("table", {{"class", "months"}});
  html.open("tr");
  for (const auto& h : t.headings) html.element("th", {}, h);
  html.close();
  for (const auto& row : t.rows) {
    html.open("tr", row.front() == "Year" ? Attributes{{"class", "total"}} : Attributes{});
    for (const auto& cell : row) html.element("td", {}, cell);
    html.close();
  }
  html.close();
  const PeriodSummary& y = study.year;
  std::string notes = "Stopped: " + std::to_string(y.hours(HourMode::Stopped)) + " h between the return-air temperatures, " +
                      std::to_string(y.hours(HourMode::FreeCooling)) + " h at or above the supply set point, " +
                      std::to_string(y.hours(HourMode::FrostStop)) + " h by frost control. Energy in full precision: supply "
                      "mass flow × enthalpy change of the supply air; fans at actual density.";
  if (study.failed_hours() > 0) notes += " " + std::to_string(study.failed_hours()) + " hours could not be rated.";
  html.element("p", {{"class", "notes"}}, notes);
  if (study.savings) html.element("p", {{"class", "saving"}}, annual_saving_text(study) + ".");
  html.open("div", {{"class", "chart"}});
  const std::string svg = annual_chart_svg(study);
  const auto start = svg.find("<svg");
  html.raw(start == std::string::npos ? svg : svg.substr(start));
  html.close();
  return html.finish();
}

}  // namespace novaflux
