// Leakage figures for the pressure difference between the air streams: exhaust air transfer
// ratio, outdoor air correction factor and purge angle, tabulated per pressure step.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <optional>
#include <string>

#include "catalogue/catalogue.hpp"
#include "common/ignore_errors.hpp"
#include "common/module_state.hpp"
#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "component/run_steps.hpp"

namespace novaflux::detail {

namespace {

struct Bracket {
  bool si;
  const char* lower_text;
  double lower;  // the steps as the query writes them; the catalogue rows are found by these
  double upper;
  const char* query;
};

// The pressure steps of the leakage table and the query that selects the two rows around a
// pressure difference. The steps are not evenly spaced.
constexpr std::array<Bracket, 19> kBrackets{{
    {false, "0", 0, 0.4, "select * from eatrvalue where val(Pressure_Differentialin)=0 or val(Pressure_Differentialin)=0.4 "},
    {false, "0.4", 0.4, 0.5, "select * from eatrvalue where val(Pressure_Differentialin)=0.4 or val(Pressure_Differentialin)=0.5 "},
    {false, "0.5", 0.5, 0.8, "select * from eatrvalue where val(Pressure_Differentialin)=0.5 or val(Pressure_Differentialin)=0.8 "},
    {false, "0.8", 0.8, 1.2, "select * from eatrvalue where val(Pressure_Differentialin)=0.8 or val(Pressure_Differentialin)=1.2 "},
    {false, "1.2", 1.2, 1.6, "select * from eatrvalue where val(Pressure_Differentialin)=1.2 or val(Pressure_Differentialin)=1.6 "},
    {false, "1.6", 1.6, 2.0, "select * from eatrvalue where val(Pressure_Differentialin)=1.6 or val(Pressure_Differentialin)=2 "},
    {false, "2", 2.0, 2.5, "select * from eatrvalue where val(Pressure_Differentialin)=2 or val(Pressure_Differentialin)=2.5 "},
    {false, "2.5", 2.5, 2.75, "select * from eatrvalue where val(Pressure_Differentialin)=2.5 or val(Pressure_Differentialin)=2.75 "},
    {false, "2.75", 2.75, 3.0, "select * from eatrvalue where val(Pressure_Differentialin)=2.75 or val(Pressure_Differentialin)=3 "},
    {true, "0", 0, 50.0, "select * from eatrvalue where val(Pressure_Differential)=0 or val(Pressure_Differential)=50 "},
    {true, "50", 50, 100.0, "select * from eatrvalue where val(Pressure_Differential)=50 or val(Pressure_Differential)=100 "},
    {true, "100", 100, 125.0, "select * from eatrvalue where val(Pressure_Differential)=100 or val(Pressure_Differential)=125 "},
    {true, "125", 125, 200.0, "select * from eatrvalue where val(Pressure_Differential)=125 or val(Pressure_Differential)=200 "},
    {true, "200", 200, 300.0, "select * from eatrvalue where val(Pressure_Differential)=200 or val(Pressure_Differential)=300 "},
    {true, "300", 300, 400.0, "select * from eatrvalue where val(Pressure_Differential)=300 or val(Pressure_Differential)=400 "},
    {true, "400", 400, 500.0, "select * from eatrvalue where val(Pressure_Differential)=400 or val(Pressure_Differential)=500 "},
    {true, "500", 500, 600.0, "select * from eatrvalue where val(Pressure_Differential)=500 or val(Pressure_Differential)=600 "},
    {true, "600", 600, 700.0, "select * from eatrvalue where val(Pressure_Differential)=600 or val(Pressure_Differential)=700 "},
    {true, "700", 700, 750.0, "select * from eatrvalue where val(Pressure_Differential)=700 or val(Pressure_Differential)=750 "},
}};

const Num& step_of(const LeakageRow& row, bool si) {
  return si ? row.Pressure_Differential : row.Pressure_Differentialin;
}

struct LeakageValues {
  Num eatr, oacf, angle;
};

LeakageValues values_of(const LeakageRow& row, bool without_purge) {
  if (without_purge) return {row.EATRwop, row.OACFwop, row.Purge_Anglewop};
  return {row.EATRwp, row.OACFwp, row.Purge_Anglewp};
}

const LeakageRow* first_row_at(const Catalogue& c, bool si, double step) {
  for (const auto& row : c.eatrvalue) {
    const Num& s = step_of(row, si);
    if (s && *s == step) return &row;
  }
  return nullptr;
}

// The row of the existing step nearest to p; equidistant steps take the lower one.
const LeakageRow* nearest_step_row(const Catalogue& c, bool si, double p) {
  const LeakageRow* best = nullptr;
  for (const auto& row : c.eatrvalue) {
    const Num& s = step_of(row, si);
    if (!s) continue;
    if (!best) {
      best = &row;
      continue;
    }
    const double best_step = *step_of(*best, si);
    const double d = std::fabs(*s - p), best_d = std::fabs(best_step - p);
    if (d < best_d || (d == best_d && *s < best_step)) best = &row;
  }
  return best;
}

// The row's figures published as they are; a Null figure leaves its output unchanged.
void publish_row(KivClass& k, const LeakageRow& row, const IgnoreErrors& region) {
  const LeakageValues v = values_of(row, k.get_KivPurgeWithout());
  region.run([&] {
    if (!v.eatr) throw_type_mismatch();
    k.KivoutLeakageEatr = to_single(*v.eatr);
  });
  region.run([&] {
    if (!v.oacf) throw_type_mismatch();
    k.KivoutLeakageOacf = to_single(*v.oacf);
  });
  region.run([&] {
    if (!v.angle) throw_type_mismatch();
    k.KivoutLeakagePurgeAngle = to_single(*v.angle);
  });
}

std::string normalised_query(std::string_view text) {
  std::string out;
  bool blank = false;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      blank = true;
      continue;
    }
    if (blank && !out.empty()) out += ' ';
    blank = false;
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

// The bracket a host's query text names. Only the bracket queries of the leakage table are
// accepted: the text is never run against the catalogue.
const Bracket& bracket_of_query(const std::string& text) {
  const std::string wanted = normalised_query(text);
  for (const auto& b : kBrackets)
    if (normalised_query(b.query) == wanted) return b;
  throw RunError(ErrorNumber::InvalidArgument,
                 "FormulaInterpulation accepts only a bracket query of the leakage table, "
                 "such as \"select * from eatrvalue where val(Pressure_Differential)=100 or "
                 "val(Pressure_Differential)=125 \"; not \"" + text + "\"");
}

}  // namespace

void EATRValue(KivClass& k) {
  auto& s = fields(k);
  const Catalogue& catalogue = OpenDatabase();
  const float p = k.KivinputLeakagePressureDifference;
  const std::string p_text = single_text(p);
  const double pv = leading_number(p_text);
  const bool si = k.get_KivunitSI();

  IgnoreErrors region;
  region.arm();
  if (const LeakageRow* exact = first_row_at(catalogue, si, pv)) {
    publish_row(k, *exact, region);
    return;
  }

  const Bracket* bracket = nullptr;
  for (const auto& b : kBrackets)
    if (b.si == si && b.lower < pv && pv < b.upper) bracket = &b;

  if (bracket) {
    const LeakageRow* lower = first_row_at(catalogue, si, bracket->lower);
    const LeakageRow* upper = first_row_at(catalogue, si, bracket->upper);
    // A bracket with one of its rows missing is interpolated from the row that exists, which
    // FormulaInterpulation takes as it is.
    if (lower || upper) {
      s.BracketSql = bracket->query;
      // The upper step reaches the interpolation as a single, 0.4000000059604645 for 0.4.
      s.UpperStep = static_cast<float>(bracket->upper);
      s.LowerStepText = bracket->lower_text;
      Variant x1 = s.LowerStepText;
      Variant x2 = static_cast<double>(s.UpperStep);
      std::string main_value = p_text;
      region.run([&] { FormulaInterpulation(k, s.BracketSql, x1, x2, main_value); });
      k.KivoutLeakageEatr = s.InterpolatedEatr;
      k.KivoutLeakageOacf = s.InterpolatedOacf;
      k.KivoutLeakagePurgeAngle = s.InterpolatedPurgeAngle;
      return;
    }
  }
  // Outside the table, on a step the table lacks, or a bracket without rows: the nearest step.
  if (const LeakageRow* nearest = nearest_step_row(catalogue, si, pv)) publish_row(k, *nearest, region);
}

double FormulaInterpulation(KivClass& k, std::string& StrSearchK, Variant& X1, Variant& X2,
                            std::string& mainValue) {
  auto& s = fields(k);
  const Bracket& bracket = bracket_of_query(StrSearchK);
  const Catalogue& catalogue = CurrentCatalogue();
  const double lower_step = bracket.lower, upper_step = bracket.upper;
  const LeakageRow* first = first_row_at(catalogue, bracket.si, lower_step);
  const LeakageRow* second = first_row_at(catalogue, bracket.si, upper_step);
  const bool without_purge = k.get_KivPurgeWithout();

  IgnoreErrors region;
  region.arm();
  if (!first || !second) {
    // One row of the bracket: its figures as they are, nothing to interpolate.
    if (const LeakageRow* only = first ? first : second) {
      const LeakageValues v = values_of(*only, without_purge);
      region.run([&] { s.InterpolatedEatr = to_single(v.eatr.value_or(0.0)); });
      region.run([&] { s.InterpolatedOacf = to_single(v.oacf.value_or(0.0)); });
      region.run([&] { s.InterpolatedPurgeAngle = to_single(v.angle.value_or(0.0)); });
    }
    return s.InterpolatedEatr;
  }

  const LeakageValues a = values_of(*first, without_purge);
  const LeakageValues b = values_of(*second, without_purge);
  const double e1 = a.eatr.value_or(0.0), o1 = a.oacf.value_or(0.0), a1 = a.angle.value_or(0.0);
  const double e2 = b.eatr.value_or(0.0), o2 = b.oacf.value_or(0.0), a2 = b.angle.value_or(0.0);

  bool main_is_number = false;
  region.run([&] {
    double m = 0.0;
    if (!parse_double(mainValue, m)) throw_type_mismatch();
    mainValue = number_text(vb_round(m, 2));
    main_is_number = true;
  });
  region.run([&] { X1 = X1.to_number(); });
  region.run([&] { X2 = X2.to_number(); });

  region.run([&] {
    if (!main_is_number || !X1.is_number() || !X2.is_number()) throw_type_mismatch();
    const double m = leading_number(mainValue), x1 = X1.number(), x2 = X2.number();
    s.InterpolatedEatr = to_single(vb_round(to_single(e1 + checked_div((e2 - e1) * (m - x1), x2 - x1)), 2));
  });
  region.run([&] {
    if (!main_is_number || !X1.is_number() || !X2.is_number()) throw_type_mismatch();
    const double m = leading_number(mainValue), x1 = X1.number(), x2 = X2.number();
    s.InterpolatedOacf = to_single(vb_round(to_single(o1 + checked_div((o2 - o1) * (m - x1), x2 - x1)), 3));
  });
  // The purge sector is sized for the larger of the two steps, not interpolated.
  region.run([&] { s.InterpolatedPurgeAngle = to_single(vb_round(std::max(a1, a2), 0)); });
  return s.InterpolatedEatr;
}

}  // namespace novaflux::detail
