// Ratings on several threads at once give exactly what the same ratings give on one thread.
//
// Values shared by the objects of a thread live in per-thread state and persist between runs,
// so the comparisons keep the history identical: independent cases each start afresh
// (reset_between_cases, as the tool does), and sequences keep their history on a thread of
// their own, alone or beside the others. Then what the shared state means for two objects.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <thread>

#include "common/module_state.hpp"
#include "support/c_rating.hpp"
#include "support/run_fixture.hpp"

namespace novaflux {
namespace {

using test_support::capture;
using test_support::Inputs;
using test_support::on_fresh_thread;
using test_support::Rating;

struct Case {
  Inputs inputs;
  const char* method = "CalculateOutput";
};

// Ordinary design conditions, deterministic: both unit systems, all input modes, flow ratios
// 0.4 to 1.6, altitudes beyond the clamp, with and without purge, now and then a fixed model.
std::vector<Case> make_cases(size_t n, uint64_t seed) {
  uint64_t s = seed;
  const auto uniform = [&](double lo, double hi) {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return lo + (hi - lo) * static_cast<double>(s >> 11) / 9007199254740992.0;
  };
  const auto step = [&](double lo, double hi, double st) { return static_cast<double>(static_cast<int64_t>(uniform(lo, hi) / st)) * st; };
  std::vector<Case> cases(n);
  for (Case& c : cases) {
    const bool si = uniform(0, 1) < 0.5;
    const auto t = [&](double celsius) { return si ? celsius : celsius * 1.8 + 32; };
    const double supply = si ? step(500, 60000, 10) : step(300, 35000, 10);
    c.inputs = {{"KivunitSI", si ? 1.0 : 0.0}, {"KivPurgeWithout", uniform(0, 1) < 0.25 ? 1.0 : 0.0}, {"KivinputSupplyAir", supply},
                {"KivinputReturnAir", std::max(100.0, std::floor(supply * uniform(0.4, 1.6)))},
                {"KivinputAltitude", step(-700, 4500, 1)},
                {"KivinputLeakagePressureDifference", si ? step(20, 520, 1) : step(0.1, 2.1, 0.05)}};
    const double oas = step(24, 45, 0.5), oaw = step(-30, 10, 0.5), ras = step(20, 28, 0.5), raw = step(17, 24, 0.5);
    c.inputs.insert(c.inputs.end(), {{"KivinputOAS_DBT", t(oas)}, {"KivinputOAW_DBT", t(oaw)}, {"KivinputRaS_DBT", t(ras)}, {"KivinputRaW_DBT", t(raw)}});
    // Each group: dry bulb with RH, with humidity ratio (g/kg or grains/lb) or with wet bulb.
    const auto group = [&](bool outdoor, double s_dbt, double w_dbt, double rh_lo, double rh_hi, double gr_s, double gr_w) {
      const int mode = static_cast<int>(uniform(0, 3));
      const char* flag[] = {outdoor ? "KivinputOAUnitDBTRH" : "KivinputRAUnitDBTRH", outdoor ? "KivinputOAUnitDBTGR" : "KivinputRAUnitDBTGR",
                            outdoor ? "KivinputOAUnitDBTWBT" : "KivinputRAUnitDBTWBT"};
      static const char* const names[2][3][2] = {
          {{"KivinputRaS_RH", "KivinputRaW_RH"}, {"KivinputRaS_GR", "KivinputRaW_GR"}, {"KivinputRaS_WBT", "KivinputRaW_WBT"}},
          {{"KivinputOAS_RH", "KivinputOAW_RH"}, {"KivinputOAS_GR", "KivinputOAW_GR"}, {"KivinputOAS_WBT", "KivinputOAW_WBT"}}};
      for (int m = 0; m < 3; ++m) c.inputs.push_back({flag[m], m == mode ? 1.0 : 0.0});
      const double v[3][2] = {{step(rh_lo, rh_hi, 1), step(rh_lo, rh_hi, 1)},
                              {step(gr_s * 0.6, gr_s, 0.1) * (si ? 1 : 7), step(gr_w * 0.2, gr_w, 0.1) * (si ? 1 : 7)},
                              {t(s_dbt - step(1, 12, 0.5)), t(w_dbt - step(1, 12, 0.5))}};
      c.inputs.push_back({names[outdoor][mode][0], v[mode][0]});
      c.inputs.push_back({names[outdoor][mode][1], v[mode][1]});
    };
    group(true, oas, oaw, 10, 95, 20, 2.5);
    group(false, ras, raw, 20, 60, 12, 8);
    const bool fixed = uniform(0, 1) < 0.1;
    c.inputs.push_back({"KivinputModel", fixed ? std::floor(uniform(57, 89)) : 0.0});
    if (fixed) c.method = "CalculateOutputModel";
  }
  return cases;
}

Rating rate(KivObject* o, const Case& c) {
  for (const auto& [name, value] : c.inputs) kiv_put(o, name, value);
  return capture(o, kiv_call(o, c.method));
}

// One independent case: a new object on a thread whose run state starts afresh.
Rating rate_independent(const Case& c) {
  reset_between_cases();
  KivObject* o = kiv_create();
  const Rating r = rate(o, c);
  kiv_destroy(o);
  return r;
}

TEST(Threads, HundredsOfCasesOnFourThreadsMatchOneThread) {
  const std::vector<Case> cases = make_cases(600, 0x5eed);
  std::vector<Rating> single(cases.size()), multi(cases.size());
  on_fresh_thread([&] {
    for (size_t i = 0; i < cases.size(); ++i) single[i] = rate_independent(cases[i]);
  });
  // A shared counter: which thread rates which case, after which others, varies between runs.
  std::atomic<size_t> next{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (size_t i; (i = next.fetch_add(1)) < cases.size();) multi[i] = rate_independent(cases[i]);
    });
  for (auto& t : threads) t.join();
  size_t succeeded = 0;
  for (size_t i = 0; i < cases.size(); ++i) {
    succeeded += single[i].status == 0;
    ASSERT_EQ(single[i], multi[i]) << "case " << i;
  }
  EXPECT_GT(succeeded, cases.size() * 8 / 10) << "most cases must be complete ratings";
}

// Two objects take turns on one thread, nothing reset; after each rating the other object
// recalculates its effectiveness from the efficiencies the rating just left.
std::vector<Rating> run_sequence(const std::vector<Case>& cases) {
  std::vector<Rating> out;
  KivObject* objects[2] = {kiv_create(), kiv_create()};
  for (size_t i = 0; i < cases.size(); ++i) {
    out.push_back(rate(objects[i % 2], cases[i]));
    KivObject* other = objects[(i + 1) % 2];
    out.push_back(capture(other, kiv_call(other, "EffectivenessCalculate")));
  }
  for (KivObject* o : objects) kiv_destroy(o);
  return out;
}

TEST(Threads, SequencesKeepTheirHistoryPerThreadWhenRunSideBySide) {
  std::vector<std::vector<Case>> sequences;
  for (int t = 0; t < 4; ++t) sequences.push_back(make_cases(80, 0xabc0 + t));
  std::vector<std::vector<Rating>> alone(4), together(4);
  for (int t = 0; t < 4; ++t) on_fresh_thread([&] { alone[t] = run_sequence(sequences[t]); });
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) threads.emplace_back([&, t] { together[t] = run_sequence(sequences[t]); });
  for (auto& th : threads) th.join();
  for (int t = 0; t < 4; ++t)
    for (size_t i = 0; i < alone[t].size(); ++i) ASSERT_EQ(alone[t][i], together[t][i]) << "sequence " << t << ", step " << i;
}

// The smaller stream decides which effectiveness copies a run writes.
Case design_day(double supply, double ret) {
  Case c{test_support::si_design_day_inputs()};
  c.inputs.push_back({"KivinputSupplyAir", supply});
  c.inputs.push_back({"KivinputReturnAir", ret});
  return c;
}
const Case kSupplySmaller = design_day(9000, 10000), kReturnSmaller = design_day(12000, 9000);

TEST(Threads, InterleavedObjectsGetTheirOwnRatingsButShareTheThreadsResults) {
  Rating solo_a, solo_b;
  PerformanceResults after_a, after_b;
  on_fresh_thread([&] {
    solo_a = rate_independent(kSupplySmaller);
    after_a = module_state().performance;
  });
  on_fresh_thread([&] {
    solo_b = rate_independent(kReturnSmaller);
    after_b = module_state().performance;
  });
  ASSERT_EQ(solo_a.status, 0) << solo_a.error;
  ASSERT_NE(solo_a, solo_b);
  ASSERT_TRUE(after_a.ExhaustCopyT.is_empty());
  ASSERT_TRUE(after_b.SupplyCopyT.is_empty());
  on_fresh_thread([&] {
    KivObject *a = kiv_create(), *b = kiv_create();
    for (int round = 0; round < 2; ++round) {
      EXPECT_EQ(rate(a, kSupplySmaller), solo_a);
      EXPECT_EQ(rate(b, kReturnSmaller), solo_b);
      EXPECT_EQ(capture(a, 0), solo_a) << "a run of b leaves a's properties alone";
    }
    // b's run replaced the efficiencies a's run had left, but the supply copies, which only a
    // run with the smaller supply writes, are still a's: the thread keeps them for every object.
    const auto& m = module_state().performance;
    EXPECT_EQ(m.SummerSupplyEfficiency, after_b.SummerSupplyEfficiency);
    EXPECT_EQ(m.ExhaustCopyT, after_b.ExhaustCopyT);
    EXPECT_EQ(m.SupplyCopyT, after_a.SupplyCopyT);
    kiv_destroy(a);
    kiv_destroy(b);
  });
}

}  // namespace
}  // namespace novaflux
