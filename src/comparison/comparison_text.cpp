// The comparison of fitting models as a table for a person.
#include <algorithm>
#include <sstream>

#include "common/numeric.hpp"
#include "comparison/model_comparison.hpp"
#include "component/run_steps.hpp"
#include "rating_json/rating_json.hpp"
#include "studies/study_units.hpp"

namespace novaflux {

namespace {

std::string num(double x) { return number_text(x); }
std::string pair(double a, double b) { return num(a) + " / " + num(b); }
std::string triple(double a, double b, double c) { return num(a) + " / " + num(b) + " / " + num(c); }

// The catalogue name from a rating that published it, else the enumeration's name.
std::string display_name(const ModelRating& m) {
  for (const auto& r : m.ratings)
    if (!r.failure && !detail::model_out_of_range(r.result)) return r.result.KivOutNOVAFLUXModel.to_text();
  return model_name(m.model);
}

std::vector<std::string> table_row(const ModelRating& m, const ShareRating& r, bool with_share) {
  const KivClass& k = r.result;
  std::vector<std::string> row{m.automatic ? "*" : "", display_name(m)};
  if (with_share) row.push_back(num(r.airflow_percent) + " %");
  std::string warnings;
  for (const auto& w : r.warnings) warnings += (warnings.empty() ? "" : ", ") + std::to_string(w.code);
  if (r.failure) {
    row.insert(row.end(), {"", "", "", "", "", "", "", "failed: " + r.failure->description});
    return row;
  }
  if (detail::model_out_of_range(k)) {
    row.insert(row.end(), {"", "", "", "", "", "", "", "does not fit at this airflow (6)"});
    return row;
  }
  row.push_back(pair(k.KivoutSaVelocity, k.KivoutRaVelocity));
  row.push_back(triple(k.KivoutEfficiencySummerSupplyCondensation, k.KivoutEfficiencySummerSupplyLatent,
                       k.KivoutEfficiencySummerSupplyTotal));
  row.push_back(triple(k.KivoutEfficiencyWinterSupplyCondensation, k.KivoutEfficiencyWinterSupplyLatent,
                       k.KivoutEfficiencyWinterSupplyTotal));
  row.push_back(pair(k.KivoutSaPDrop, k.KivoutRaPDrop));
  row.push_back(pair(k.KivoutERWithWheelTotalSummer_KW, k.KivoutERWithWheelTotalWinter_KW));
  row.push_back(num(k.KivoutCassetteHight) + " × " + num(k.KivoutCassetteWidth) + " × " + num(k.KivoutCassetteDepth));
  row.push_back(num(k.KivoutCassetteWeight));
  row.push_back(warnings.empty() ? "none" : warnings);
  return row;
}

// The year's energy of a kept model: recovered heat / cooling, electric, and the net saving.
void year_cells(const Comparison& c, const ModelYear& y, bool priced, std::vector<std::string>& row) {
  if (!y.error.empty()) {
    row.back() += "; year: " + y.error;
    return;
  }
  const double e = study_units(c.si_years).per_kw;
  const auto whole = [](double x) { return num(vb_round(x, 0) == 0.0 ? 0.0 : vb_round(x, 0)); };
  row.push_back(whole(y.year.heating_kwh * e) + " / " + whole(y.year.cooling_kwh * e));
  row.push_back(whole(y.year.electric_kwh() * e));
  if (priced) row.push_back(y.savings ? whole(y.savings->net()) : std::string());
}

ViewTable selection_table(const Comparison& c) {
  const bool with_share = c.shares.size() > 1;
  const std::string v = c.si() ? "m/s" : "fpm", dp = c.si() ? "Pa" : "in. w.g.";
  ViewTable t{"", {"", "Model"}, {}};
  if (with_share) t.headings.push_back("Airflow");
  t.headings.insert(t.headings.end(),
                    {"v sup/exh, " + v, "Summer S/L/T, %", "Winter S/L/T, %", "Δp sup/exh, " + dp,
                     "kW summer/winter", "H × W × D, mm", "kg", "Warnings"});
  const bool years = !c.years.empty();
  const bool priced = years && std::any_of(c.years.begin(), c.years.end(), [](const ModelYear& y) { return y.savings.has_value(); });
  const std::string e = study_units(c.si_years).energy;
  if (years) t.headings.insert(t.headings.end(), {"Year heat / cool, " + e, "Electric, " + e});
  if (priced) t.headings.push_back("Saving");
  const bool verdicts = c.conditions && c.conditions->minimum_thermal_efficiency_percent > 0;
  if (verdicts) t.headings.push_back("Ecodesign ηt");
  for (size_t i = 0; i < c.kept.size(); ++i) {
    bool first = true;
    for (const auto& r : c.kept_model(i).ratings) {
      t.rows.push_back(table_row(c.kept_model(i), r, with_share));
      if (years && first) year_cells(c, c.years[i], priced, t.rows.back());
      if (verdicts && first) {
        const auto v = r.failure ? std::nullopt : ecodesign_verdict(r.result, *c.conditions);
        t.rows.back().push_back(v ? num(v->thermal_efficiency_percent) + " % " + (v->meets ? "meets" : "below") : "");
      }
      first = false;
    }
  }
  return t;
}

}  // namespace

std::string comparison_text(const Comparison& c) {
  const Selection& s = c.selection;
  std::ostringstream out;
  if (s.automatic_failure) {
    out << "The inputs cannot be rated: " << s.automatic_failure->description << "\n";
    return out.str();
  }
  out << "Models whose face velocities fit " << num(c.inputs.KivinputSupplyAir) << " / "
      << num(c.inputs.KivinputReturnAir) << (c.si() ? " m³/h" : " cfm")
      << " (supply / return), " << (c.sorted_by_saving ? "largest yearly saving first" : "smallest first")
      << "; * marks the model CalculateOutput selects";
  if (c.conditions) out << "; " << c.conditions->name << " conditions";
  out << ".\n";
  const bool automatic_listed = std::any_of(s.models.begin(), s.models.end(), [](const auto& m) { return m.automatic; });
  bool automatic_kept = false;
  for (size_t i = 0; i < c.kept.size(); ++i) automatic_kept = automatic_kept || c.kept_model(i).automatic;
  if (s.automatic && !automatic_listed)
    out << "CalculateOutput selects " << model_name(*s.automatic) << ", outside the fit range.\n";
  else if (s.automatic && !automatic_kept)
    out << "CalculateOutput selects " << model_name(*s.automatic) << ", which the filter leaves out.\n";
  if (!c.kept.empty()) {
    out << table_text(selection_table(c));
    out << "v face velocity; S/L/T supply-side sensible / latent / total efficiency; Δp pressure drop of\n"
           "standard air; kW recovered with the wheel; H × W × D and kg the cassette; warnings by code\n"
           "(4 RH capped, 5 low velocity, 6 out of range, 100 frost risk).\n";
    if (c.conditions && c.conditions->minimum_thermal_efficiency_percent > 0)
      out << "Ecodesign ηt: thermal efficiency at the dry reference conditions, against the minimum of "
          << num(c.conditions->minimum_thermal_efficiency_percent) << " % (EU 1253/2014).\n";
    if (!c.years.empty())
      out << "Year: the annual study of each model at the weather file's site (heat and cooling recovered,\n"
             "electric energy of the fans for the wheel's pressure drop and of the rotor motor"
          << (c.years.front().savings ? ", net saving at\nthe prices given" : "") << ").\n";
  }
  return out.str();
}

std::string nothing_kept_message(const Comparison& c) {
  if (!c.kept.empty()) return "";
  const auto& models = c.selection.models;
  const auto& f = c.filter;
  std::ostringstream out;
  out << "no model " << (models.empty() ? "fits the airflows" : "meets the filter");
  if (!models.empty() && f.max_pressure_drop_pa) out << " (pressure drop at most " << num(*f.max_pressure_drop_pa) << " Pa";
  if (!models.empty() && f.min_efficiency_percent)
    out << (f.max_pressure_drop_pa ? ", " : " (") << "sensible efficiency at least " << num(*f.min_efficiency_percent) << " %";
  if (!models.empty() && (f.max_pressure_drop_pa || f.min_efficiency_percent)) out << ")";
  out << "; " << models.size() << " models fit";
  return out.str();
}

}  // namespace novaflux
