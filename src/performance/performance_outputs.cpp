// Publishing the face velocities, table pressure drops and efficiencies in the host's units.
#include "common/module_state.hpp"
#include "common/numeric.hpp"
#include "component/run_steps.hpp"

namespace novaflux::detail {

namespace {
constexpr double kFpmToMetresPerSecond = 5.08 * 0.001;
constexpr double kPascalPerInchWater = 253.95;
// Weights of the sensible and latent parts in the published summer totals.
constexpr double kSensibleWeight = 4.9;
constexpr double kLatentWeight = 8.0;
constexpr double kWeightSum = 12.9;

// The nominal velocities 200, 400, 600 and 800 fpm read as 1, 2, 3 and 4 m/s.
double metres_per_second(double fpm) {
  const int decimals = (fpm == 200 || fpm == 400 || fpm == 600 || fpm == 800) ? 0 : 1;
  return vb_round(vb_round(fpm, 2) * kFpmToMetresPerSecond, decimals);
}
}  // namespace

void SizingAdjustment(KivClass& k, const IgnoreErrors& region) {
  auto& p = module_state().performance;
  // Sizing rates the summer case on the sensible efficiency alone.
  if (fields(k).SizingMode) {
    region.run([&] { p.SummerSupplyEfficiency = p.SummerSupplySEfficiency; });
    region.run([&] { p.SummerSupplyLEfficiency = 0.0; });
    region.run([&] { p.SummerExhaustEfficiency = p.SummerExhaustSEfficiency; });
    region.run([&] { p.SummerExhaustLEfficiency = 0.0; });
  }
}

void VelocityAndPressureDropOutputs(KivClass& k, const IgnoreErrors& region) {
  auto& s = fields(k);
  auto& p = module_state().performance;
  if (k.get_KivunitSI()) {
    region.run([&] { k.KivoutSaVelocity = metres_per_second(s.SaVelocityFpm.to_number()); });
    region.run([&] { k.KivoutRaVelocity = metres_per_second(s.RaVelocityFpm); });
    region.run([&] { k.KivoutSaPDrop = p.SupplyPdropRaw.to_number(); });
    region.run([&] { k.KivoutRaPDrop = vb_round(p.ExhaustPdropRaw.to_number(), 2); });
  } else {
    region.run([&] { k.KivoutSaVelocity = vb_round(s.SaVelocityFpm.to_number(), 2); });
    region.run([&] { k.KivoutSaPDrop = vb_round(p.SupplyPdropRaw.to_number() / kPascalPerInchWater, 2); });
    region.run([&] { k.KivoutRaVelocity = vb_round(s.RaVelocityFpm, 2); });
    region.run([&] { k.KivoutRaPDrop = vb_round(p.ExhaustPdropRaw.to_number() / kPascalPerInchWater, 2); });
  }
}

void EfficiencyOutputs(KivClass& k, const IgnoreErrors& region) {
  auto& p = module_state().performance;
  auto weighted = [](const Variant& sensible, const Variant& latent) {
    return (kSensibleWeight * sensible.to_number() + kLatentWeight * latent.to_number()) / kWeightSum;
  };
  region.run([&] { k.KivoutEfficiencySummerSupplyCondensation = p.SummerSupplySEfficiency.to_number(); });
  region.run([&] { k.KivoutEfficiencySummerSupplyLatent = p.SummerSupplyLEfficiency.to_number(); });
  region.run([&] { k.KivoutEfficiencyWinterSupplyLatent = p.WinterSupplyLEfficiency.to_number(); });
  region.run([&] {
    k.KivoutEfficiencySummerSupplyTotal = vb_round(weighted(p.SummerSupplySEfficiency, p.SummerSupplyLEfficiency), 0);
  });
  region.run([&] { k.KivoutEfficiencyWinterSupplyTotal = p.WinterSupplyEfficiency.to_number(); });
  region.run([&] { k.KivoutEfficiencySummerExhaustCondensation = p.SummerExhaustSEfficiency.to_number(); });
  region.run([&] { k.KivoutEfficiencySummerExhaustLatent = p.SummerExhaustLEfficiency.to_number(); });
  region.run([&] {
    k.KivoutEfficiencySummerExhaustTotal = vb_round(weighted(p.SummerExhaustSEfficiency, p.SummerExhaustLEfficiency), 1);
  });
  region.run([&] {
    k.KivoutEfficiencyWinterExhaustCondensation =
        p.SummerExhaustSEfficiency.to_number() < p.SummerSupplySEfficiency.to_number()
            ? p.WinterExhaustSEfficiency.to_number()
            : p.SummerExhaustSEfficiency.to_number();
  });
  region.run([&] { k.KivoutEfficiencyWinterExhaustLatent = p.WinterExhaustLEfficiency; });
  region.run([&] { k.KivoutEfficiencyWinterExhaustTotal = p.WinterExhaustEfficiency.to_number(); });
  region.run([&] { k.KivoutEfficiencyWinterSupplyCondensation = p.SummerSupplySEfficiency.to_number(); });
}

}  // namespace novaflux::detail
