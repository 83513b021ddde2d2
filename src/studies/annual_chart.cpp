// The monthly chart of a study: per month, the heat and the cooling the wheel recovered beside
// the electric energy it cost (fans for its pressure drop and the rotor motor), as bars on one
// energy axis.
#include <algorithm>
#include <array>
#include <cmath>

#include "datasheet/svg_writer.hpp"
#include "studies/annual_view.hpp"
#include "studies/study_units.hpp"

namespace novaflux {

namespace {

constexpr const char* kFont = "font-family:DejaVu Sans,Arial,sans-serif";
constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
struct Series {
  const char* label;
  const char* colour;
  double PeriodSummary::*kwh;
};
const std::array<Series, 3> kSeries{{{"Heat recovered", "#c0392b", &PeriodSummary::heating_kwh},
                                     {"Cooling recovered", "#2471a3", &PeriodSummary::cooling_kwh},
                                     {"Electric (fans + motor)", "#7b7d7d", nullptr}}};

double value(const PeriodSummary& p, const Series& s) { return s.kwh ? p.*s.kwh : p.electric_kwh(); }

// A round step (1, 2 or 5 times a power of ten) giving about five intervals up to `top`.
double tick_step(double top) {
  if (!(top > 0)) return 1.0;
  const double raw = top / 5.0;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0})
    if (raw <= m * power) return m * power;
  return 10.0 * power;
}

}  // namespace

std::string annual_chart_svg(const AnnualStudy& s) {
  const StudyUnits u = study_units(s.si);
  const double width = 720, height = 300, left = 70, right = 700, top = 58, bottom = 262;
  double most = 0;
  for (const auto& m : s.months)
    for (const auto& series : kSeries) most = std::max(most, value(m, series) * u.per_kw);
  const double step = tick_step(most);
  const double axis_top = std::max(step, std::ceil(most / step) * step);
  const auto y = [&](double v) { return bottom - v / axis_top * (bottom - top); };

  XmlWriter svg;
  svg.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
  svg.open("svg", {{"xmlns", "http://www.w3.org/2000/svg"}, {"class", "annual-chart"},
                   {"viewBox", "0 0 720 300"}, {"width", coordinate(width)}, {"height", coordinate(height)}});
  svg.element("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "#ffffff"}});
  svg.element("text", {{"x", coordinate(left)}, {"y", "20"}, {"style", std::string(kFont) + ";font-size:14px;font-weight:bold"}},
              "Energy by month, " + std::string(u.energy) + ": " + s.model_name);
  // Legend.
  double x = left;
  svg.open("g", {{"style", std::string(kFont) + ";font-size:11px"}, {"fill", "#222"}});
  for (const auto& series : kSeries) {
    svg.element("rect", {{"x", coordinate(x)}, {"y", "32"}, {"width", "12"}, {"height", "12"}, {"fill", series.colour}});
    svg.element("text", {{"x", coordinate(x + 16)}, {"y", "42"}}, series.label);
    x += 30 + 7.0 * static_cast<double>(std::string(series.label).size());
  }
  svg.close();
  // Axes, grid and tick labels.
  svg.open("g", {{"style", std::string(kFont) + ";font-size:10px"}, {"fill", "#222"}});
  for (double v = 0; v <= axis_top + step / 2; v += step) {
    svg.element("line", {{"x1", coordinate(left)}, {"x2", coordinate(right)}, {"y1", coordinate(y(v))},
                         {"y2", coordinate(y(v))}, {"stroke", v == 0 ? "#333" : "#d5dde5"}, {"stroke-width", "1"}});
    svg.element("text", {{"x", coordinate(left - 6)}, {"y", coordinate(y(v) + 3.5)}, {"text-anchor", "end"}},
                rounded_text(v, 6));
  }
  svg.element("text", {{"x", "14"}, {"y", coordinate((top + bottom) / 2)}, {"text-anchor", "middle"},
                       {"transform", "rotate(-90 14 " + coordinate((top + bottom) / 2) + ")"}},
              std::string(u.energy));
  // Bars, three per month.
  const double slot = (right - left) / 12.0, bar = slot * 0.24;
  for (size_t m = 0; m < 12; ++m) {
    const double x0 = left + slot * static_cast<double>(m) + (slot - 3 * bar) / 2;
    for (size_t i = 0; i < kSeries.size(); ++i) {
      const double v = std::max(0.0, value(s.months[m], kSeries[i]) * u.per_kw);
      svg.open("rect", {{"x", coordinate(x0 + bar * static_cast<double>(i))}, {"y", coordinate(y(v))},
                        {"width", coordinate(bar)}, {"height", coordinate(bottom - y(v))}, {"fill", kSeries[i].colour}});
      svg.element("title", {}, std::string(kMonths[m]) + ", " + kSeries[i].label + ": " + rounded_text(v, 0) + " " + u.energy);
      svg.close();
    }
    svg.element("text", {{"x", coordinate(left + slot * (static_cast<double>(m) + 0.5))}, {"y", coordinate(bottom + 16)},
                         {"text-anchor", "middle"}},
                kMonths[m]);
  }
  const PeriodSummary& yr = s.year;
  svg.element("text", {{"x", coordinate(left)}, {"y", coordinate(bottom + 34)}, {"fill", "#444"}},
              "Year: heat " + rounded_text(yr.heating_kwh * u.per_kw, 0) + ", cooling " +
                  rounded_text(yr.cooling_kwh * u.per_kw, 0) + ", electric " +
                  rounded_text(yr.electric_kwh() * u.per_kw, 0) + " " + u.energy + "; " +
                  std::to_string(yr.operating_hours) + " operating hours, " + std::to_string(yr.frost_risk_hours) +
                  " with frost risk");
  svg.close();
  return svg.finish();
}

}  // namespace novaflux
