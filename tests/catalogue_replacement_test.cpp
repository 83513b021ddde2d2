// Complete ratings against a catalogue with odd cells or one that is replaced between runs,
// during a run and while several threads rate: each rating is that of one complete file or a
// clear error naming the file; never a crash, a NaN or a run that read two versions.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "catalogue/catalogue.hpp"
#include "common/module_state.hpp"
#include "psychrometrics/psy_binding.hpp"
#include "support/c_rating.hpp"
#include "support/files.hpp"
#include "support/test_catalogue.hpp"
#include "support/test_data.hpp"

namespace novaflux {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;
using test_support::kMethods;
using test_support::rate;
using test_support::Rating;
using test_support::UseCatalogue;

void replace_by_rename(const std::string& path, const std::string& bytes) {
  write_bytes(path + ".staged", bytes);
  fs::rename(path + ".staged", path);
}

// Other figures in every table a rating reads: a run that read some tables from this file and
// others from the sample would match neither.
constexpr const char* kAlteration =
    "UPDATE modelmast SET netarearot = netarearot * 1.03, wonetarearot = wonetarearot * 1.03;"
    "UPDATE txlmastS SET efficiency = efficiency + 1, sefficiency = sefficiency + 1.5, lefficiency = lefficiency + 0.5, pdroppa = pdroppa * 1.1;"
    "UPDATE txlmastW SET efficiency = efficiency + 2, sefficiency = sefficiency + 2.5, lefficiency = lefficiency + 1.5, pdroppa = pdroppa * 1.2;"
    "UPDATE eatrvalue SET EATRwp = EATRwp + 0.5, EATRwop = EATRwop + 0.5, OACFwp = OACFwp + 0.01, OACFwop = OACFwop + 0.01;"
    "UPDATE dimension SET dimH = dimH + 10, dimD = dimD + 10, Weight = Weight + 7;"
    "UPDATE dewpoint SET dewf = dewf + 1;";

// The ratings of each method with the sample (a) and with the altered sample (b).
struct TwoCatalogues {
  TestCatalogue a = TestCatalogue::sample(), b = TestCatalogue::sample();
  std::string a_bytes, b_bytes;
  Rating with_a[3], with_b[3];
  TwoCatalogues() {
    b.exec(kAlteration);
    a_bytes = read_bytes(a.path());
    b_bytes = read_bytes(b.path());
    for (int m = 0; m < 3; ++m) {
      with_a[m] = [&] { UseCatalogue use(a.path()); return rate(kMethods[m]); }();
      with_b[m] = [&] { UseCatalogue use(b.path()); return rate(kMethods[m]); }();
      EXPECT_EQ(with_a[m].status, 0) << with_a[m].error;
      EXPECT_NE(with_a[m], with_b[m]) << kMethods[m] << ": the two catalogues must rate differently";
    }
  }
};

// Null, text, infinite, huge, zero and negative numbers, odd codes, single odd rows, empty
// tables: a completed rating with finite figures, or a described failure, the same again.
TEST(CatalogueOddData, FiniteFiguresOrADescribedError) {
  const json odd = test_support::load_json("catalogue_cases.json").at("odd_data");
  auto cases = odd["statements"].get<std::vector<std::string>>();
  for (const auto& [table, columns] : odd["numeric_columns"].items()) cases.push_back("DELETE FROM " + table);
  for (const char* kind : {"numeric", "text"})
    for (const auto& [table, columns] : odd[std::string(kind) + "_columns"].items())
      for (const auto& column : columns)
        for (const auto& value : odd[std::string(kind) + "_values"])
          cases.push_back("UPDATE " + table + " SET " + column.get<std::string>() + " = " + value.get<std::string>());
  size_t completed = 0, failed = 0;
  for (const std::string& sql : cases) {
    SCOPED_TRACE(sql);
    TestCatalogue cat = TestCatalogue::sample();
    cat.exec(sql);
    UseCatalogue use(cat.path());
    for (const char* method : {"CalculateOutput", "CalculateOutputModel"}) {
      const Rating r = rate(method);
      if (r.status == 0) {
        ++completed;
        EXPECT_TRUE(r.all_finite) << method << " published a NaN or an infinity";
        EXPECT_EQ(r.error, "");
      } else {
        ++failed;
        EXPECT_GT(r.number, 0);
        EXPECT_FALSE(r.error.empty());
      }
      EXPECT_EQ(rate(method), r) << "the same file gives the same outcome";
    }
  }
  EXPECT_GT(completed, 0u);
  EXPECT_GT(failed, 0u);
}

// An infinity stored in a cell once reached the outputs of a "successful" rating.
TEST(CatalogueOddData, InfiniteCellFailsTheLoadNamingTableRowAndColumn) {
  const auto cases = test_support::load_json("catalogue_cases.json");  // outlives the loop
  for (const auto& cell : cases.at("infinite_cells")) {
    const std::string table = cell[0], column = cell[1];
    TestCatalogue cat = TestCatalogue::sample();
    cat.exec(std::string("UPDATE ") + table + " SET " + column + " = -9e999");
    UseCatalogue use(cat.path());
    const Rating r = rate();
    EXPECT_EQ(r.number, 3001);
    EXPECT_EQ(r.error, "catalogue " + cat.path() + ": table " + table + ", row 1, column " + column +
                           " holds a number that is not finite");
  }
}

TEST(CatalogueReplacement, BetweenRatingsTheNextRatingReadsTheNewFile) {
  TwoCatalogues two;
  TestCatalogue live = TestCatalogue::sample();
  UseCatalogue use(live.path());
  const std::pair<std::function<void()>, int> steps[] = {  // 0: a, 1: b, -1: an error naming the file
      {[] {}, 0},
      {[&] { replace_by_rename(live.path(), two.b_bytes); }, 1},
      {[&] { replace_by_rename(live.path(), two.a_bytes); }, 0},
      {[&] { write_bytes(live.path(), two.b_bytes); }, 1},
      {[&] { fs::remove(live.path()); }, -1},
      {[&] { write_bytes(live.path(), two.a_bytes); }, 0},
      {[&] { fs::resize_file(live.path(), 8192); }, -1},
      {[&] { replace_by_rename(live.path(), "not a catalogue"); }, -1},
      {[&] { replace_by_rename(live.path(), two.a_bytes); }, 0},
      {[&] { live.exec(kAlteration); }, 1}};
  int step = 0;
  for (const auto& [change, expect] : steps) {
    SCOPED_TRACE(step++);
    change();
    for (int m = 0; m < 3; ++m) {
      const Rating r = rate(kMethods[m]);
      if (expect < 0) { EXPECT_EQ(r.error.rfind("catalogue " + live.path() + ": ", 0), 0u) << r.error; }
      else { EXPECT_EQ(r, expect == 0 ? two.with_a[m] : two.with_b[m]) << kMethods[m]; }
    }
  }
}

// The psychrometric entry points wrapped so that the first call of a run (after model
// selection opened the catalogue, before the pressure drops and cassette data are read) puts
// the other file in place.
PsyFunctions g_real{};
std::function<void()> g_on_first_call;
template <auto M, typename... A>
float hooked(A... a) {
  if (auto act = std::exchange(g_on_first_call, nullptr)) act();
  return (g_real.*M)(a...);
}
const PsyFunctions kHooked{
    hooked<&PsyFunctions::LCWETBULB, float, float, short>,    hooked<&PsyFunctions::LCRH, float, float, short>,
    hooked<&PsyFunctions::LCDENSITY, float, float, short>,    hooked<&PsyFunctions::LCRHTOGR, float, float, short>,
    hooked<&PsyFunctions::LCWBTOGR, float, float, short>,     hooked<&PsyFunctions::LCENTHALPY, float, float>,
    hooked<&PsyFunctions::LCSI_WETBULB, float, float, short>, hooked<&PsyFunctions::LCSI_RH, float, float, short>,
    hooked<&PsyFunctions::LCSI_DENSITY, float, float, short>, hooked<&PsyFunctions::LCSI_RHTOGRAMS, float, float, short>,
    hooked<&PsyFunctions::LCSI_WBTOGR, float, float, short>,  hooked<&PsyFunctions::LCSI_ENTHALPY, float, float>};

class CatalogueReplacementMidRun : public ::testing::TestWithParam<bool> {};

TEST_P(CatalogueReplacementMidRun, IsReadByTheNextRunOnly) {
  detail::set_catalogue_change_notifications(GetParam());
  std::thread([&] {
    TwoCatalogues two;
    TestCatalogue live = TestCatalogue::sample();
    UseCatalogue use(live.path());
    g_real = psy();
    module_state().psy = &kHooked;
    for (int m = 0; m < 2; ++m)
      for (int round = 0; round < 2; ++round) {
        const bool now_a = read_bytes(live.path()) == two.a_bytes;
        bool replaced = false;
        g_on_first_call = [&] {
          replace_by_rename(live.path(), now_a ? two.b_bytes : two.a_bytes);
          replaced = true;
        };
        const Rating during = rate(kMethods[m]);
        ASSERT_TRUE(replaced) << "the run never called the psychrometric library";
        EXPECT_EQ(during, now_a ? two.with_a[m] : two.with_b[m]) << kMethods[m] << ": a run read two catalogues";
        EXPECT_EQ(rate(kMethods[m]), now_a ? two.with_b[m] : two.with_a[m]) << kMethods[m];
      }
    module_state().psy = nullptr;
  }).join();
  detail::set_catalogue_change_notifications(true);
}
INSTANTIATE_TEST_SUITE_P(Detection, CatalogueReplacementMidRun, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Notified" : "Polled"; });

TEST(CatalogueReplacement, WhileThreadsRateEachRatingIsOfOneFile) {
  TwoCatalogues two;
  TestCatalogue live = TestCatalogue::sample();
  UseCatalogue use(live.path());
  std::atomic<bool> stop{false};
  std::thread replacer([&] {
    for (int i = 0; !stop; ++i) {
      replace_by_rename(live.path(), i % 2 ? two.a_bytes : two.b_bytes);
      std::this_thread::sleep_for(std::chrono::microseconds(200));  // let readers in
    }
  });
  std::atomic<int> mixed{0}, other{0};
  std::vector<std::thread> raters;
  for (int t = 0; t < 3; ++t)
    raters.emplace_back([&] {
      for (int i = 0; i < 60; ++i) {
        const Rating r = rate(kMethods[i % 3]);
        if (r.status != 0) other += r.number != 3001 || r.error.rfind("catalogue " + live.path() + ": ", 0) != 0;
        else mixed += !(r == two.with_a[i % 3]) && !(r == two.with_b[i % 3]);
      }
    });
  for (auto& t : raters) t.join();
  stop = true;
  replacer.join();
  EXPECT_EQ(mixed, 0) << "ratings that match neither catalogue";
  EXPECT_EQ(other, 0) << "failures other than a catalogue error naming the file";
}

}  // namespace
}  // namespace novaflux
