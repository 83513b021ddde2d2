// Geometry of the psychrometric chart: the frame and the lines of constant relative humidity
// and enthalpy, all from the psychrometric library the component uses.
#include <algorithm>
#include <cmath>
#include <functional>

#include "novaflux/moist_air.hpp"
#include "datasheet/psychro_chart.hpp"

namespace novaflux {

namespace {

// The root of a decreasing function between a (f > 0) and b (f < 0).
double decreasing_root(const std::function<double(double)>& f, double a, double b) {
  for (int i = 0; i < 60; ++i) {
    const double mid = 0.5 * (a + b);
    if (f(mid) > 0) a = mid;
    else b = mid;
  }
  return 0.5 * (a + b);
}

double round_down(double x, double step) { return std::floor(x / step) * step; }
double round_up(double x, double step) { return std::ceil(x / step) * step; }

}  // namespace

ChartInput chart_input(const KivClass& k) {
  ChartInput in;
  in.si = k.get_KivunitSI();
  in.altitude_m = k.KivinputAltitude;
  in.model = k.KivOutNOVAFLUXModel.to_text();
  in.processes = {
      {"summer supply", true, {"OA-S", k.KivinputOAS_DBT, k.KivoutOAS_AbsHum}, {"SA-S", k.KivoutSaS_DBT, k.KivoutSaS_AbsHum}},
      {"summer exhaust", true, {"RA-S", k.KivinputRaS_DBT, k.KivoutRaS_AbsHum}, {"EA-S", k.KivoutEaS_DBT, k.KivoutEaS_AbsHum}},
      {"winter supply", false, {"OA-W", k.KivinputOAW_DBT, k.KivoutOAW_AbsHum}, {"SA-W", k.KivoutSaW_DBT, k.KivoutSaW_AbsHum}},
      {"winter exhaust", false, {"RA-W", k.KivinputRaW_DBT, k.KivoutRaW_AbsHum}, {"EA-W", k.KivoutEaW_DBT, k.KivoutEaW_AbsHum}},
  };
  return in;
}

ChartFrame chart_frame(const ChartInput& in) {
  ChartFrame f;
  double t_min = in.si ? 0.0 : 32.0, t_max = in.si ? 30.0 : 86.0, w_max = 0.0;
  for (const auto& p : in.processes) {
    for (const ChartPoint* s : {&p.from, &p.to}) {
      t_min = std::min(t_min, s->t);
      t_max = std::max(t_max, s->t);
      w_max = std::max(w_max, s->w);
    }
  }
  // The psychrometric library's range of validity bounds the frame (and the work of drawing it),
  // whatever values a rating holds.
  t_min = std::clamp(t_min, in.si ? -100.0 : -148.0, in.si ? 200.0 : 392.0);
  t_max = std::clamp(t_max, t_min, in.si ? 200.0 : 392.0);
  w_max = std::clamp(w_max, 0.0, in.si ? 1000.0 : 7000.0);
  f.t_step = in.si ? 5.0 : 10.0;
  const double margin = in.si ? 4.0 : 8.0;  // room for the labels of the outermost states
  do {
    f.t_lo = round_down(t_min - margin, f.t_step);
    f.t_hi = round_up(t_max + margin, f.t_step);
  } while ((f.t_hi - f.t_lo) / f.t_step > 14 && (f.t_step *= 2));
  // Room above the highest state for the saturation curve's turn and the labels.
  const double top = std::max(w_max * 1.2, in.si ? 10.0 : 70.0);
  const double si_steps[] = {1, 2, 5, 10, 20, 50, 100, 200};
  const double ip_steps[] = {5, 10, 20, 50, 100, 200, 500, 1000};
  for (double step : in.si ? si_steps : ip_steps) {
    f.w_step = step;
    if (top / step <= 10) break;
  }
  f.w_hi = round_up(top, f.w_step);
  return f;
}

ChartLine rh_line(const ChartFrame& f, double rh, bool si, double alt) {
  const double step = si ? 0.25 : 0.5;
  const auto w_at = [&](double t) { return moist_air::humidity_ratio_at_rh(t, rh, si, alt); };
  ChartLine line;
  const int n = static_cast<int>(std::lround((f.t_hi - f.t_lo) / step));
  for (int i = 0; i <= n; ++i) {
    const double t = f.t_lo + i * step;
    const double w = w_at(t);
    if (w > f.w_hi) {
      if (!line.empty()) {
        const double t_top = decreasing_root([&](double x) { return f.w_hi - w_at(x); }, line.back().first, t);
        line.emplace_back(t_top, f.w_hi);
      }
      break;
    }
    line.emplace_back(t, w);
  }
  return line;
}

ChartLine enthalpy_line(const ChartFrame& f, double h, bool si, double alt) {
  const auto w_h = [&](double t) { return moist_air::humidity_ratio_at_enthalpy(t, h, si); };
  const auto ceiling = [&](double t) { return std::min(moist_air::saturation_humidity_ratio(t, si, alt), f.w_hi); };
  // Above the saturation curve (or the frame's top) the line is not drawn; below dry air neither.
  const auto above_ceiling = [&](double t) { return w_h(t) - ceiling(t); };
  if (above_ceiling(f.t_hi) > 0 || w_h(f.t_lo) < 0) return {};
  const double t_start = above_ceiling(f.t_lo) <= 0 ? f.t_lo : decreasing_root(above_ceiling, f.t_lo, f.t_hi);
  const double t_end = w_h(f.t_hi) >= 0 ? f.t_hi : decreasing_root(w_h, f.t_lo, f.t_hi);
  if (t_end <= t_start) return {};
  ChartLine line;
  constexpr int kSegments = 16;
  for (int i = 0; i <= kSegments; ++i) {
    const double t = t_start + (t_end - t_start) * i / kSegments;
    line.emplace_back(t, std::clamp(w_h(t), 0.0, f.w_hi));
  }
  return line;
}

}  // namespace novaflux
