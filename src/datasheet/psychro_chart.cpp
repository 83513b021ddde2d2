// The psychrometric chart drawn as SVG. Every mark carries its value (data-* attributes) so a
// reader, or a test, can check where it stands against the axes.
#include <cmath>
#include <string>

#include "common/numeric.hpp"
#include "novaflux/moist_air.hpp"
#include "datasheet/psychro_chart.hpp"
#include "datasheet/svg_writer.hpp"

namespace novaflux {

namespace {

constexpr const char* kSummerColour = "#c0392b";
constexpr const char* kWinterColour = "#1f5fa8";
constexpr const char* kLineColour = "#8aa0b4";
constexpr const char* kFont = "font-family:DejaVu Sans,Arial,sans-serif";

std::string points_of(const ChartFrame& f, const ChartLine& line) {
  std::string s;
  for (const auto& [t, w] : line) {
    if (!s.empty()) s += ' ';
    s += coordinate(f.x(t)) + "," + coordinate(f.y(w));
  }
  return s;
}

std::string text_number(double x) { return number_text(vb_round(x, 2)); }

void axes(XmlWriter& svg, const ChartFrame& f, bool si) {
  const std::string t_unit = si ? "°C" : "°F", w_unit = si ? "g/kg" : "gr/lb";
  svg.open("g", {{"class", "axes"}, {"style", std::string(kFont) + ";font-size:11px"}, {"fill", "#222"}});
  for (double t = f.t_lo; t <= f.t_hi + 1e-9; t += f.t_step) {
    const std::string x = coordinate(f.x(t));
    svg.element("line", {{"class", "grid-x"}, {"x1", x}, {"y1", coordinate(f.top)}, {"x2", x},
                         {"y2", coordinate(f.bottom)}, {"stroke", "#e4e8ec"}, {"stroke-width", "0.8"}});
    svg.element("line", {{"class", "tick-x"}, {"data-value", text_number(t)}, {"x1", x}, {"y1", coordinate(f.bottom)},
                         {"x2", x}, {"y2", coordinate(f.bottom + 5)}, {"stroke", "#222"}});
    svg.element("text", {{"x", x}, {"y", coordinate(f.bottom + 18)}, {"text-anchor", "middle"}}, text_number(t));
  }
  for (double w = 0; w <= f.w_hi + 1e-9; w += f.w_step) {
    const std::string y = coordinate(f.y(w));
    svg.element("line", {{"class", "grid-y"}, {"x1", coordinate(f.left)}, {"y1", y}, {"x2", coordinate(f.right)},
                         {"y2", y}, {"stroke", "#e4e8ec"}, {"stroke-width", "0.8"}});
    svg.element("line", {{"class", "tick-y"}, {"data-value", text_number(w)}, {"x1", coordinate(f.right)}, {"y1", y},
                         {"x2", coordinate(f.right + 5)}, {"y2", y}, {"stroke", "#222"}});
    svg.element("text", {{"x", coordinate(f.right + 8)}, {"y", coordinate(f.y(w) + 4)}}, text_number(w));
  }
  svg.element("rect", {{"x", coordinate(f.left)}, {"y", coordinate(f.top)}, {"width", coordinate(f.right - f.left)},
                       {"height", coordinate(f.bottom - f.top)}, {"fill", "none"}, {"stroke", "#222"}});
  svg.element("text", {{"x", coordinate((f.left + f.right) / 2)}, {"y", coordinate(f.bottom + 36)},
                       {"text-anchor", "middle"}}, "Dry bulb, " + t_unit);
  const std::string ty = coordinate((f.top + f.bottom) / 2), tx = coordinate(f.right + 52);
  svg.element("text", {{"x", tx}, {"y", ty}, {"text-anchor", "middle"},
                       {"transform", "rotate(90 " + tx + " " + ty + ")"}}, "Humidity ratio, " + w_unit);
  svg.close();
}

void moist_air_lines(XmlWriter& svg, const ChartFrame& f, bool si, double alt) {
  svg.open("g", {{"class", "enthalpy"}, {"fill", "none"}, {"stroke", kLineColour}, {"stroke-width", "0.7"},
                 {"stroke-dasharray", "4 3"}});
  const double h_step = si ? 10.0 : 5.0;
  const double h_lo = std::ceil(moist_air::enthalpy(f.t_lo, 0, si) / h_step) * h_step;
  const double h_hi = moist_air::enthalpy(f.t_hi, f.w_hi, si);
  std::string labels;
  for (double h = h_lo; h <= h_hi; h += h_step) {
    const ChartLine line = enthalpy_line(f, h, si, alt);
    if (line.size() < 2) continue;
    svg.element("polyline", {{"data-value", text_number(h)}, {"points", points_of(f, line)}});
    const auto& [t0, w0] = line.front();
    if (f.y(w0) > f.top + 8)
      labels += "<text x=\"" + coordinate(f.x(t0) - 3) + "\" y=\"" + coordinate(f.y(w0) - 3) +
                "\" text-anchor=\"end\">" + text_number(h) + "</text>\n";
  }
  svg.close();
  svg.open("g", {{"class", "enthalpy-labels"}, {"style", std::string(kFont) + ";font-size:9px"}, {"fill", "#5d7285"}});
  svg.raw(labels);
  svg.close();

  svg.open("g", {{"class", "rh"}, {"fill", "none"}, {"stroke", kLineColour}, {"stroke-width", "0.8"}});
  // Each line is labelled where it crosses a level high in the frame, alternately at two levels
  // so that neighbours do not collide; a line that never gets that high is labelled at the
  // right edge.
  std::string rh_labels;
  for (int rh = 10; rh <= 90; rh += 10) {
    const double label_level = (rh % 20 == 0 ? 0.64 : 0.74) * f.w_hi;
    const ChartLine line = rh_line(f, rh, si, alt);
    if (line.size() < 2) continue;
    svg.element("polyline", {{"data-value", std::to_string(rh)}, {"points", points_of(f, line)}});
    double lx = f.x(line.back().first) - 2, ly = f.y(line.back().second) - 3;
    const char* anchor = "end";
    for (size_t i = 1; i < line.size(); ++i) {
      if (line[i].second >= label_level) {
        lx = f.x(line[i].first) + 2;
        ly = f.y(label_level);
        anchor = "start";
        break;
      }
    }
    rh_labels += "<text x=\"" + coordinate(lx) + "\" y=\"" + coordinate(ly) + "\" text-anchor=\"" + anchor + "\">" +
                 std::to_string(rh) + "%</text>\n";
  }
  svg.close();
  svg.open("g", {{"class", "rh-labels"}, {"style", std::string(kFont) + ";font-size:8.5px"}, {"fill", "#5d7285"},
                 {"stroke", "#ffffff"}, {"stroke-width", "2.5"}, {"paint-order", "stroke"}});
  svg.raw(rh_labels);
  svg.close();
  svg.element("polyline", {{"class", "saturation"}, {"fill", "none"}, {"stroke", "#1b2631"}, {"stroke-width", "1.6"},
                           {"points", points_of(f, rh_line(f, 100, si, alt))}});
}

void processes(XmlWriter& svg, const ChartFrame& f, const ChartInput& in) {
  svg.open("defs");
  for (const auto& [id, colour] : {std::pair{"arrow-summer", kSummerColour}, std::pair{"arrow-winter", kWinterColour}}) {
    svg.open("marker", {{"id", id}, {"viewBox", "0 0 10 10"}, {"refX", "9"}, {"refY", "5"}, {"markerWidth", "7"},
                        {"markerHeight", "7"}, {"orient", "auto-start-reverse"}});
    svg.element("path", {{"d", "M0,0 L10,5 L0,10 z"}, {"fill", colour}});
    svg.close();
  }
  svg.close();
  const std::string t_unit = in.si ? " °C" : " °F", w_unit = in.si ? " g/kg" : " gr/lb";
  svg.open("g", {{"class", "processes"}, {"style", std::string(kFont) + ";font-size:11px;font-weight:bold"}});
  for (const auto& p : in.processes) {
    const char* colour = p.summer ? kSummerColour : kWinterColour;
    // The arrow stops at the rim of the leaving state's dot.
    const double x1 = f.x(p.from.t), y1 = f.y(p.from.w), x2 = f.x(p.to.t), y2 = f.y(p.to.w);
    const double length = std::hypot(x2 - x1, y2 - y1);
    const double shorten = length > 10 ? 4.0 / length : 0.0;
    svg.element("line", {{"class", "process"}, {"data-name", p.name}, {"x1", coordinate(x1)}, {"y1", coordinate(y1)},
                         {"x2", coordinate(x2 - (x2 - x1) * shorten)}, {"y2", coordinate(y2 - (y2 - y1) * shorten)},
                         {"stroke", colour}, {"stroke-width", "2"},
                         {"marker-end", std::string("url(#arrow-") + (p.summer ? "summer" : "winter") + ")"}});
    const bool leftwards = p.to.t < p.from.t;
    for (const ChartPoint* s : {&p.from, &p.to}) {
      const bool start = s == &p.from;
      svg.open("g", {{"class", "state"}, {"data-label", s->label}, {"data-dbt", text_number(s->t)},
                     {"data-w", text_number(s->w)}, {"fill", colour}});
      svg.element("title", {}, s->label + ": " + text_number(s->t) + t_unit + ", " + text_number(s->w) + w_unit);
      svg.element("circle", {{"cx", coordinate(f.x(s->t))}, {"cy", coordinate(f.y(s->w))}, {"r", "3.5"}});
      // Labels sit beyond the ends of the arrow, so they do not cover it.
      const bool label_left = start != leftwards;
      svg.element("text", {{"x", coordinate(f.x(s->t) + (label_left ? -6 : 6))}, {"y", coordinate(f.y(s->w) - 6)},
                           {"text-anchor", label_left ? "end" : "start"}}, s->label);
      svg.close();
    }
  }
  svg.close();
}

}  // namespace

std::string chart_svg(const ChartInput& in) {
  const ChartFrame f = chart_frame(in);
  XmlWriter svg;
  svg.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
  svg.open("svg", {{"xmlns", "http://www.w3.org/2000/svg"}, {"class", "psychrometric-chart"},
                   {"viewBox", "0 0 " + coordinate(f.width) + " " + coordinate(f.height)},
                   {"width", coordinate(f.width)}, {"height", coordinate(f.height)},
                   {"data-unit-system", in.si ? "SI" : "IP"}});
  svg.element("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "#ffffff"}});
  const double kpa = moist_air::barometric_pressure_kpa(in.altitude_m);
  svg.element("text", {{"x", coordinate(f.left)}, {"y", "20"}, {"style", std::string(kFont) + ";font-size:14px;font-weight:bold"}},
              "Psychrometric chart at " + number_text(vb_round(kpa, 2)) + " kPa (site altitude " +
                  number_text(vb_round(in.altitude_m, 0)) + " m)");
  svg.element("text", {{"x", coordinate(f.left)}, {"y", "36"}, {"style", std::string(kFont) + ";font-size:10px"}, {"fill", "#444"}},
              "OA outdoor, SA supply, RA return, EA exhaust air; S summer (red), W winter (blue); "
              "dashed: enthalpy, " + std::string(in.si ? "kJ/kg" : "Btu/lb"));
  axes(svg, f, in.si);
  moist_air_lines(svg, f, in.si, in.altitude_m);
  processes(svg, f, in);
  return svg.finish();
}

}  // namespace novaflux
