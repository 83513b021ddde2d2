// Standard rating conditions and the copying and scaling of a rating's inputs. The functions
// compute in the default floating-point state (common/fp_state.hpp), whatever the caller's.
#include <algorithm>

#include "common/fp_state.hpp"
#include "common/numeric.hpp"
#include "component/interface_table.hpp"
#include "component/run_steps.hpp"
#include "novaflux/selection.hpp"

namespace novaflux {

const RatingConditions& ahri_1060_conditions() {
  static const RatingConditions c{"AHRI 1060", {95, 78}, {75, 63}, {35, 33}, {70, 58}, {100, 75}, false, 0.0};
  return c;
}

const RatingConditions& ecodesign_conditions() {
  static const RatingConditions c{"EU Ecodesign 1253/2014, dry", {41, 35}, {77, 55}, {41, 35}, {77, 55}, {100}, true, 73.0};
  return c;
}

std::optional<EcodesignVerdict> ecodesign_verdict(const KivClass& k, const RatingConditions& c) {
  if (c.minimum_thermal_efficiency_percent <= 0) return std::nullopt;
  EcodesignVerdict v;
  v.thermal_efficiency_percent = k.KivoutEfficiencyWinterSupplyCondensation;
  v.minimum_percent = c.minimum_thermal_efficiency_percent;
  v.meets = v.thermal_efficiency_percent >= v.minimum_percent;
  return v;
}

void copy_inputs(const KivClass& from, KivClass& to) {
  const FpStateGuard fp;
  for (const auto& p : detail::properties()) {
    if (p.role == detail::Role::Out) continue;
    if (p.type == detail::PropType::Variant) {
      to.*std::get<Variant KivClass::*>(p.accessor) = from.*std::get<Variant KivClass::*>(p.accessor);
    } else if (p.type == detail::PropType::Single) {
      // Through the member itself: a Single keeps its exact float.
      to.*std::get<float KivClass::*>(p.accessor) = from.*std::get<float KivClass::*>(p.accessor);
    } else {
      double value = 0.0;
      detail::read_number(from, p, value);
      detail::write_number(to, p, value);
    }
  }
}

void apply_rating_conditions(KivClass& k, const RatingConditions& c) {
  const FpStateGuard fp;
  const bool si = k.get_KivunitSI();
  const auto t = [si](double fahrenheit) { return si ? (fahrenheit - 32.0) / 1.8 : fahrenheit; };
  k.KivinputOAUnitDBTWBT = true;
  k.KivinputOAUnitDBTRH = false;
  k.KivinputOAUnitDBTGR = false;
  k.put_KivinputRAUnitDBTWBT(true);
  k.KivinputRAUnitDBTRH = false;
  k.KivinputRAUnitDBTGR = false;
  k.KivinputOAS_DBT = t(c.summer_outdoor.dry_bulb_f);
  k.KivinputOAS_WBT = t(c.summer_outdoor.wet_bulb_f);
  k.KivinputRaS_DBT = t(c.summer_return.dry_bulb_f);
  k.KivinputRaS_WBT = t(c.summer_return.wet_bulb_f);
  k.KivinputOAW_DBT = t(c.winter_outdoor.dry_bulb_f);
  k.KivinputOAW_WBT = t(c.winter_outdoor.wet_bulb_f);
  k.KivinputRaW_DBT = t(c.winter_return.dry_bulb_f);
  k.KivinputRaW_WBT = t(c.winter_return.wet_bulb_f);
  if (!c.balanced_flows) return;
  k.KivinputReturnAir = k.KivinputSupplyAir;
  k.KivinputMassflowEs = k.KivinputMassflowSs;
}

void scale_airflows(KivClass& k, double percent) {
  const FpStateGuard fp;
  fp.fence(percent);
  const double f = percent / 100.0;
  k.KivinputSupplyAir *= f;
  k.KivinputReturnAir *= f;
  if (k.KivinputMassflowCfm) {
    k.KivinputMassflowSs = to_single(k.KivinputMassflowSs * f);
    k.KivinputMassflowEs = to_single(k.KivinputMassflowEs * f);
  }
}

double largest_pressure_drop_pa(const KivClass& k) {
  const FpStateGuard fp;
  const double factor = k.get_KivunitSI() ? 1.0 : 253.95;
  double pa = std::max(k.KivoutSaPDrop, k.KivoutRaPDrop) * factor;
  fp.fence(pa);
  return pa;
}

bool meets(const ModelRating& m, const SelectionFilter& filter) {
  const FpStateGuard fp;
  if (m.ratings.empty() || m.ratings.front().failure) return false;
  const KivClass& k = m.ratings.front().result;
  if (detail::model_out_of_range(k)) return false;  // no figures
  if (filter.max_pressure_drop_pa && largest_pressure_drop_pa(k) > *filter.max_pressure_drop_pa) return false;
  if (filter.min_efficiency_percent && k.KivoutEfficiencySummerSupplyCondensation < *filter.min_efficiency_percent)
    return false;
  return true;
}

}  // namespace novaflux
