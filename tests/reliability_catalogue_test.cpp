// Complete ratings against a catalogue that is missing, damaged, odd or replaced: each gives
// either the results of one complete catalogue or a clear error naming the file and the
// defect; never a crash, and never a run that reads two versions of the file.
//
// The ratings go through the C interface (kiv_set_catalogue, kiv_put, kiv_call), as a host
// would make them; the replacement while ratings run also goes through the tool's batch.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "common/module_state.hpp"
#include "component/interface_table.hpp"
#include "novaflux/kiv.h"
#include "psychrometrics/psy_binding.hpp"
#include "support/files.hpp"
#include "support/test_catalogue.hpp"

namespace novaflux {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------------
// Files


// Puts new contents in place the way installers do: a new file renamed over the old one.
void replace_by_rename(const std::string& path, const std::string& bytes) {
  const std::string staged = path + ".staged";
  write_bytes(staged, bytes);
  fs::rename(staged, path);
}

// The sample catalogue with different figures in every table a rating reads, so that a run
// reading some tables from it and others from the sample gives results equal to neither.
constexpr const char* kAlteration =
    "UPDATE modelmast SET netarearot = netarearot * 1.03, wonetarearot = wonetarearot * 1.03;"
    "UPDATE txlmastS SET efficiency = efficiency + 1, sefficiency = sefficiency + 1.5,"
    "  lefficiency = lefficiency + 0.5, pdroppa = pdroppa * 1.1;"
    "UPDATE txlmastW SET efficiency = efficiency + 2, sefficiency = sefficiency + 2.5,"
    "  lefficiency = lefficiency + 1.5, pdroppa = pdroppa * 1.2;"
    "UPDATE eatrvalue SET EATRwp = EATRwp + 0.5, EATRwop = EATRwop + 0.5,"
    "  OACFwp = OACFwp + 0.01, OACFwop = OACFwop + 0.01;"
    "UPDATE dimension SET dimH = dimH + 10, dimD = dimD + 10, Weight = Weight + 7;"
    "UPDATE dewpoint SET dewf = dewf + 1;";

TestCatalogue altered_sample() {
  TestCatalogue b = TestCatalogue::sample();
  b.exec(kAlteration);
  return b;
}

// Replaces the file again and again, alternating two contents, until stopped.
class Replacer {
public:
  Replacer(const std::string& path, const std::string& a, const std::string& b)
      : thread_([this, path, a, b] {
          for (int i = 0; !stop_; ++i) {
            replace_by_rename(path, i % 2 ? a : b);
            std::this_thread::sleep_for(std::chrono::microseconds(200));  // let readers in
          }
        }) {}
  ~Replacer() {
    stop_ = true;
    thread_.join();
  }

private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// ---------------------------------------------------------------------------------------------
// Ratings through the C interface

struct Rating {
  int status = 0;
  int number = 0;
  std::string error;
  std::vector<std::string> values;  // every property, exact
  bool all_finite = true;           // every numeric property a finite number
  friend bool operator==(const Rating&, const Rating&) = default;
};

std::string exact(double x) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, res.ptr);
}

void put_design_day(KivObject* o) {
  const std::pair<const char*, double> inputs[] = {
      {"KivunitSI", 1},           {"KivinputSupplyAir", 10000},
      {"KivinputReturnAir", 9000}, {"KivinputAltitude", 200},
      {"KivinputLeakagePressureDifference", 110}, {"KivinputOAUnitDBTRH", 1},
      {"KivinputRAUnitDBTRH", 1}, {"KivinputOAS_DBT", 35},
      {"KivinputOAS_RH", 40},     {"KivinputOAW_DBT", -10},
      {"KivinputOAW_RH", 80},     {"KivinputRaS_DBT", 24},
      {"KivinputRaS_RH", 50},     {"KivinputRaW_DBT", 21},
      {"KivinputRaW_RH", 40},     {"KivinputModel", 66}};
  for (const auto& [name, value] : inputs) ASSERT_EQ(kiv_put(o, name, value), 0) << name;
}

Rating capture(KivObject* o, int status) {
  Rating r;
  r.status = status;
  r.number = kiv_last_error_number(o);
  r.error = kiv_last_error(o);
  for (const auto& p : detail::properties()) {
    const std::string name(p.name);
    double value = 0.0;
    if (kiv_get(o, name.c_str(), &value) == 0) {
      r.values.push_back(exact(value));
      r.all_finite = r.all_finite && std::isfinite(value);
    } else {
      char text[256];
      kiv_get_text(o, name.c_str(), text, sizeof text);
      r.values.push_back(std::string("text:") + text);
    }
  }
  return r;
}

// One rating on a new object: CalculateOutput, CalculateOutputModel (model 66) or EATRValue.
// The thread's run state starts afresh, as in the tool: a step that skips a statement on an odd
// cell leaves the value of the thread's previous run, so without the reset the outcome of a
// file would depend on what was rated before it.
Rating rate(const char* method = "CalculateOutput") {
  reset_between_cases();
  KivObject* o = kiv_create();
  put_design_day(o);
  const int status = kiv_call(o, method);
  Rating r = capture(o, status);
  kiv_destroy(o);
  return r;
}

// The catalogue the C interface reads for the life of the object.
class UseCatalogue {
public:
  explicit UseCatalogue(const std::string& path) { EXPECT_EQ(kiv_set_catalogue(path.c_str()), 0); }
  ~UseCatalogue() { kiv_set_catalogue(nullptr); }
};

std::string describe(const Rating& r) {
  return r.status == 0 ? std::string("success") : "failure " + std::to_string(r.number) + ": " + r.error;
}

void PrintTo(const Rating& r, std::ostream* os) {
  *os << describe(r);
  const auto props = detail::properties();
  for (size_t i = 0; i < r.values.size(); ++i)
    if (r.values[i] != "0" && r.values[i] != "text:") *os << "\n  " << props[i].name << " = " << r.values[i];
}

constexpr const char* kMethods[] = {"CalculateOutput", "CalculateOutputModel", "EATRValue"};

// ---------------------------------------------------------------------------------------------
// Files a rating cannot read: the error names the file and the defect.

struct Unreadable {
  const char* name;
  std::function<void(const std::string& path)> make;  // makes `path` (NOVAFLUX.db in a new folder)
  std::string defect;                                 // the start of what follows "catalogue PATH: "
};

std::string sample_bytes() {
  static const std::string bytes = read_bytes(TestCatalogue::sample().path());
  return bytes;
}

void sample_cut_to(const std::string& path, size_t size) {
  write_bytes(path, sample_bytes().substr(0, size));
}

void sample_altered(const std::string& path, const std::string& sql) {
  write_bytes(path, sample_bytes());
  TestCatalogue::Connection(path).exec(sql);
}

const Unreadable kUnreadable[] = {
    {"missing", [](const std::string&) {}, "no such file"},
    {"dangling_link", [](const std::string& p) { fs::create_symlink(p + ".gone", p); }, "no such file"},
    {"link_loop", [](const std::string& p) { fs::create_symlink(p, p); }, "Too many levels of symbolic links"},
    {"directory", [](const std::string& p) { fs::create_directory(p); }, "is a directory, not a file"},
    {"fifo", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, "not a regular file"},
    {"empty", [](const std::string& p) { write_bytes(p, ""); }, "empty file, not an SQLite database"},
    {"text", [](const std::string& p) { write_bytes(p, "modelid,type\n57,E\n"); }, "not an SQLite database"},
    {"shared_library",
     [](const std::string& p) { fs::copy_file(std::string(NOVAFLUX_BINARY_DIR) + "/lib/libpsylib32.so", p); },
     "not an SQLite database"},
    {"cut_in_header", [](const std::string& p) { sample_cut_to(p, 60); }, "truncated"},
    {"cut_after_header", [](const std::string& p) { sample_cut_to(p, 100); }, "truncated"},
    {"cut_to_one_page", [](const std::string& p) { sample_cut_to(p, 4096); }, "truncated"},
    {"cut_in_half", [](const std::string& p) { sample_cut_to(p, sample_bytes().size() / 2); }, "truncated"},
    {"cut_by_one_page", [](const std::string& p) { sample_cut_to(p, sample_bytes().size() - 4096); }, "truncated"},
    {"cut_by_one_byte", [](const std::string& p) { sample_cut_to(p, sample_bytes().size() - 1); }, "truncated"},
    {"header_then_zeros",
     [](const std::string& p) { write_bytes(p, sample_bytes().substr(0, 100) + std::string(8092, '\0')); }, ""},
    {"no_modelmast", [](const std::string& p) { sample_altered(p, "DROP TABLE modelmast"); }, "no table modelmast"},
    {"no_txlmastS", [](const std::string& p) { sample_altered(p, "DROP TABLE txlmastS"); }, "no table txlmastS"},
    {"no_txlmastW", [](const std::string& p) { sample_altered(p, "DROP TABLE txlmastW"); }, "no table txlmastW"},
    {"no_eatrvalue", [](const std::string& p) { sample_altered(p, "DROP TABLE eatrvalue"); }, "no table eatrvalue"},
    {"no_dimension", [](const std::string& p) { sample_altered(p, "DROP TABLE dimension"); }, "no table dimension"},
    {"no_dewpoint", [](const std::string& p) { sample_altered(p, "DROP TABLE dewpoint"); }, "no table dewpoint"},
    {"no_column_modelmast",
     [](const std::string& p) { sample_altered(p, "ALTER TABLE modelmast DROP COLUMN netarearot"); },
     "table modelmast has no column netarearot"},
    {"no_column_txlmastS",
     [](const std::string& p) { sample_altered(p, "ALTER TABLE txlmastS DROP COLUMN sefficiency"); },
     "table txlmastS has no column sefficiency"},
    {"no_column_txlmastW",
     [](const std::string& p) { sample_altered(p, "ALTER TABLE txlmastW RENAME COLUMN velocityfpm TO velocity"); },
     "table txlmastW has no column velocityfpm"},
    {"no_column_eatrvalue",
     [](const std::string& p) { sample_altered(p, "ALTER TABLE eatrvalue DROP COLUMN Purge_Anglewp"); },
     "table eatrvalue has no column Purge_Anglewp"},
    {"no_column_dimension",
     [](const std::string& p) { sample_altered(p, "ALTER TABLE dimension RENAME COLUMN Weight TO weight_kg"); },
     "table dimension has no column Weight"},
    {"no_column_dewpoint",
     [](const std::string& p) { sample_altered(p, "ALTER TABLE dewpoint DROP COLUMN dewf"); },
     "table dewpoint has no column dewf"},
    {"view_missing_a_column",
     [](const std::string& p) {
       sample_altered(p,
                      "ALTER TABLE dimension RENAME TO dimension_rows;"
                      "CREATE VIEW dimension AS SELECT rotor_dia, series, type, rotdepth, dimH, dimD,"
                      " drivemot FROM dimension_rows");
     },
     "table dimension has no column Weight"},
};

void PrintTo(const Unreadable& c, std::ostream* os) { *os << c.name; }

class ReliabilityCatalogueUnreadable : public ::testing::TestWithParam<Unreadable> {};

TEST_P(ReliabilityCatalogueUnreadable, EveryMethodFailsNamingTheFileAndTheDefect) {
  const Unreadable& c = GetParam();
  const std::string dir = make_temp_dir();
  const std::string path = dir + "/NOVAFLUX.db";
  c.make(path);
  {
    UseCatalogue use(path);
    for (const char* method : kMethods) {
      SCOPED_TRACE(method);
      // Twice: a failure is not remembered as a catalogue, nor does it turn into a crash later.
      for (int attempt = 0; attempt < 2; ++attempt) {
        const Rating r = rate(method);
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(r.number, 3001) << r.error;
        const std::string expected = "catalogue " + path + ": " + c.defect;
        EXPECT_EQ(r.error.substr(0, expected.size()), expected);
        // Nothing was rated: no model name and no leaving air state.
        EXPECT_EQ(r.values[detail::find_property("KivOutNOVAFLUXModel") - detail::properties().data()], "0");
        EXPECT_EQ(r.values[detail::find_property("KivoutSaS_DBT") - detail::properties().data()], "0");
      }
    }
  }
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Faults, ReliabilityCatalogueUnreadable, ::testing::ValuesIn(kUnreadable),
                         [](const ::testing::TestParamInfo<Unreadable>& info) { return std::string(info.param.name); });

// A writer that holds the file locked longer than a reader waits: a clear error, and the next
// rating, once the lock is gone, reads the file.
TEST(ReliabilityCatalogue, FileLockedByAWriterFailsClearlyThenReadsOnceUnlocked) {
  TestCatalogue cat = TestCatalogue::sample();
  UseCatalogue use(cat.path());
  Rating locked;
  {
    auto writer = cat.connect();
    writer.exec("BEGIN EXCLUSIVE; UPDATE dimension SET Weight = Weight + 1");
    locked = rate();
    writer.exec("ROLLBACK");
  }
  EXPECT_NE(locked.status, 0);
  EXPECT_EQ(locked.number, 3001);
  EXPECT_EQ(locked.error.rfind("catalogue " + cat.path() + ": ", 0), 0u) << locked.error;
  EXPECT_NE(locked.error.find("locked"), std::string::npos) << locked.error;

  const Rating after = rate();
  EXPECT_EQ(after.status, 0) << after.error;
  EXPECT_EQ(after, rate()) << "the rating after the lock is the rating of the file";
}

// ---------------------------------------------------------------------------------------------
// Files that read, with odd cells: Null, text or out-of-range numbers where a number belongs,
// or no rows at all. A rating either completes with finite figures or fails with a described
// error; it never crashes and never publishes a NaN or an infinity.

struct OddData {
  const char* name;
  std::string sql;  // applied to a copy of the sample
};

std::vector<OddData> odd_data() {
  std::vector<OddData> cases;
  const std::pair<const char*, std::vector<const char*>> numeric_columns[] = {
      {"modelmast", {"modelid", "rotor_dia", "netarearot", "wonetarearot"}},
      {"txlmastS", {"velocityfpm", "rotdepth", "efficiency", "sefficiency", "lefficiency", "pdroppa"}},
      {"txlmastW", {"velocityfpm", "rotdepth", "efficiency", "sefficiency", "lefficiency", "pdroppa"}},
      {"eatrvalue",
       {"Pressure_Differential", "Pressure_Differentialin", "EATRwp", "OACFwp", "Purge_Anglewp", "EATRwop",
        "OACFwop", "Purge_Anglewop"}},
      {"dimension", {"rotor_dia", "rotdepth", "dimH", "dimD", "drivemot", "Weight"}},
      {"dewpoint", {"grsp", "dewf"}},
  };
  // Every numeric column: Null everywhere, text everywhere, infinite, huge, zero, negative.
  const std::pair<const char*, const char*> values[] = {
      {"null", "NULL"}, {"text", "'n/a'"}, {"inf", "9e999"}, {"huge", "1e308"}, {"zero", "0"}, {"negative", "-1"}};
  for (const auto& [table, columns] : numeric_columns) {
    for (const char* column : columns) {
      for (const auto& [what, value] : values) {
        cases.push_back({nullptr, std::string("UPDATE ") + table + " SET " + column + " = " + value});
      }
    }
  }
  // Text columns: Null, another code, empty.
  const std::pair<const char*, const char*> text_columns[] = {
      {"modelmast", "type"}, {"txlmastS", "series"}, {"txlmastS", "type"}, {"txlmastW", "series"},
      {"txlmastW", "type"},  {"dimension", "series"}, {"dimension", "type"}};
  for (const auto& [table, column] : text_columns)
    for (const char* value : {"NULL", "''", "'f2'", "12"})
      cases.push_back({nullptr, std::string("UPDATE ") + table + " SET " + column + " = " + value});
  // A single odd row in the middle of good ones.
  cases.push_back({nullptr, "UPDATE txlmastS SET efficiency = NULL WHERE velocityfpm = 500"});
  cases.push_back({nullptr, "UPDATE txlmastW SET pdroppa = 'high' WHERE velocityfpm = 600"});
  cases.push_back({nullptr, "UPDATE modelmast SET netarearot = NULL WHERE modelid = 64"});
  cases.push_back({nullptr, "UPDATE eatrvalue SET EATRwp = NULL WHERE Pressure_Differential = 100"});
  cases.push_back({nullptr, "INSERT INTO txlmastS SELECT * FROM txlmastS WHERE velocityfpm = 500"});
  // Empty tables.
  for (const char* table : {"modelmast", "txlmastS", "txlmastW", "eatrvalue", "dimension", "dewpoint"})
    cases.push_back({nullptr, std::string("DELETE FROM ") + table});
  return cases;
}

TEST(ReliabilityCatalogue, OddCellsGiveFiniteFiguresOrADescribedError) {
  const std::vector<OddData> cases = odd_data();
  size_t completed = 0, failed = 0;
  for (const OddData& c : cases) {
    SCOPED_TRACE(c.sql);
    TestCatalogue cat = TestCatalogue::sample();
    cat.exec(c.sql);
    UseCatalogue use(cat.path());
    for (const char* method : kMethods) {
      SCOPED_TRACE(method);
      const Rating r = rate(method);
      if (r.status == 0) {
        ++completed;
        EXPECT_TRUE(r.all_finite) << "a completed rating published a NaN or an infinity";
        EXPECT_EQ(r.error, "");
      } else {
        ++failed;
        EXPECT_GT(r.number, 0);
        EXPECT_FALSE(r.error.empty());
      }
      // The same file gives the same outcome again.
      EXPECT_EQ(rate(method), r);
    }
  }
  // Both outcomes occur: some odd cells are skipped as the product skips them, others end
  // the run.
  EXPECT_GT(completed, 0u);
  EXPECT_GT(failed, 0u);
}

// An infinity stored as a cassette dimension once reached the published outputs of a
// "successful" rating; it is now a catalogue error naming the file and the cell.
TEST(ReliabilityCatalogue, InfiniteCellFailsTheLoadNamingTableRowAndColumn) {
  const std::pair<const char*, const char*> cells[] = {
      {"dimension", "dimH"}, {"dimension", "dimD"},          {"dimension", "drivemot"},
      {"dimension", "Weight"}, {"txlmastS", "efficiency"},   {"txlmastW", "pdroppa"},
      {"modelmast", "netarearot"}, {"eatrvalue", "OACFwp"}};
  for (const auto& [table, column] : cells) {
    SCOPED_TRACE(std::string(table) + "." + column);
    TestCatalogue cat = TestCatalogue::sample();
    cat.exec(std::string("UPDATE ") + table + " SET " + column + " = -9e999");
    UseCatalogue use(cat.path());
    for (const char* method : {"CalculateOutput", "CalculateOutputModel"}) {
      const Rating r = rate(method);
      EXPECT_EQ(r.number, 3001) << method << ": " << describe(r);
      EXPECT_EQ(r.error, "catalogue " + cat.path() + ": table " + table + ", row 1, column " + column +
                             " holds a number that is not finite");
      EXPECT_TRUE(r.all_finite);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Replacement between runs

TEST(ReliabilityCatalogue, ReplacementBetweenRatingsIsReadByTheNextRating) {
  TestCatalogue a = TestCatalogue::sample();
  TestCatalogue b = altered_sample();
  Rating with_a[3], with_b[3];
  for (int m = 0; m < 3; ++m) {
    {
      UseCatalogue use(a.path());
      with_a[m] = rate(kMethods[m]);
    }
    {
      UseCatalogue use(b.path());
      with_b[m] = rate(kMethods[m]);
    }
    ASSERT_EQ(with_a[m].status, 0) << with_a[m].error;
    ASSERT_EQ(with_b[m].status, 0) << with_b[m].error;
    ASSERT_NE(with_a[m], with_b[m]) << kMethods[m] << ": the two catalogues must rate differently";
  }

  TestCatalogue live = TestCatalogue::sample();
  const std::string a_bytes = read_bytes(a.path()), b_bytes = read_bytes(b.path());
  UseCatalogue use(live.path());
  struct Step {
    const char* what;
    std::function<void()> change;
    int expect;  // 0: a, 1: b, -1: an error naming the file
  };
  const Step steps[] = {
      {"as it was", [] {}, 0},
      {"renamed over", [&] { replace_by_rename(live.path(), b_bytes); }, 1},
      {"renamed back", [&] { replace_by_rename(live.path(), a_bytes); }, 0},
      {"rewritten in place", [&] { write_bytes(live.path(), b_bytes); }, 1},
      {"removed", [&] { fs::remove(live.path()); }, -1},
      {"put back", [&] { write_bytes(live.path(), a_bytes); }, 0},
      {"cut short in place", [&] { fs::resize_file(live.path(), 8192); }, -1},
      {"replaced by text", [&] { replace_by_rename(live.path(), "not a catalogue"); }, -1},
      {"replaced by the other", [&] { replace_by_rename(live.path(), b_bytes); }, 1},
      {"renamed back again", [&] { replace_by_rename(live.path(), a_bytes); }, 0},
      {"changed through SQLite", [&] { live.exec(kAlteration); }, 1},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    for (int m = 0; m < 3; ++m) {
      const Rating r = rate(kMethods[m]);
      if (step.expect < 0) {
        EXPECT_EQ(r.number, 3001) << describe(r);
        EXPECT_EQ(r.error.rfind("catalogue " + live.path() + ": ", 0), 0u) << r.error;
      } else {
        EXPECT_EQ(r, step.expect == 0 ? with_a[m] : with_b[m]) << kMethods[m] << ": " << describe(r);
      }
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Replacement in the middle of a run: the psychrometric entry points are wrapped so that the
// first call of a run (after the catalogue has been opened for model selection, before the
// pressure drops and the cassette data are read) puts the other catalogue in place.

PsyFunctions g_real{};
std::function<void()> g_on_first_call;

void first_call() {
  if (g_on_first_call) {
    auto act = std::move(g_on_first_call);
    g_on_first_call = nullptr;
    act();
  }
}
template <PsyFn3 PsyFunctions::*M>
float hooked3(float a, float b, short alt) {
  first_call();
  return (g_real.*M)(a, b, alt);
}
template <PsyFn2 PsyFunctions::*M>
float hooked2(float a, float b) {
  first_call();
  return (g_real.*M)(a, b);
}

const PsyFunctions kHooked{
    hooked3<&PsyFunctions::LCWETBULB>,    hooked3<&PsyFunctions::LCRH>,
    hooked3<&PsyFunctions::LCDENSITY>,    hooked3<&PsyFunctions::LCRHTOGR>,
    hooked3<&PsyFunctions::LCWBTOGR>,     hooked2<&PsyFunctions::LCENTHALPY>,
    hooked3<&PsyFunctions::LCSI_WETBULB>, hooked3<&PsyFunctions::LCSI_RH>,
    hooked3<&PsyFunctions::LCSI_DENSITY>, hooked3<&PsyFunctions::LCSI_RHTOGRAMS>,
    hooked3<&PsyFunctions::LCSI_WBTOGR>,  hooked2<&PsyFunctions::LCSI_ENTHALPY>};

class ReliabilityCatalogueMidRun : public ::testing::TestWithParam<bool> {};

TEST_P(ReliabilityCatalogueMidRun, ReplacementDuringARunIsReadByTheNextRunOnly) {
  detail::set_catalogue_change_notifications(GetParam());
  TestCatalogue a = TestCatalogue::sample();
  TestCatalogue b = altered_sample();
  const std::string a_bytes = read_bytes(a.path()), b_bytes = read_bytes(b.path());

  std::thread([&] {
    Rating with_a[2], with_b[2];
    for (int m = 0; m < 2; ++m) {
      {
        UseCatalogue use(a.path());
        with_a[m] = rate(kMethods[m]);
      }
      {
        UseCatalogue use(b.path());
        with_b[m] = rate(kMethods[m]);
      }
      ASSERT_NE(with_a[m], with_b[m]);
    }

    TestCatalogue live = TestCatalogue::sample();
    UseCatalogue use(live.path());
    g_real = psy();
    module_state().psy = &kHooked;
    for (int m = 0; m < 2; ++m) {
      SCOPED_TRACE(kMethods[m]);
      for (int round = 0; round < 2; ++round) {
        const bool now_a = read_bytes(live.path()) == a_bytes;
        bool replaced = false;
        g_on_first_call = [&] {
          replace_by_rename(live.path(), now_a ? b_bytes : a_bytes);
          replaced = true;
        };
        const Rating during = rate(kMethods[m]);
        ASSERT_TRUE(replaced) << "the run never called the psychrometric library";
        EXPECT_EQ(during, now_a ? with_a[m] : with_b[m]) << "a run read two catalogues: " << describe(during);
        // The next run reads the file now in place.
        EXPECT_EQ(rate(kMethods[m]), now_a ? with_b[m] : with_a[m]);
      }
    }
    module_state().psy = nullptr;
  }).join();
  detail::set_catalogue_change_notifications(true);
}

INSTANTIATE_TEST_SUITE_P(Detection, ReliabilityCatalogueMidRun, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Notified" : "Polled";
                         });

// ---------------------------------------------------------------------------------------------
// Replacement while many ratings run on several threads: every rating is that of one file.

TEST(ReliabilityCatalogue, ReplacementWhileThreadsRateGivesEachRatingOneCatalogue) {
  TestCatalogue a = TestCatalogue::sample();
  TestCatalogue b = altered_sample();
  const std::string a_bytes = read_bytes(a.path()), b_bytes = read_bytes(b.path());
  Rating with_a[3], with_b[3];
  for (int m = 0; m < 3; ++m) {
    {
      UseCatalogue use(a.path());
      with_a[m] = rate(kMethods[m]);
    }
    {
      UseCatalogue use(b.path());
      with_b[m] = rate(kMethods[m]);
    }
  }

  TestCatalogue live = TestCatalogue::sample();
  UseCatalogue use(live.path());
  std::atomic<int> mixed{0}, other{0};
  Replacer replacer(live.path(), a_bytes, b_bytes);
  std::vector<std::thread> raters;
  for (int t = 0; t < 3; ++t) {
    raters.emplace_back([&] {
      for (int i = 0; i < 150; ++i) {
        const int m = i % 3;
        reset_between_cases();
        const Rating r = rate(kMethods[m]);
        if (r.status != 0) {
          // The only acceptable failure: the file was caught between the writer's steps.
          if (r.number != 3001 || r.error.rfind("catalogue " + live.path() + ": ", 0) != 0) ++other;
        } else if (!(r == with_a[m]) && !(r == with_b[m])) {
          ++mixed;
        }
      }
    });
  }
  for (auto& t : raters) t.join();
  EXPECT_EQ(mixed, 0) << "ratings that match neither catalogue";
  EXPECT_EQ(other, 0) << "failures other than a catalogue error naming the file";
}

// The tool's batch, on worker threads of its own, while the file is replaced again and again:
// every output row is the row of one catalogue.
std::string run_tool(const std::string& args, int& status) {
  const std::string command = std::string(NOVAFLUX_BINARY_DIR) + "/bin/novaflux " + args + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while (pipe && (n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  status = pipe ? ::pclose(pipe) : -1;
  return out;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(ReliabilityCatalogue, ReplacementWhileTheBatchRunsGivesEachRowOneCatalogue) {
  TestCatalogue a = TestCatalogue::sample();
  TestCatalogue b = altered_sample();
  const std::string a_bytes = read_bytes(a.path()), b_bytes = read_bytes(b.path());
  const std::string dir = make_temp_dir();

  // Rows of a few kinds, repeated: the output row of each kind is known for either file.
  const char* kinds[] = {
      "true,10000,9000,200,110,true,true,35,40,-10,80,24,50,21,40",
      "true,4000,5200,0,250,true,true,30,55,-20,90,22,45,20,30",
      "false,8000,8000,300,0.8,true,true,95,40,14,80,75,50,70,40",
  };
  const std::string header =
      "KivunitSI,KivinputSupplyAir,KivinputReturnAir,KivinputAltitude,KivinputLeakagePressureDifference,"
      "KivinputOAUnitDBTRH,KivinputRAUnitDBTRH,KivinputOAS_DBT,KivinputOAS_RH,KivinputOAW_DBT,KivinputOAW_RH,"
      "KivinputRaS_DBT,KivinputRaS_RH,KivinputRaW_DBT,KivinputRaW_RH\n";
  std::string small = header, large = header;
  for (const char* k : kinds) small += std::string(k) + "\n";
  for (int i = 0; i < 600; ++i) large += std::string(kinds[i % 3]) + "\n";
  write_bytes(dir + "/small.csv", small);
  write_bytes(dir + "/large.csv", large);

  int status = 0;
  run_tool("--catalogue " + a.path() + " batch " + dir + "/small.csv -o " + dir + "/a.csv --threads 1", status);
  ASSERT_EQ(status, 0) << read_bytes(dir + "/a.csv");
  run_tool("--catalogue " + b.path() + " batch " + dir + "/small.csv -o " + dir + "/b.csv --threads 1", status);
  ASSERT_EQ(status, 0);
  const auto rows_a = lines_of(read_bytes(dir + "/a.csv")), rows_b = lines_of(read_bytes(dir + "/b.csv"));
  ASSERT_EQ(rows_a.size(), 4u);
  ASSERT_EQ(rows_b.size(), 4u);
  for (size_t k = 1; k < 4; ++k) ASSERT_NE(rows_a[k], rows_b[k]);

  TestCatalogue live = TestCatalogue::sample();
  std::string messages;
  {
    Replacer replacer(live.path(), a_bytes, b_bytes);
    messages = run_tool(
        "--catalogue " + live.path() + " batch " + dir + "/large.csv -o " + dir + "/out.csv --threads 3", status);
  }
  ASSERT_TRUE(WIFEXITED(status)) << messages;
  // 0: every row rated; 2: some rows failed (only a catalogue error is acceptable, below).
  ASSERT_TRUE(WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 2) << messages;

  const auto out = lines_of(read_bytes(dir + "/out.csv"));
  ASSERT_EQ(out.size(), 601u) << messages;
  EXPECT_EQ(out[0], rows_a[0]);
  size_t mixed = 0, failed = 0;
  for (size_t i = 1; i < out.size(); ++i) {
    const size_t k = (i - 1) % 3 + 1;
    if (out[i] == rows_a[k] || out[i] == rows_b[k]) continue;
    if (out[i].find(",3001,\"catalogue " + live.path() + ": ") != std::string::npos ||
        out[i].find(",3001,catalogue " + live.path() + ": ") != std::string::npos) {
      ++failed;
      continue;
    }
    if (++mixed <= 3) ADD_FAILURE() << "row " << i << " matches neither catalogue:\n" << out[i];
  }
  EXPECT_EQ(mixed, 0u);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace novaflux
