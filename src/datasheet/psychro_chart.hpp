#pragma once
// The psychrometric chart of a rating: saturation curve, relative-humidity lines, enthalpy
// lines, dry-bulb and humidity-ratio axes, and the four air processes through the wheel, at
// the site's barometric pressure and in the run's unit system.
#include <string>
#include <utility>
#include <vector>

#include "novaflux/kiv_class.hpp"

namespace novaflux {

struct ChartPoint {
  std::string label;  // "OA-S", "SA-W", ...
  double t = 0.0;     // dry bulb
  double w = 0.0;     // humidity ratio
};

// Air passing the wheel: outdoor to supply, or return to exhaust, in one season.
struct ChartProcess {
  std::string name;
  bool summer = true;
  ChartPoint from, to;
};

struct ChartInput {
  bool si = true;
  double altitude_m = 0.0;
  std::string model;
  std::vector<ChartProcess> processes;
};

// The four processes of a rated object.
ChartInput chart_input(const KivClass& object);

// The drawing area: dry bulb left to right, humidity ratio bottom to top, both linear.
struct ChartFrame {
  double t_lo = 0, t_hi = 0, t_step = 0;
  double w_hi = 0, w_step = 0;  // the humidity ratio axis starts at 0
  double left = 60, right = 650, top = 46, bottom = 410;  // pixels
  double width = 720, height = 470;
  double x(double t) const { return left + (t - t_lo) / (t_hi - t_lo) * (right - left); }
  double y(double w) const { return bottom - w / w_hi * (bottom - top); }
};

// Axes that hold every state point with a margin, on round ticks.
ChartFrame chart_frame(const ChartInput& input);

using ChartLine = std::vector<std::pair<double, double>>;  // (dry bulb, humidity ratio)

// A line of constant relative humidity (100: the saturation curve), sampled at every quarter
// degree (half a degree F) from the left edge, ending where it leaves the top of the frame.
ChartLine rh_line(const ChartFrame& frame, double rh_percent, bool si, double altitude_m);
// A line of constant enthalpy between the saturation curve (or the frame) and dry air;
// empty when it misses the frame.
ChartLine enthalpy_line(const ChartFrame& frame, double h, bool si, double altitude_m);

// The chart as a standalone SVG document.
std::string chart_svg(const ChartInput& input);

}  // namespace novaflux
