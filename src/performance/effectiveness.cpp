// Correction of the tabulated efficiencies for unequal airflows: the stream with the smaller
// airflow gains (divided by a factor of the flow ratio, at most 97 %), the other stream gets
// the flow ratio times the corrected values.
#include <array>

#include "common/module_state.hpp"
#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "component/run_steps.hpp"

namespace novaflux::detail {

namespace {

struct FactorRow {
  double ratio;
  double factor;  // as tabulated; held as a single once chosen
};
// Correction factor against the flow ratio, from the top down.
constexpr std::array<FactorRow, 6> kFactors{{{1.0, 1.0},
                                             {0.9, 0.955},
                                             {0.8, 0.912},
                                             {0.7, 0.871},
                                             {0.6, 0.832},
                                             {0.5, 0.794}}};
constexpr double kCap = 97;

void divide_and_round(Variant& efficiency, float factor) {
  efficiency = vb_round(checked_div(efficiency.to_number(), static_cast<double>(factor)), 2);
}

void cap(Variant& efficiency) {
  if (efficiency.to_number() >= kCap) efficiency = kCap;
}

float to_output(const Variant& value) {
  if (value.is_empty()) throw_type_mismatch();  // a lookup that never delivered a value
  return to_single(value.to_number());
}

}  // namespace

void EffectivenessCalculate(KivClass& k, bool publish_outputs) {
  auto& s = fields(k);
  auto& p = module_state().performance;

  double r = checked_div(s.SmallerAirflowCfm, s.LargerAirflowCfm);
  float f = 1.0f;
  if (r < 1.0) {
    bool on_row = false;
    for (size_t i = 1; i < kFactors.size(); ++i) {
      if (r == kFactors[i].ratio) {
        f = static_cast<float>(kFactors[i].factor);
        on_row = true;
      }
    }
    if (!on_row) {
      for (size_t i = 1; i < kFactors.size(); ++i) {
        const FactorRow& lower = kFactors[i];
        const FactorRow& upper = kFactors[i - 1];
        if (lower.ratio < r && r < upper.ratio) {
          // Rounds r to 3 decimals in place; the rounded ratio is used from here on. The
          // factors enter as the decimals of the table, only the result is a single.
          f = to_single(LinearInterpolate3(lower.ratio, upper.ratio, lower.factor,
                                           upper.factor, r));
        }
      }
    }
    if (r < 0.5) {
      k.KivOutErrorMsg = "Velocity Out of Range";
      k.KivOutErrorCode = 6;
      f = to_single(LinearInterpolate3(0.5, 0.6, 0.794, 0.832, r));
    }

    if (s.ReturnCfm > s.SupplyCfm) {
      // The supply stream is the smaller one.
      for (Variant* e : {&p.SummerSupplyLEfficiency, &p.WinterSupplyLEfficiency,
                         &p.SummerSupplyEfficiency, &p.WinterSupplyEfficiency,
                         &p.SummerSupplySEfficiency, &p.WinterSupplySEfficiency})
        divide_and_round(*e, f);
      for (Variant* e : {&p.SummerSupplyLEfficiency, &p.WinterSupplyLEfficiency,
                         &p.SummerSupplyEfficiency, &p.WinterSupplyEfficiency,
                         &p.SummerSupplySEfficiency, &p.WinterSupplySEfficiency})
        cap(*e);
      if (publish_outputs) {
        p.SupplyCopyS = p.WinterSupplySEfficiency;
        p.SupplyCopyL = p.WinterSupplyLEfficiency;
        p.SupplyCopyT = p.WinterSupplyEfficiency;
      }
      p.SummerExhaustLEfficiency = vb_round(r * p.SummerSupplyLEfficiency.to_number(), 2);
      p.WinterExhaustLEfficiency = vb_round(r * p.WinterSupplyLEfficiency.to_number(), 2);
      p.SummerExhaustEfficiency = vb_round(r * p.SummerSupplyEfficiency.to_number(), 2);
      p.WinterExhaustEfficiency = vb_round(r * p.WinterSupplyEfficiency.to_number(), 2);
      p.SummerExhaustSEfficiency = vb_round(r * p.SummerSupplySEfficiency.to_number(), 2);
      p.WinterExhaustSEfficiency = vb_round(r * p.WinterSupplySEfficiency.to_number(), 2);
    } else {
      // The return stream is the smaller one.
      Variant winter_exhaust_latent = p.WinterExhaustLEfficiency;
      for (Variant* e : {&p.SummerExhaustLEfficiency, &winter_exhaust_latent,
                         &p.SummerExhaustEfficiency, &p.WinterExhaustEfficiency,
                         &p.SummerExhaustSEfficiency, &p.WinterExhaustSEfficiency})
        divide_and_round(*e, f);
      p.WinterExhaustLEfficiency = winter_exhaust_latent.number();
      for (Variant* e : {&p.SummerExhaustLEfficiency, &winter_exhaust_latent,
                         &p.SummerExhaustEfficiency, &p.WinterExhaustEfficiency,
                         &p.SummerExhaustSEfficiency, &p.WinterExhaustSEfficiency})
        cap(*e);
      p.WinterExhaustLEfficiency = winter_exhaust_latent.number();
      if (publish_outputs) {
        p.ExhaustCopyS = p.WinterExhaustSEfficiency;
        p.ExhaustCopyL = p.WinterExhaustLEfficiency;
        p.ExhaustCopyT = p.WinterExhaustEfficiency;
      }
      p.SummerSupplyLEfficiency = vb_round(r * p.SummerExhaustLEfficiency.to_number(), 2);
      p.WinterSupplyLEfficiency = vb_round(r * p.WinterExhaustLEfficiency, 2);
      p.SummerSupplyEfficiency = vb_round(r * p.SummerExhaustEfficiency.to_number(), 2);
      p.WinterSupplyEfficiency = vb_round(r * p.WinterExhaustEfficiency.to_number(), 2);
      p.SummerSupplySEfficiency = vb_round(r * p.SummerExhaustSEfficiency.to_number(), 2);
      p.WinterSupplySEfficiency = vb_round(r * p.WinterExhaustSEfficiency.to_number(), 2);
    }
  }

  if (!publish_outputs) return;
  // One set of winter effectiveness figures: the corrected stream's.
  const double exhaust_sensible = p.SummerExhaustSEfficiency.to_number();
  const double supply_sensible = p.SummerSupplySEfficiency.to_number();
  if (exhaust_sensible == supply_sensible) {
    k.KivoutTempEffectiveness = to_output(p.WinterExhaustSEfficiency);
    k.KivoutHumEffectiveness = to_single(p.WinterExhaustLEfficiency);
    k.KivoutTotalEffectiveness = to_output(p.WinterExhaustEfficiency);
  } else if (exhaust_sensible < supply_sensible) {
    k.KivoutTempEffectiveness = to_output(p.SupplyCopyS);
    k.KivoutHumEffectiveness = to_output(p.SupplyCopyL);
    k.KivoutTotalEffectiveness = to_output(p.SupplyCopyT);
  } else {
    k.KivoutTempEffectiveness = to_output(p.ExhaustCopyS);
    k.KivoutHumEffectiveness = to_output(p.ExhaustCopyL);
    k.KivoutTotalEffectiveness = to_output(p.ExhaustCopyT);
  }
}

}  // namespace novaflux::detail
