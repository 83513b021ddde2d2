#include "comparison/annual_comparison.hpp"

#include <algorithm>
#include <numeric>

#include "studies/study_units.hpp"

namespace novaflux {

void add_years(Comparison& c, const ComparisonRequest& request) {
  c.si_years = c.si();
  for (size_t i = 0; i < c.kept.size(); ++i) {
    ModelYear y;
    AnnualOptions options = request.annual;
    options.model = c.kept_model(i).model;
    try {
      const AnnualStudy study = run_annual_study(request.input, *request.weather, options);
      y.year = study.year;
      y.savings = study.savings;
      y.failed_hours = study.failed_hours();
    } catch (const std::exception& e) {
      y.error = e.what();
    }
    c.years.push_back(std::move(y));
  }
  if (!request.sort_by_saving) return;
  c.sorted_by_saving = true;
  std::vector<size_t> order(c.kept.size());
  std::iota(order.begin(), order.end(), size_t{0});
  const auto saving = [&](size_t i) { return c.years[i].savings ? c.years[i].savings->net() : -1e300; };
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return saving(a) > saving(b); });
  std::vector<size_t> kept;
  std::vector<ModelYear> years;
  for (size_t i : order) {
    kept.push_back(c.kept[i]);
    years.push_back(std::move(c.years[i]));
  }
  c.kept = std::move(kept);
  c.years = std::move(years);
}

nlohmann::ordered_json year_json(const Comparison& c, const ModelYear& y) {
  if (!y.error.empty()) return {{"error", y.error}};
  const double e = study_units(c.si_years).per_kw;
  nlohmann::ordered_json saving = nullptr;
  if (y.savings)
    saving = {{"heat", y.savings->heat}, {"cool", y.savings->cool}, {"electricity", y.savings->electricity},
              {"net", y.savings->net()}};
  return {{"energyUnit", study_units(c.si_years).energy},
          {"heating", y.year.heating_kwh * e},
          {"cooling", y.year.cooling_kwh * e},
          {"electric", y.year.electric_kwh() * e},
          {"frostRiskHours", y.year.frost_risk_hours},
          {"saving", std::move(saving)},
          {"failedHours", y.failed_hours},
          {"error", nullptr}};
}

}  // namespace novaflux
