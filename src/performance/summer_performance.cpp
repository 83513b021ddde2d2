// The performance step of a run: face velocities, the summer curve at both of them, then the
// winter curve, the leaving air, the recovered energy and the published figures.
#include <array>

#include "catalogue/catalogue.hpp"
#include "common/module_state.hpp"
#include "common/numeric.hpp"
#include "component/run_steps.hpp"
#include "performance/curve_lookup.hpp"

namespace novaflux::detail {

namespace {
constexpr double kMinExhaustVelocity = 200;  // fpm

// The selected area is decimal text; an empty or non-numeric one ends the step quietly.
bool selected_area_is_numeric(const ObjectState& s, double& area) {
  if (s.SelectedNetArea.is_number()) {
    area = s.SelectedNetArea.number();
    return true;
  }
  return s.SelectedNetArea.is_text() && parse_double(s.SelectedNetArea.text(), area);
}

// The outdoor and exhaust airflows, then the face velocities on the selected wheel; false when
// no model with a numeric area has been selected, and the step then does nothing more.
bool face_velocities(KivClass& k) {
  auto& s = fields(k);
  DeriveOutdoorAndExhaustAir(k);
  double area = 0.0;
  if (!selected_area_is_numeric(s, area)) return false;
  s.SaVelocityFpm = vb_round(checked_div(s.SupplyCfm, area), 0);
  s.RaVelocityFpm = vb_round(checked_div(s.ReturnCfm, area), 0);
  return true;
}

CurveKey curve_key(const char* table, KivClass& k) {
  const auto& constants = module_state().constants;
  return CurveKey{table, static_cast<double>(constants.RotorDepth), fields(k).SeriesCode,
                  constants.PerfTypeCode};
}
}  // namespace

void SummerPerformance(KivClass& k) {
  if (!face_velocities(k)) return;
  auto& s = fields(k);
  auto& p = module_state().performance;
  const Catalogue& catalogue = CurrentCatalogue();
  const CurveKey key = curve_key("txlmastS", k);
  IgnoreErrors region;
  const std::array supply{CurveColumn{&CurveRow::efficiency, &p.SummerSupplyEfficiency},
                          CurveColumn{&CurveRow::sefficiency, &p.SummerSupplySEfficiency},
                          CurveColumn{&CurveRow::lefficiency, &p.SummerSupplyLEfficiency}};
  lookup_curve(catalogue.txlmastS, catalogue.txlmastS_groups, key, s.SaVelocityFpm.number(), supply, region);
  const std::array exhaust{CurveColumn{&CurveRow::efficiency, &p.SummerExhaustEfficiency},
                           CurveColumn{&CurveRow::sefficiency, &p.SummerExhaustSEfficiency},
                           CurveColumn{&CurveRow::lefficiency, &p.SummerExhaustLEfficiency}};
  lookup_curve(catalogue.txlmastS, catalogue.txlmastS_groups, key, s.RaVelocityFpm, exhaust, region);

  region.run([&] { WinterPerformance(k); });
  SizingAdjustment(k, region);
  region.run([&] { CondensationCheck(k); });
  region.run([&] { TotalRecoveryKw(k); });
  VelocityAndPressureDropOutputs(k, region);
  EfficiencyOutputs(k, region);
  EnergyWithAndWithoutWheel(k, region);

  if (vb_round(s.RaVelocityFpm, 2) < kMinExhaustVelocity) {
    k.KivOutErrorMsg = "Velocity is out of range,minimum velocity will be selected";
    k.KivOutErrorCode = 5;
  }
}

void WinterPerformance(KivClass& k) {
  if (!face_velocities(k)) return;
  auto& s = fields(k);
  auto& p = module_state().performance;
  const Catalogue& catalogue = CurrentCatalogue();
  const CurveKey key = curve_key("txlmastW", k);
  IgnoreErrors region;
  const std::array supply{CurveColumn{&CurveRow::efficiency, &p.WinterSupplyEfficiency},
                          CurveColumn{&CurveRow::sefficiency, &p.WinterSupplySEfficiency},
                          CurveColumn{&CurveRow::lefficiency, &p.WinterSupplyLEfficiency},
                          CurveColumn{&CurveRow::pdroppa, &p.SupplyPdropRaw}};
  lookup_curve(catalogue.txlmastW, catalogue.txlmastW_groups, key, through_text(s.SaVelocityFpm.number()),
               supply, region);
  const std::array exhaust{CurveColumn{&CurveRow::efficiency, &p.WinterExhaustEfficiency},
                           CurveColumn{&CurveRow::sefficiency, &p.WinterExhaustSEfficiency},
                           CurveColumn{&CurveRow::lefficiency, &p.WinterExhaustLEfficiency},
                           CurveColumn{&CurveRow::pdroppa, &p.ExhaustPdropRaw}};
  lookup_curve(catalogue.txlmastW, catalogue.txlmastW_groups, key, through_text(s.RaVelocityFpm), exhaust,
               region);

  region.run([&] { EffectivenessCalculate(k, true); });
}

}  // namespace novaflux::detail
