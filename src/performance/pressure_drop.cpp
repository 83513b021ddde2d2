// Air-side pressure drop of the wheel for given airflows, from the winter curve.
#include <array>

#include "catalogue/catalogue.hpp"
#include "common/module_state.hpp"
#include "common/numeric.hpp"
#include "component/run_steps.hpp"
#include "performance/curve_lookup.hpp"

namespace novaflux::detail {

namespace {
constexpr double kCfmPerCubicMetrePerHour = 0.59;

// The product's fixed curve: rotor depth 200 mm, series F2, type N. A run sets them itself;
// a host that asks for pressure drops before any run gets the same.
void ensure_run_constants(KivClass& k) {
  auto& c = module_state().constants;
  if (c.RotorDepth == 0) c.RotorDepth = 200;
  if (c.PerfTypeCode.empty()) c.PerfTypeCode = "N";
  auto& s = fields(k);
  if (s.SeriesCode.empty()) s.SeriesCode = "F2";
}
}  // namespace

double PdropOtherCalculate(KivClass& k, const Variant& Vs11, const Variant& Vr11,
                           double FaceAreaNet11) {
  ensure_run_constants(k);
  auto& s = fields(k);
  auto& m = module_state();
  auto& p = m.performance;
  p.SupplyPressureDrop = 0.0;
  p.ExhaustPressureDrop = 0.0;

  // m3/h x 0.59 is cfm; cfm over ft2 is fpm.
  const double vs = vb_round(checked_div(Vs11.to_number() * kCfmPerCubicMetrePerHour, FaceAreaNet11), 0);
  const double vr = vb_round(checked_div(Vr11.to_number() * kCfmPerCubicMetrePerHour, FaceAreaNet11), 0);

  const Catalogue& catalogue = CurrentCatalogue();
  const CurveKey key{"txlmastW", static_cast<double>(m.constants.RotorDepth), s.SeriesCode,
                     m.constants.PerfTypeCode};
  IgnoreErrors region;
  const std::array supply{CurveColumn{&CurveRow::pdroppa, &p.SupplyPdropRaw}};
  lookup_curve(catalogue.txlmastW, catalogue.txlmastW_groups, key, vs, supply, region);
  const std::array exhaust{CurveColumn{&CurveRow::pdroppa, &p.ExhaustPdropRaw}};
  lookup_curve(catalogue.txlmastW, catalogue.txlmastW_groups, key, vr, exhaust, region);

  region.run([&] { p.SupplyPressureDrop = vb_round(p.SupplyPdropRaw.to_number(), 0); });
  region.run([&] { p.ExhaustPressureDrop = vb_round(p.ExhaustPdropRaw.to_number(), 0); });
  return 0.0;
}

}  // namespace novaflux::detail
