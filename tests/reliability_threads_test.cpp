// Ratings on several threads at once give exactly what the same ratings give on one thread.
//
// Values shared by the objects of a thread (air states, efficiencies, actual airflows, the unit
// flag) live in per-thread module state and persist from one run to the next on that thread.
// A result may therefore depend on what the thread rated before, so the comparisons are made
// in two ways that keep the history identical:
//   - independent cases: every case on a new object after reset_between_cases(), so it starts
//     from the state of a new thread whichever thread rates it and whatever it rated before;
//   - sequences: each sequence of runs keeps its history (two objects taking turns, nothing
//     reset) and runs on a thread of its own, alone or beside the other sequences.
// A third group checks what the shared state means for two objects of one thread.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/module_state.hpp"
#include "common/run_error.hpp"
#include "component/interface_table.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux {
namespace {

// ---------------------------------------------------------------------------------------------
// Cases

struct Case {
  bool si = true;
  double supply = 0, ret = 0, altitude = 0, dp = 0;
  bool purge_without = false;
  int oa_mode = 0, ra_mode = 0;  // 0 dry bulb + RH, 1 dry bulb + humidity ratio, 2 dry + wet bulb
  double oas_dbt = 0, oas_2 = 0, oaw_dbt = 0, oaw_2 = 0;
  double ras_dbt = 0, ras_2 = 0, raw_dbt = 0, raw_2 = 0;
  int model = 0;  // 0: select one; else rate this model (CalculateOutputModel)
};

// A small deterministic generator, so that every run of the test rates the same cases.
class Lcg {
public:
  explicit Lcg(uint64_t seed) : s_(seed) {}
  double uniform(double lo, double hi) {
    s_ = s_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return lo + (hi - lo) * static_cast<double>(s_ >> 11) / 9007199254740992.0;
  }
  int pick(int n) { return static_cast<int>(uniform(0, n)) % n; }
  double round_to(double lo, double hi, double step) {
    const double v = uniform(lo, hi);
    return static_cast<double>(static_cast<int64_t>(v / step)) * step;
  }

private:
  uint64_t s_;
};

double to_f(double c) { return c * 1.8 + 32; }

// Ordinary design conditions across both unit systems, all input modes, flow ratios from
// 0.4 to 1.6, altitudes beyond the clamp, with and without purge, now and then a fixed model.
std::vector<Case> make_cases(size_t n, uint64_t seed) {
  Lcg r(seed);
  std::vector<Case> cases(n);
  for (Case& c : cases) {
    c.si = r.pick(2) == 0;
    c.supply = c.si ? r.round_to(500, 60000, 10) : r.round_to(300, 35000, 10);
    c.ret = std::max(100.0, static_cast<double>(static_cast<int64_t>(c.supply * r.uniform(0.4, 1.6))));
    c.altitude = r.round_to(-700, 4500, 1);
    c.dp = c.si ? r.round_to(20, 520, 1) : r.round_to(0.1, 2.1, 0.05);
    c.purge_without = r.pick(4) == 0;
    c.oa_mode = r.pick(3);
    c.ra_mode = r.pick(3);
    const double oas = r.round_to(24, 45, 0.5), oaw = r.round_to(-30, 10, 0.5);
    const double ras = r.round_to(20, 28, 0.5), raw = r.round_to(17, 24, 0.5);
    auto second = [&](int mode, double dbt, double rh_lo, double rh_hi, double gr_lo, double gr_hi) {
      switch (mode) {
        case 0: return r.round_to(rh_lo, rh_hi, 1);
        case 1: return r.round_to(gr_lo, gr_hi, 0.1) * (c.si ? 1.0 : 7.0);  // g/kg or grains/lb
        default: {
          const double wbt = dbt - r.round_to(1, 12, 0.5);
          return c.si ? wbt : to_f(wbt);
        }
      }
    };
    c.oas_2 = second(c.oa_mode, oas, 10, 95, 6, 20);
    c.oaw_2 = second(c.oa_mode, oaw, 40, 95, 0.3, 2.5);
    c.ras_2 = second(c.ra_mode, ras, 30, 60, 7, 12);
    c.raw_2 = second(c.ra_mode, raw, 20, 50, 3, 8);
    c.oas_dbt = c.si ? oas : to_f(oas);
    c.oaw_dbt = c.si ? oaw : to_f(oaw);
    c.ras_dbt = c.si ? ras : to_f(ras);
    c.raw_dbt = c.si ? raw : to_f(raw);
    if (r.pick(10) == 0) c.model = 57 + r.pick(32);
  }
  return cases;
}

void apply(const Case& c, KivClass& k) {
  k.put_KivunitSI(c.si);
  k.put_KivPurgeWithout(c.purge_without);
  k.KivinputSupplyAir = c.supply;
  k.KivinputReturnAir = c.ret;
  k.KivinputAltitude = c.altitude;
  k.KivinputLeakagePressureDifference = static_cast<float>(c.dp);
  k.KivinputOAUnitDBTRH = c.oa_mode == 0;
  k.KivinputOAUnitDBTGR = c.oa_mode == 1;
  k.KivinputOAUnitDBTWBT = c.oa_mode == 2;
  k.KivinputRAUnitDBTRH = c.ra_mode == 0;
  k.KivinputRAUnitDBTGR = c.ra_mode == 1;
  k.put_KivinputRAUnitDBTWBT(c.ra_mode == 2);
  k.KivinputOAS_DBT = c.oas_dbt;
  k.KivinputOAW_DBT = c.oaw_dbt;
  k.KivinputRaS_DBT = c.ras_dbt;
  k.KivinputRaW_DBT = c.raw_dbt;
  switch (c.oa_mode) {
    case 0: k.KivinputOAS_RH = c.oas_2; k.KivinputOAW_RH = c.oaw_2; break;
    case 1: k.KivinputOAS_GR = c.oas_2; k.KivinputOAW_GR = c.oaw_2; break;
    default: k.KivinputOAS_WBT = c.oas_2; k.KivinputOAW_WBT = c.oaw_2; break;
  }
  switch (c.ra_mode) {
    case 0: k.KivinputRaS_RH = c.ras_2; k.KivinputRaW_RH = c.raw_2; break;
    case 1: k.KivinputRaS_GR = c.ras_2; k.KivinputRaW_GR = c.raw_2; break;
    default: k.KivinputRaS_WBT = c.ras_2; k.KivinputRaW_WBT = c.raw_2; break;
  }
  k.KivinputModel = static_cast<Modelall>(c.model);
}

// ---------------------------------------------------------------------------------------------
// Outcomes, compared bit for bit

// Every property as exact text (the shortest text that reads back as the same double; a
// variant's text as it is), then the failure of the call, if any.
struct Outcome {
  std::vector<std::string> values;
  int error_number = 0;
  std::string error;
  friend bool operator==(const Outcome&, const Outcome&) = default;
};

std::string exact(double x) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, res.ptr);
}

Outcome capture(const KivClass& k, int error_number = 0, std::string error = {}) {
  Outcome o;
  for (const auto& p : detail::properties()) {
    double value = 0.0;
    if (detail::read_number(k, p, value)) o.values.push_back(exact(value));
    else o.values.push_back("text:" + detail::read_text(k, p));
  }
  o.error_number = error_number;
  o.error = std::move(error);
  return o;
}

Outcome call(KivClass& k, const std::function<void()>& method) {
  try {
    method();
  } catch (const RunError& e) {
    return capture(k, e.code(), e.what());
  }
  return capture(k);
}

Outcome rate(KivClass& k, const Case& c) {
  apply(c, k);
  return call(k, [&] {
    if (c.model) k.CalculateOutputModel();
    else k.CalculateOutput();
  });
}

// One independent case: a new object on a thread whose run state starts afresh.
Outcome rate_independent(const Case& c) {
  reset_between_cases();
  KivClass k;
  return rate(k, c);
}

std::string describe_difference(const Outcome& expected, const Outcome& actual) {
  if (expected.error != actual.error)
    return "failure \"" + expected.error + "\" became \"" + actual.error + "\"";
  const auto props = detail::properties();
  for (size_t i = 0; i < expected.values.size() && i < actual.values.size(); ++i)
    if (expected.values[i] != actual.values[i])
      return std::string(props[i].name) + ": " + expected.values[i] + " became " + actual.values[i];
  return "error numbers differ";
}

void on_fresh_thread(const std::function<void()>& body) {
  std::thread t(body);
  t.join();
}

constexpr unsigned kThreads = 4;

// ---------------------------------------------------------------------------------------------
// Independent cases

TEST(ReliabilityThreads, ThousandsOfCasesOnFourThreadsMatchOneThread) {
  const std::vector<Case> cases = make_cases(3000, 0x5eed);

  std::vector<Outcome> single(cases.size());
  on_fresh_thread([&] {
    for (size_t i = 0; i < cases.size(); ++i) single[i] = rate_independent(cases[i]);
  });

  // The threads take cases from a shared counter, so which thread rates which case, and after
  // which others, differs from run to run.
  std::vector<Outcome> multi(cases.size());
  std::atomic<size_t> next{0};
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (size_t i; (i = next.fetch_add(1)) < cases.size();) multi[i] = rate_independent(cases[i]);
    });
  }
  for (auto& t : threads) t.join();

  size_t succeeded = 0, mismatches = 0;
  for (size_t i = 0; i < cases.size(); ++i) {
    if (single[i].error.empty()) ++succeeded;
    if (!(single[i] == multi[i]) && ++mismatches <= 5)
      ADD_FAILURE() << "case " << i << ": " << describe_difference(single[i], multi[i]);
  }
  EXPECT_EQ(mismatches, 0u);
  // The comparison means something only when most cases are complete ratings.
  EXPECT_GT(succeeded, cases.size() * 8 / 10) << "of " << cases.size() << " cases";
}

TEST(ReliabilityThreads, ResetBetweenCasesMakesTheOrderOfCasesIrrelevant) {
  const std::vector<Case> cases = make_cases(300, 0xface);
  std::vector<Outcome> forward(cases.size()), backward(cases.size());
  on_fresh_thread([&] {
    for (size_t i = 0; i < cases.size(); ++i) forward[i] = rate_independent(cases[i]);
  });
  on_fresh_thread([&] {
    for (size_t i = cases.size(); i-- > 0;) backward[i] = rate_independent(cases[i]);
  });
  for (size_t i = 0; i < cases.size(); ++i)
    ASSERT_EQ(forward[i], backward[i]) << "case " << i << ": " << describe_difference(forward[i], backward[i]);
}

// ---------------------------------------------------------------------------------------------
// Sequences that keep their history

// Two objects take turns rating the cases of one sequence on one thread, nothing reset; after
// each rating the other object recalculates its effectiveness from the thread's efficiencies,
// which the rating just left.
std::vector<Outcome> run_sequence(const std::vector<Case>& cases) {
  std::vector<Outcome> out;
  std::array<KivClass, 2> objects;
  for (size_t i = 0; i < cases.size(); ++i) {
    KivClass& rater = objects[i % 2];
    KivClass& other = objects[(i + 1) % 2];
    out.push_back(rate(rater, cases[i]));
    out.push_back(call(other, [&] { other.EffectivenessCalculate(); }));
  }
  return out;
}

TEST(ReliabilityThreads, SequencesKeepTheirHistoryPerThreadWhenRunSideBySide) {
  std::vector<std::vector<Case>> sequences;
  for (unsigned t = 0; t < kThreads; ++t) sequences.push_back(make_cases(200, 0xabc0 + t));

  // Alone: each sequence on a new thread, one after the other.
  std::vector<std::vector<Outcome>> alone(kThreads);
  for (unsigned t = 0; t < kThreads; ++t) on_fresh_thread([&] { alone[t] = run_sequence(sequences[t]); });

  // Side by side: all sequences at once, each on a new thread.
  std::vector<std::vector<Outcome>> together(kThreads);
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] { together[t] = run_sequence(sequences[t]); });
  for (auto& th : threads) th.join();

  for (unsigned t = 0; t < kThreads; ++t) {
    ASSERT_EQ(alone[t].size(), together[t].size());
    for (size_t i = 0; i < alone[t].size(); ++i)
      ASSERT_EQ(alone[t][i], together[t][i])
          << "sequence " << t << ", step " << i << ": " << describe_difference(alone[t][i], together[t][i]);
  }
}

// ---------------------------------------------------------------------------------------------
// Two objects of one thread

Case design_day(double supply, double ret) {
  Case c;
  c.si = true;
  c.supply = supply;
  c.ret = ret;
  c.altitude = 200;
  c.dp = 200;
  c.oas_dbt = 35, c.oas_2 = 40, c.oaw_dbt = -10, c.oaw_2 = 80;
  c.ras_dbt = 24, c.ras_2 = 50, c.raw_dbt = 21, c.raw_2 = 40;
  return c;
}

// The smaller stream decides which set of effectiveness copies a run writes: supply smaller
// writes the supply copies, return smaller the exhaust copies.
const Case kSupplySmaller = design_day(9000, 10000);
const Case kReturnSmaller = design_day(12000, 9000);

TEST(ReliabilityThreads, InterleavedObjectsEachGetTheirOwnRating) {
  Outcome solo_a, solo_b;
  on_fresh_thread([&] {
    KivClass a;
    solo_a = rate(a, kSupplySmaller);
  });
  on_fresh_thread([&] {
    KivClass b;
    solo_b = rate(b, kReturnSmaller);
  });
  ASSERT_TRUE(solo_a.error.empty()) << solo_a.error;
  ASSERT_TRUE(solo_b.error.empty()) << solo_b.error;
  ASSERT_NE(solo_a, solo_b);

  on_fresh_thread([&] {
    KivClass a, b;
    for (int round = 0; round < 3; ++round) {
      SCOPED_TRACE(round);
      const Outcome ra = rate(a, kSupplySmaller);
      const Outcome rb = rate(b, kReturnSmaller);
      EXPECT_EQ(ra, solo_a) << describe_difference(solo_a, ra);
      EXPECT_EQ(rb, solo_b) << describe_difference(solo_b, rb);
      // A run of b leaves a's published properties as a's own run left them.
      EXPECT_EQ(capture(a), solo_a);
    }
  });
}

TEST(ReliabilityThreads, SharedResultsAreThoseOfTheThreadsLastRunWhicheverObjectRanIt) {
  // What one run alone leaves in a new thread's state.
  PerformanceResults after_a, after_b;
  AirStates air_b;
  on_fresh_thread([&] {
    KivClass a;
    ASSERT_TRUE(rate(a, kSupplySmaller).error.empty());
    after_a = module_state().performance;
  });
  on_fresh_thread([&] {
    KivClass b;
    ASSERT_TRUE(rate(b, kReturnSmaller).error.empty());
    after_b = module_state().performance;
    air_b = module_state().air;
  });
  ASSERT_FALSE(after_a.SupplyCopyT.is_empty());
  ASSERT_TRUE(after_a.ExhaustCopyT.is_empty());
  ASSERT_FALSE(after_b.ExhaustCopyT.is_empty());
  ASSERT_TRUE(after_b.SupplyCopyT.is_empty());

  on_fresh_thread([&] {
    KivClass a, b;
    ASSERT_TRUE(rate(a, kSupplySmaller).error.empty());
    ASSERT_TRUE(rate(b, kReturnSmaller).error.empty());
    const auto& m = module_state();
    // b's run replaced the efficiencies and air states a's run had left ...
    EXPECT_EQ(m.performance.SummerSupplyEfficiency, after_b.SummerSupplyEfficiency);
    EXPECT_EQ(m.performance.WinterExhaustEfficiency, after_b.WinterExhaustEfficiency);
    EXPECT_EQ(m.performance.ExhaustCopyS, after_b.ExhaustCopyS);
    EXPECT_EQ(m.performance.ExhaustCopyL, after_b.ExhaustCopyL);
    EXPECT_EQ(m.performance.ExhaustCopyT, after_b.ExhaustCopyT);
    EXPECT_EQ(m.air.SupplySummerState.DBT, air_b.SupplySummerState.DBT);
    EXPECT_EQ(m.air.ExhaustWinterState.AbsHum, air_b.ExhaustWinterState.AbsHum);
    // ... but the supply copies, which only a run with the smaller supply writes, are still
    // those of a's run: the thread keeps them for every object.
    EXPECT_EQ(m.performance.SupplyCopyS, after_a.SupplyCopyS);
    EXPECT_EQ(m.performance.SupplyCopyL, after_a.SupplyCopyL);
    EXPECT_EQ(m.performance.SupplyCopyT, after_a.SupplyCopyT);
  });

  // Another thread running at the same time sees none of it.
  on_fresh_thread([&] {
    EXPECT_TRUE(module_state().performance.SupplyCopyT.is_empty());
    EXPECT_TRUE(module_state().performance.SummerSupplyEfficiency.is_empty());
  });
}

TEST(ReliabilityThreads, UnitFlagFollowsTheLastObjectThatReadItsUnits) {
  on_fresh_thread([&] {
    KivClass si, ip;
    si.put_KivunitSI(true);
    ip.put_KivunitSI(false);
    EXPECT_FALSE(ip.get_KivunitSI());
    EXPECT_FALSE(module_state().UnitSIFlag);
    EXPECT_TRUE(si.get_KivunitSI());
    EXPECT_TRUE(module_state().UnitSIFlag) << "one flag per thread, not per object";
    bool other_thread = true;
    on_fresh_thread([&] { other_thread = module_state().UnitSIFlag; });
    EXPECT_FALSE(other_thread) << "a new thread starts with its own flag";
  });
}

}  // namespace
}  // namespace novaflux
