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
// accepted: the text is never run against the catalogue. The table's own texts are normalised
// once; a call normalises only the host's text.
const Bracket& bracket_of_query(const std::string& text) {
  static const std::array<std::string, kBrackets.size()> known = [] {
    std::array<std::string, kBrackets.size()> out;
    for (size_t i = 0; i < kBrackets.size(); ++i) out[i] = normalised_query(kBrackets[i].query);
    return out;
  }();
  const std::string wanted = normalised_query(text);
  for (size_t i = 0; i < kBrackets.size(); ++i)
    if (known[i] == wanted) return kBrackets[i];
  throw RunError(ErrorNumber::InvalidArgument,
                 "FormulaInterpulation accepts only a bracket query of the leakage table, "
                 "such as \"select * from eatrvalue where val(Pressure_Differential)=100 or "
                 "val(Pressure_Differential)=125 \"; not \"" + text + "\"");
}

struct BracketRows {
  const LeakageRow* first;   // the lower step
  const LeakageRow* second;  // the upper step
};

BracketRows rows_of(const Catalogue& c, const Bracket& b) {
  return {first_row_at(c, b.si, b.lower), first_row_at(c, b.si, b.upper)};
}

// The pressure difference as the interpolation uses it: rounded to 2 decimals and passed
// through its text.
double rounded_pressure(double m) { return leading_number(number_text(vb_round(m, 2))); }

// The interpolation arguments once converted; `usable` is false when one of them was no number
// (the interpolated EATR and OACF then keep their values).
struct BracketArguments {
  bool usable;
  double main, x1, x2;
};

// The figures of a bracket with both rows: EATR and OACF interpolated, the larger purge angle.
void interpolate_rows(KivClass& k, const BracketRows& rows, const BracketArguments& a,
                      const IgnoreErrors& region) {
  auto& s = fields(k);
  const bool without_purge = k.get_KivPurgeWithout();
  const LeakageValues lo = values_of(*rows.first, without_purge);
  const LeakageValues hi = values_of(*rows.second, without_purge);
  const double e1 = lo.eatr.value_or(0.0), o1 = lo.oacf.value_or(0.0), a1 = lo.angle.value_or(0.0);
  const double e2 = hi.eatr.value_or(0.0), o2 = hi.oacf.value_or(0.0), a2 = hi.angle.value_or(0.0);
  region.run([&] {
    if (!a.usable) throw_type_mismatch();
    s.InterpolatedEatr =
        to_single(vb_round(to_single(e1 + checked_div((e2 - e1) * (a.main - a.x1), a.x2 - a.x1)), 2));
  });
  region.run([&] {
    if (!a.usable) throw_type_mismatch();
    s.InterpolatedOacf =
        to_single(vb_round(to_single(o1 + checked_div((o2 - o1) * (a.main - a.x1), a.x2 - a.x1)), 3));
  });
  // The purge sector is sized for the larger of the two steps, not interpolated.
  region.run([&] { s.InterpolatedPurgeAngle = to_single(vb_round(std::max(a1, a2), 0)); });
}

// A bracket with one row: its figures as they are, nothing to interpolate.
void take_single_row(KivClass& k, const LeakageRow& only, const IgnoreErrors& region) {
  auto& s = fields(k);
  const LeakageValues v = values_of(only, k.get_KivPurgeWithout());
  region.run([&] { s.InterpolatedEatr = to_single(v.eatr.value_or(0.0)); });
  region.run([&] { s.InterpolatedOacf = to_single(v.oacf.value_or(0.0)); });
  region.run([&] { s.InterpolatedPurgeAngle = to_single(v.angle.value_or(0.0)); });
}

}  // namespace

void EATRValue(KivClass& k) {
  auto& s = fields(k);
  const Catalogue& catalogue = OpenDatabase();
  const float p = k.KivinputLeakagePressureDifference;
  const double pv = leading_number(single_text(p));
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
    const BracketRows rows = rows_of(catalogue, *bracket);
    // A bracket with one of its rows missing is interpolated from the row that exists, which
    // is then taken as it is.
    if (rows.first || rows.second) {
      s.BracketIndex = static_cast<int>(bracket - kBrackets.data());
      // The upper step reaches the interpolation as a single, 0.4000000059604645 for 0.4; the
      // lower one as its text, so exactly the step.
      s.UpperStep = static_cast<float>(bracket->upper);
      if (rows.first && rows.second) {
        const BracketArguments a{true, rounded_pressure(pv), bracket->lower, static_cast<double>(s.UpperStep)};
        interpolate_rows(k, rows, a, region);
      } else {
        take_single_row(k, rows.first ? *rows.first : *rows.second, region);
      }
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
  const BracketRows rows = rows_of(CurrentCatalogue(), bracket);

  IgnoreErrors region;
  region.arm();
  if (!rows.first || !rows.second) {
    if (const LeakageRow* only = rows.first ? rows.first : rows.second) take_single_row(k, *only, region);
    return s.InterpolatedEatr;
  }

  bool main_is_number = false;
  double main = 0.0;
  region.run([&] {
    double m = 0.0;
    if (!parse_double(mainValue, m)) throw_type_mismatch();
    mainValue = number_text(vb_round(m, 2));
    main = leading_number(mainValue);
    main_is_number = true;
  });
  region.run([&] { X1 = X1.to_number(); });
  region.run([&] { X2 = X2.to_number(); });
  const bool usable = main_is_number && X1.is_number() && X2.is_number();
  interpolate_rows(k, rows, {usable, main, X1.number(), X2.number()}, region);
  return s.InterpolatedEatr;
}

}  // namespace novaflux::detail
