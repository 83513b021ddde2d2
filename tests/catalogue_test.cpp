// The catalogue: typed loading, the errors of unusable files, change detection, the builder
// and the checker.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "catalogue/catalogue_builder.hpp"
#include "common/module_state.hpp"
#include "common/run_error.hpp"
#include "support/files.hpp"
#include "support/test_catalogue.hpp"

using namespace novaflux;
namespace fs = std::filesystem;

namespace {

// ---------------------------------------------------------------------------------------------
// Helpers


// The RunError message of `action`, or "" (with a failure) when it does not throw one.
std::string run_error_of(const std::function<void()>& action) {
  try {
    action();
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), ErrorNumber::Catalogue);
    return e.what();
  }
  ADD_FAILURE() << "no RunError";
  return {};
}

// Runs `body` on a thread of its own: it starts without a catalogue connection.
void on_new_thread(const std::function<void()>& body) {
  std::thread t(body);
  t.join();
}

// A copy of the sample whose first model has other areas: told apart by modelmast[0].
TestCatalogue altered_sample(double area) {
  TestCatalogue c = TestCatalogue::sample();
  c.exec("UPDATE modelmast SET netarearot = " + std::to_string(area) + " WHERE modelid = 57");
  return c;
}

double first_area(const Catalogue& c) { return c.modelmast.at(0).netarearot.value(); }

// A plain CSV reader for the sample files (no quoting in them).
std::vector<std::vector<std::string>> read_csv(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream parts(line);
    while (std::getline(parts, field, ',')) fields.push_back(field);
    if (!line.empty() && line.back() == ',') fields.emplace_back();
    rows.push_back(fields);
  }
  return rows;
}

// The type SQLite stored for a cell.
std::string type_of(const std::string& db_path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(db_path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* s = nullptr;
  std::string out = "(no row)";
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
    out = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
  sqlite3_finalize(s);
  sqlite3_close(db);
  return out;
}

// A folder with the sample sources to edit, removed with it.
class SourceFolder {
public:
  SourceFolder() : dir_(make_temp_dir()) {
    for (const auto& entry : fs::directory_iterator(sample_catalogue_sources())) {
      const auto ext = entry.path().extension();
      if (ext == ".csv" || ext == ".sql") fs::copy_file(entry.path(), fs::path(dir_) / entry.path().filename());
    }
  }
  ~SourceFolder() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  const std::string& dir() const { return dir_; }
  std::string file(const std::string& name) const { return dir_ + "/" + name; }
  void write(const std::string& name, const std::string& text) const { write_bytes(file(name), text); }

private:
  std::string dir_;
};

// ---------------------------------------------------------------------------------------------
// Loading

TEST(CatalogueLoad, SampleHasEveryTableInStoredOrder) {
  TestCatalogue cat = TestCatalogue::sample();
  const auto c = load_catalogue(cat.path());
  EXPECT_EQ(c->path, cat.path());
  ASSERT_EQ(c->modelmast.size(), 32u);
  EXPECT_EQ(c->txlmastS.size(), 19u);
  EXPECT_EQ(c->txlmastW.size(), 19u);
  EXPECT_EQ(c->eatrvalue.size(), 12u);
  EXPECT_EQ(c->dimension.size(), 32u);
  EXPECT_EQ(c->dewpoint.size(), 121u);

  const ModelRow& first = c->modelmast.front();
  EXPECT_EQ(first.modelid, 57.0);
  EXPECT_EQ(first.type, "E");
  EXPECT_EQ(first.rotor_dia, 500.0);
  EXPECT_EQ(first.netarearot, 0.74);
  EXPECT_EQ(first.wonetarearot, 0.76);
  const ModelRow& last = c->modelmast.back();
  EXPECT_EQ(last.modelid, 88.0);
  EXPECT_EQ(last.rotor_dia, 5000.0);
  EXPECT_EQ(last.netarearot, 99.79);
  EXPECT_EQ(last.wonetarearot, 102.79);

  for (size_t i = 1; i < c->txlmastS.size(); ++i)
    EXPECT_LT(*c->txlmastS[i - 1].velocityfpm, *c->txlmastS[i].velocityfpm) << "row " << i + 1;
  EXPECT_EQ(c->txlmastW.front().series, "F2");
  EXPECT_EQ(c->txlmastW.front().type, "N");
  EXPECT_EQ(c->txlmastW.front().rotdepth, 200.0);

  // A leakage row with only an IP step: its SI column is Null.
  bool ip_only = false;
  for (const auto& row : c->eatrvalue)
    ip_only = ip_only || (!row.Pressure_Differential && row.Pressure_Differentialin == 2.5);
  EXPECT_TRUE(ip_only);
  EXPECT_EQ(c->dewpoint.front().dewf, 100.0);
}

// How a cell of each stored type reads in a numeric and in a text column.
struct CellCase {
  const char* stored;  // SQL literal
  Num as_number;
  Text as_text;
};

class CatalogueCells : public ::testing::TestWithParam<CellCase> {};

TEST_P(CatalogueCells, ReadByColumnKind) {
  const CellCase& c = GetParam();
  // Columns without declared type keep whatever is stored: a number in the text column
  // `type`, text in the numeric column `netarearot`.
  TestCatalogue cat = TestCatalogue::empty();
  cat.exec("DROP TABLE modelmast; CREATE TABLE modelmast (modelid, type, rotor_dia, netarearot, wonetarearot)");
  cat.exec(std::string("INSERT INTO modelmast VALUES (57, ") + c.stored + ", 500, " + c.stored + ", 1)");
  const auto loaded = load_catalogue(cat.path());
  ASSERT_EQ(loaded->modelmast.size(), 1u);
  EXPECT_EQ(loaded->modelmast[0].netarearot, c.as_number);
  EXPECT_EQ(loaded->modelmast[0].type, c.as_text);
}

INSTANTIATE_TEST_SUITE_P(
    StoredTypes, CatalogueCells,
    ::testing::Values(CellCase{"NULL", std::nullopt, std::nullopt},
                      CellCase{"12", 12.0, "12"},
                      CellCase{"-3", -3.0, "-3"},
                      CellCase{"0.74", 0.74, "0.74"},
                      CellCase{"2.5e3", 2500.0, "2500"},
                      CellCase{"'E'", 0.0, "E"},
                      CellCase{"''", 0.0, ""},
                      CellCase{"'12abc'", 12.0, "12abc"},
                      CellCase{"' 3.5 kg'", 3.5, " 3.5 kg"},
                      CellCase{"'-2e2x'", -200.0, "-2e2x"},
                      CellCase{"'.5'", 0.5, ".5"},
                      CellCase{"X'3432'", 42.0, "42"}));

TEST(CatalogueLoad, ViewsAndTablesWithoutRowidAreReadInTheirOwnOrder) {
  TestCatalogue cat = TestCatalogue::empty();
  cat.exec(
      "DROP TABLE dewpoint;"
      "CREATE TABLE dew_source (grsp REAL, dewf REAL PRIMARY KEY) WITHOUT ROWID;"
      "INSERT INTO dew_source VALUES (110.35, 70), (26.42, 32);"
      "CREATE VIEW dewpoint AS SELECT grsp, dewf FROM dew_source;");
  const auto c = load_catalogue(cat.path());
  ASSERT_EQ(c->dewpoint.size(), 2u);
  EXPECT_EQ(c->dewpoint[0].dewf, 32.0);
  EXPECT_EQ(c->dewpoint[1].grsp, 110.35);
}

// ---------------------------------------------------------------------------------------------
// Unusable files: the message names the file and the defect.

struct BadFileCase {
  const char* name;
  // Makes the bad file in `dir` and returns its path.
  std::function<std::string(const std::string& dir)> make;
  std::string defect;      // the message is "catalogue <path>: <defect>"
  bool prefix_only = false;  // the defect is only the start of the message's tail
};

class CatalogueBadFile : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(CatalogueBadFile, FailsNamingFileAndDefect) {
  const BadFileCase& c = GetParam();
  const std::string dir = make_temp_dir();
  const std::string path = c.make(dir);
  const std::string message = run_error_of([&] { load_catalogue(path); });
  const std::string expected = "catalogue " + path + ": " + c.defect;
  if (c.prefix_only)
    EXPECT_EQ(message.substr(0, expected.size()), expected) << message;
  else
    EXPECT_EQ(message, expected);

  // The per-thread connection fails the same way, and so does every later call.
  on_new_thread([&] {
    ScopedCatalogue use(path);
    for (int call = 0; call < 2; ++call) {
      try {
        open_database();
        ADD_FAILURE() << "open_database() read " << path;
      } catch (const RunError& e) {
        EXPECT_FALSE(e.ignorable());
        EXPECT_EQ(std::string(e.what()).substr(0, expected.size()), expected);
      }
    }
  });
  fs::remove_all(dir);
}

std::string sample_copy(const std::string& dir) {
  const std::string path = dir + "/NOVAFLUX.db";
  TestCatalogue s = TestCatalogue::sample();
  fs::copy_file(s.path(), path);
  return path;
}

std::string altered_copy(const std::string& dir, const std::string& sql) {
  const std::string path = sample_copy(dir);
  TestCatalogue::Connection(path).exec(sql);
  return path;
}

std::string cut_copy(const std::string& dir, size_t keep) {
  const std::string path = sample_copy(dir);
  fs::resize_file(path, keep);
  return path;
}

INSTANTIATE_TEST_SUITE_P(
    Files, CatalogueBadFile,
    ::testing::Values(
        BadFileCase{"missing", [](const std::string& d) { return d + "/NOVAFLUX.db"; }, "no such file"},
        BadFileCase{"missing_folder", [](const std::string& d) { return d + "/nowhere/NOVAFLUX.db"; },
                    "no such file"},
        BadFileCase{"directory", [](const std::string& d) { return d; }, "is a directory, not a file"},
        BadFileCase{"empty",
                    [](const std::string& d) {
                      write_bytes(d + "/NOVAFLUX.db", "");
                      return d + "/NOVAFLUX.db";
                    },
                    "empty file, not an SQLite database"},
        BadFileCase{"text",
                    [](const std::string& d) {
                      write_bytes(d + "/NOVAFLUX.db", std::string(4096, 'x'));
                      return d + "/NOVAFLUX.db";
                    },
                    "not an SQLite database"},
        BadFileCase{"header_cut", [](const std::string& d) { return cut_copy(d, 50); },
                    "truncated (50 bytes, not even a header)"},
        BadFileCase{"pages_cut", [](const std::string& d) { return cut_copy(d, 8192); },
                    "truncated (8192 bytes of ", true},
        BadFileCase{"page_cut_short", [](const std::string& d) { return cut_copy(d, 28000); },
                    "truncated (28000 bytes", true},
        BadFileCase{"no_table",
                    [](const std::string& d) { return altered_copy(d, "DROP TABLE txlmastW"); },
                    "no table txlmastW"},
        BadFileCase{"no_column",
                    [](const std::string& d) {
                      return altered_copy(d, "ALTER TABLE txlmastW DROP COLUMN pdroppa");
                    },
                    "table txlmastW has no column pdroppa"},
        BadFileCase{"no_column_leakage",
                    [](const std::string& d) {
                      return altered_copy(d, "ALTER TABLE eatrvalue RENAME COLUMN OACFwop TO OACF_wop");
                    },
                    "table eatrvalue has no column OACFwop"}),
    [](const ::testing::TestParamInfo<BadFileCase>& info) { return std::string(info.param.name); });

TEST(CatalogueLoad, DamagedPageIsReportedNotReadAsRows) {
  TestCatalogue cat = TestCatalogue::sample();
  // Overwrite the second page (the first table's root) with garbage.
  std::string bytes = read_bytes(cat.path());
  const size_t page = 4096;
  ASSERT_GT(bytes.size(), 2 * page);
  for (size_t i = page; i < 2 * page; ++i) bytes[i] = '\x7f';
  write_bytes(cat.path(), bytes);
  const std::string message = run_error_of([&] { load_catalogue(cat.path()); });
  EXPECT_EQ(message.rfind("catalogue " + cat.path() + ": damaged (", 0), 0u) << message;
}

// ---------------------------------------------------------------------------------------------
// Change detection, through notifications and by polling

class CatalogueChanges : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override { detail::set_catalogue_change_notifications(GetParam()); }
  void TearDown() override { detail::set_catalogue_change_notifications(true); }
};

TEST_P(CatalogueChanges, UnchangedFileGivesTheSameSnapshot) {
  TestCatalogue cat = TestCatalogue::sample();
  on_new_thread([&] {
    ScopedCatalogue use(cat.path());
    const Catalogue* first = &open_database();
    EXPECT_EQ(detail::catalogue_watched(), GetParam());
    const auto shared = current_catalogue();
    for (int i = 0; i < 100; ++i) EXPECT_EQ(&open_database(), first);
    EXPECT_EQ(current_catalogue(), shared);
    EXPECT_EQ(shared.get(), first);
  });
}

TEST_P(CatalogueChanges, UnchangedWalFileGivesTheSameSnapshot) {
  TestCatalogue cat = TestCatalogue::sample();
  cat.exec("PRAGMA journal_mode=WAL");
  auto writer = cat.connect();  // keeps the WAL file in place
  writer.exec("UPDATE modelmast SET netarearot = 0.7 WHERE modelid = 57");
  on_new_thread([&] {
    ScopedCatalogue use(cat.path());
    const Catalogue* first = &open_database();
    EXPECT_EQ(first_area(*first), 0.7);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(&open_database(), first);
  });
}

TEST_P(CatalogueChanges, RewriteInPlaceIsSeen) {
  TestCatalogue cat = TestCatalogue::sample();
  TestCatalogue other = altered_sample(0.5);
  on_new_thread([&] {
    ScopedCatalogue use(cat.path());
    EXPECT_EQ(first_area(open_database()), 0.74);
    const struct stat before = [&] { struct stat st; ::stat(cat.path().c_str(), &st); return st; }();
    write_bytes(cat.path(), read_bytes(other.path()));  // same inode, same size
    struct stat after;
    ::stat(cat.path().c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(before.st_size, after.st_size);
    EXPECT_EQ(first_area(open_database()), 0.5);
  });
}

TEST_P(CatalogueChanges, ReplacementByRenameIsSeen) {
  TestCatalogue cat = TestCatalogue::sample();
  TestCatalogue other = altered_sample(0.6);
  on_new_thread([&] {
    ScopedCatalogue use(cat.path());
    EXPECT_EQ(first_area(open_database()), 0.74);
    const std::string staged = cat.dir() + "/NOVAFLUX.db.new";
    fs::copy_file(other.path(), staged);
    fs::rename(staged, cat.path());
    EXPECT_EQ(first_area(open_database()), 0.6);
    // and back again, to a file with the first file's size
    fs::copy_file(other.path(), staged);
    TestCatalogue::Connection(staged).exec("UPDATE modelmast SET netarearot = 0.74 WHERE modelid = 57");
    fs::rename(staged, cat.path());
    EXPECT_EQ(first_area(open_database()), 0.74);
  });
}

TEST_P(CatalogueChanges, CommitThroughSqliteIsSeen) {
  TestCatalogue cat = TestCatalogue::sample();
  on_new_thread([&] {
    ScopedCatalogue use(cat.path());
    EXPECT_EQ(open_database().txlmastS.size(), 19u);
    cat.exec("DELETE FROM txlmastS WHERE velocityfpm = 500");
    EXPECT_EQ(open_database().txlmastS.size(), 18u);
    cat.exec("INSERT INTO txlmastS VALUES (1150, 200, 'F2', 'N', 24, 63, 0, 320)");
    EXPECT_EQ(open_database().txlmastS.size(), 19u);
  });
}

TEST_P(CatalogueChanges, WalCommitThroughAnotherConnectionIsSeen) {
  TestCatalogue cat = TestCatalogue::sample();
  cat.exec("PRAGMA journal_mode=WAL");
  auto writer = cat.connect();
  writer.exec("PRAGMA wal_autocheckpoint=0");  // the commits stay in the WAL file
  on_new_thread([&] {
    ScopedCatalogue use(cat.path());
    EXPECT_EQ(first_area(open_database()), 0.74);
    const auto main_before = read_bytes(cat.path());
    for (double area : {0.71, 0.72, 0.73}) {
      writer.exec("UPDATE modelmast SET netarearot = " + std::to_string(area) + " WHERE modelid = 57");
      EXPECT_EQ(first_area(open_database()), area);
    }
    EXPECT_EQ(read_bytes(cat.path()), main_before);  // only the WAL file changed
    // A checkpoint that moves everything into the main file and starts the WAL afresh.
    writer.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    writer.exec("UPDATE modelmast SET netarearot = 0.69 WHERE modelid = 57");
    EXPECT_EQ(first_area(open_database()), 0.69);
  });
}

TEST_P(CatalogueChanges, ReplacedFolderOnThePathIsSeen) {
  const std::string root = make_temp_dir();
  fs::create_directories(root + "/current");
  fs::create_directories(root + "/next");
  fs::copy_file(TestCatalogue::sample().path(), root + "/current/NOVAFLUX.db");
  fs::copy_file(altered_sample(0.2).path(), root + "/next/NOVAFLUX.db");
  on_new_thread([&] {
    ScopedCatalogue use(root + "/current/NOVAFLUX.db");
    EXPECT_EQ(first_area(open_database()), 0.74);
    fs::rename(root + "/current", root + "/old");
    fs::rename(root + "/next", root + "/current");
    EXPECT_EQ(first_area(open_database()), 0.2);
  });
  fs::remove_all(root);
}

TEST_P(CatalogueChanges, SwitchedSymbolicLinkOnThePathIsSeen) {
  const std::string root = make_temp_dir();
  fs::create_directories(root + "/releases/a");
  fs::create_directories(root + "/releases/b");
  fs::copy_file(TestCatalogue::sample().path(), root + "/releases/a/NOVAFLUX.db");
  fs::copy_file(altered_sample(0.2).path(), root + "/releases/b/NOVAFLUX.db");
  fs::create_directory_symlink("releases/a", root + "/current");
  on_new_thread([&] {
    ScopedCatalogue use(root + "/current/NOVAFLUX.db");
    EXPECT_EQ(first_area(open_database()), 0.74);
    // Switched the way deployments do it: a new link renamed over the old one.
    fs::create_directory_symlink("releases/b", root + "/current.new");
    fs::rename(root + "/current.new", root + "/current");
    EXPECT_EQ(first_area(open_database()), 0.2);
    // The file the link leads to now is the one watched.
    TestCatalogue::Connection(root + "/releases/b/NOVAFLUX.db")
        .exec("UPDATE modelmast SET netarearot = 0.25 WHERE modelid = 57");
    EXPECT_EQ(first_area(open_database()), 0.25);
    TestCatalogue::Connection(root + "/releases/a/NOVAFLUX.db")
        .exec("UPDATE modelmast SET netarearot = 0.35 WHERE modelid = 57");
    EXPECT_EQ(first_area(open_database()), 0.25);
  });
  fs::remove_all(root);
}

TEST_P(CatalogueChanges, RelativePathIsFollowed) {
  TestCatalogue cat = TestCatalogue::sample();
  TestCatalogue other = altered_sample(0.45);
  const std::string relative = fs::relative(cat.path(), fs::current_path()).string();
  ASSERT_NE(relative.front(), '/');
  on_new_thread([&] {
    ScopedCatalogue use(relative);
    const Catalogue* first = &open_database();
    EXPECT_EQ(&open_database(), first);
    EXPECT_EQ(first_area(*first), 0.74);
    fs::copy_file(other.path(), cat.dir() + "/staged.db");
    fs::rename(cat.dir() + "/staged.db", cat.path());
    EXPECT_EQ(first_area(open_database()), 0.45);
    cat.exec("UPDATE modelmast SET netarearot = 0.55 WHERE modelid = 57");
    EXPECT_EQ(first_area(open_database()), 0.55);
  });
}

TEST_P(CatalogueChanges, ChangedPathIsRead) {
  TestCatalogue a = TestCatalogue::sample();
  TestCatalogue b = altered_sample(0.3);
  on_new_thread([&] {
    ScopedCatalogue use_a(a.path());
    EXPECT_EQ(first_area(open_database()), 0.74);
    {
      ScopedCatalogue use_b(b.path());
      EXPECT_EQ(catalogue_path(), b.path());
      EXPECT_EQ(first_area(open_database()), 0.3);
    }
    EXPECT_EQ(catalogue_path(), a.path());
    EXPECT_EQ(first_area(open_database()), 0.74);
  });
}

TEST_P(CatalogueChanges, FileThatBecomesUnusableFailsUntilRepaired) {
  TestCatalogue cat = TestCatalogue::sample();
  const std::string good = read_bytes(cat.path());
  on_new_thread([&] {
    ScopedCatalogue use(cat.path());
    EXPECT_EQ(open_database().modelmast.size(), 32u);
    fs::resize_file(cat.path(), 8192);
    for (int call = 0; call < 2; ++call) {
      const std::string message = run_error_of([] { open_database(); });
      EXPECT_EQ(message.rfind("catalogue " + cat.path() + ": truncated", 0), 0u) << message;
    }
    fs::remove(cat.path());
    EXPECT_EQ(run_error_of([] { open_database(); }), "catalogue " + cat.path() + ": no such file");
    write_bytes(cat.path(), good);
    EXPECT_EQ(open_database().modelmast.size(), 32u);
  });
}

TEST_P(CatalogueChanges, ThreadsEachSeeTheCurrentFile) {
  TestCatalogue cat = TestCatalogue::sample();
  ScopedCatalogue use(cat.path());
  const Catalogue& here = open_database();
  std::shared_ptr<const Catalogue> there;
  on_new_thread([&] {
    EXPECT_EQ(open_database().modelmast.size(), 32u);
    there = current_catalogue();
  });
  // A watched file unchanged since another thread loaded it: that thread's snapshot is shared.
  if (GetParam())
    EXPECT_EQ(there.get(), &here);
  else
    EXPECT_NE(there.get(), &here);

  cat.exec("UPDATE modelmast SET netarearot = 0.4 WHERE modelid = 57");
  on_new_thread([&] { EXPECT_EQ(first_area(open_database()), 0.4); });
  EXPECT_EQ(first_area(open_database()), 0.4);
}

// A reader never sees a mixture of two files while a writer keeps replacing one by the other.
TEST_P(CatalogueChanges, ReplacementsNeverMixTwoFiles) {
  TestCatalogue cat = TestCatalogue::sample();
  TestCatalogue a = TestCatalogue::sample();
  TestCatalogue b = altered_sample(0.5);
  b.exec("DELETE FROM txlmastS WHERE velocityfpm > 1000");
  const std::string a_bytes = read_bytes(a.path()), b_bytes = read_bytes(b.path());

  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 200; ++i) {
      const std::string staged = cat.dir() + "/staged.db";
      write_bytes(staged, i % 2 ? a_bytes : b_bytes);
      fs::rename(staged, cat.path());
    }
    done = true;
  });
  on_new_thread([&] {
    ScopedCatalogue use(cat.path());
    int reads = 0;
    while (!done || reads < 10) {
      const Catalogue& c = open_database();
      const bool is_b = first_area(c) == 0.5;
      EXPECT_EQ(c.txlmastS.size(), is_b ? 17u : 19u);
      ++reads;
    }
  });
  writer.join();
}

INSTANTIATE_TEST_SUITE_P(Detection, CatalogueChanges, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Notified" : "Polled";
                         });

TEST(CataloguePath, DefaultIsBesideTheComponent) {
  ScopedCatalogue use("");
  EXPECT_EQ(catalogue_path_override(), "");
  const std::string path = catalogue_path();
  EXPECT_EQ(path, effective_catalogue_path());
  EXPECT_EQ(fs::path(path).filename(), "NOVAFLUX.db");
  // The build tree keeps the component and the catalogue built from the sample side by side.
  EXPECT_EQ(fs::path(path).parent_path(), fs::path(NOVAFLUX_BINARY_DIR) / "lib");
  on_new_thread([] { EXPECT_EQ(open_database().modelmast.size(), 32u); });
}

TEST(CataloguePath, ScopedOverrideRestoresThePreviousOne) {
  ScopedCatalogue outer("/somewhere/a.db");
  {
    ScopedCatalogue inner("/elsewhere/b.db");
    EXPECT_EQ(catalogue_path(), "/elsewhere/b.db");
  }
  EXPECT_EQ(catalogue_path(), "/somewhere/a.db");
  EXPECT_EQ(catalogue_path_override(), "/somewhere/a.db");
}

// ---------------------------------------------------------------------------------------------
// Builder

TEST(CatalogueBuild, SampleSourcesRoundTrip) {
  const std::string dir = make_temp_dir();
  const std::string out = dir + "/NOVAFLUX.db";
  build_catalogue(sample_catalogue_sources(), out);
  const auto c = load_catalogue(out);

  // Every cell of every CSV comes back: numbers as numbers, text as text, empty as Null.
  const auto compare = [&](const CatalogueTable& table, size_t row, size_t column, Num num, Text text) {
    const auto csv = read_csv(sample_catalogue_sources() + "/" + std::string(table.name) + ".csv");
    ASSERT_EQ(csv[0][column], table.columns[column].name);
    const std::string& field = csv.at(row + 1).at(column);
    SCOPED_TRACE(std::string(table.name) + " row " + std::to_string(row + 1) + " " +
                 std::string(table.columns[column].name));
    if (field.empty()) {
      EXPECT_FALSE(num.has_value() || text.has_value());
    } else if (table.columns[column].numeric) {
      EXPECT_EQ(num, std::stod(field));
    } else {
      EXPECT_EQ(text, field);
    }
  };
  const auto tables = catalogue_tables();
  for (size_t r = 0; r < c->modelmast.size(); ++r) {
    const auto& m = c->modelmast[r];
    compare(tables[0], r, 0, m.modelid, {});
    compare(tables[0], r, 1, {}, m.type);
    compare(tables[0], r, 2, m.rotor_dia, {});
    compare(tables[0], r, 3, m.netarearot, {});
    compare(tables[0], r, 4, m.wonetarearot, {});
  }
  for (size_t t : {1u, 2u}) {
    const auto& rows = t == 1 ? c->txlmastS : c->txlmastW;
    for (size_t r = 0; r < rows.size(); ++r) {
      const auto& v = rows[r];
      compare(tables[t], r, 0, v.velocityfpm, {});
      compare(tables[t], r, 1, v.rotdepth, {});
      compare(tables[t], r, 2, {}, v.series);
      compare(tables[t], r, 3, {}, v.type);
      compare(tables[t], r, 4, v.efficiency, {});
      compare(tables[t], r, 5, v.sefficiency, {});
      compare(tables[t], r, 6, v.lefficiency, {});
      compare(tables[t], r, 7, v.pdroppa, {});
    }
  }
  for (size_t r = 0; r < c->eatrvalue.size(); ++r) {
    const auto& v = c->eatrvalue[r];
    const Num cells[] = {v.Pressure_Differential, v.Pressure_Differentialin, v.EATRwp, v.OACFwp,
                         v.Purge_Anglewp, v.EATRwop, v.OACFwop, v.Purge_Anglewop};
    for (size_t col = 0; col < 8; ++col) compare(tables[3], r, col, cells[col], {});
  }
  for (size_t r = 0; r < c->dimension.size(); ++r) {
    const auto& v = c->dimension[r];
    compare(tables[4], r, 0, v.rotor_dia, {});
    compare(tables[4], r, 1, {}, v.series);
    compare(tables[4], r, 2, {}, v.type);
    compare(tables[4], r, 3, v.rotdepth, {});
    compare(tables[4], r, 4, v.dimH, {});
    compare(tables[4], r, 5, v.dimD, {});
    compare(tables[4], r, 6, v.drivemot, {});
    compare(tables[4], r, 7, v.Weight, {});
  }
  for (size_t r = 0; r < c->dewpoint.size(); ++r) {
    compare(tables[5], r, 0, c->dewpoint[r].grsp, {});
    compare(tables[5], r, 1, c->dewpoint[r].dewf, {});
  }

  EXPECT_EQ(type_of(out, "SELECT typeof(modelid) FROM modelmast"), "integer");
  EXPECT_EQ(type_of(out, "SELECT typeof(netarearot) FROM modelmast"), "real");
  EXPECT_EQ(type_of(out, "SELECT typeof(type) FROM modelmast"), "text");
  EXPECT_EQ(type_of(out, "SELECT typeof(Pressure_Differentialin) FROM eatrvalue WHERE Pressure_Differential = 50"),
            "null");
  EXPECT_EQ(type_of(out, "PRAGMA journal_mode"), "delete");
  // Nothing but the catalogue is left in the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  fs::remove_all(dir);
}

// How a CSV field is stored.
struct FieldCase {
  const char* name;
  const char* csv;          // modelmast.csv as written
  const char* probe;        // SQL giving one value
  const char* expected;     // its text, "typeof:value"
};

class CatalogueBuildFields : public ::testing::TestWithParam<FieldCase> {};

TEST_P(CatalogueBuildFields, StoredAsWritten) {
  const FieldCase& c = GetParam();
  SourceFolder src;
  src.write("modelmast.csv", c.csv);
  const std::string out = src.dir() + "/out.db";
  build_catalogue(src.dir(), out);
  EXPECT_EQ(type_of(out, c.probe), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Csv, CatalogueBuildFields,
    ::testing::Values(
        FieldCase{"integer", "modelid,type\n57,E\n", "SELECT typeof(modelid)||':'||modelid FROM modelmast", "integer:57"},
        FieldCase{"real", "modelid,netarearot\n57,0.74\n", "SELECT typeof(netarearot)||':'||netarearot FROM modelmast", "real:0.74"},
        FieldCase{"whole_in_real_column", "modelid,netarearot\n57,12\n", "SELECT typeof(netarearot)||':'||netarearot FROM modelmast", "real:12.0"},
        FieldCase{"empty_is_null", "modelid,netarearot\n57,\n", "SELECT typeof(netarearot) FROM modelmast", "null"},
        FieldCase{"quoted_empty_number_is_null", "modelid,netarearot\n57,\"\"\n", "SELECT typeof(netarearot) FROM modelmast", "null"},
        FieldCase{"quoted_empty_text", "modelid,type\n57,\"\"\n", "SELECT typeof(type)||':'||type FROM modelmast", "text:"},
        FieldCase{"empty_text_is_null", "modelid,type\n57,\n", "SELECT typeof(type) FROM modelmast", "null"},
        FieldCase{"text_in_numeric_column", "modelid,netarearot\n57,n/a\n", "SELECT typeof(netarearot)||':'||netarearot FROM modelmast", "text:n/a"},
        FieldCase{"number_in_text_column_stays_text", "modelid,type\n57,1.50\n", "SELECT typeof(type)||':'||type FROM modelmast", "text:1.50"},
        FieldCase{"quoted_number", "modelid,netarearot\n57,\"3.5\"\n", "SELECT typeof(netarearot)||':'||netarearot FROM modelmast", "real:3.5"},
        FieldCase{"blanks_around_number", "modelid,netarearot\n57, 3.5 \n", "SELECT typeof(netarearot)||':'||netarearot FROM modelmast", "real:3.5"},
        FieldCase{"not_a_finite_number", "modelid,netarearot\n57,inf\n", "SELECT typeof(netarearot)||':'||netarearot FROM modelmast", "text:inf"},
        FieldCase{"comma_and_quote_in_quotes", "modelid,type\n57,\"a,\"\"b\"\"\"\n", "SELECT type FROM modelmast", "a,\"b\""},
        FieldCase{"newline_in_quotes", "modelid,type\n57,\"a\nb\"\n", "SELECT type FROM modelmast", "a\nb"},
        FieldCase{"crlf_and_bom", "\xEF\xBB\xBFmodelid,type\r\n57,E\r\n", "SELECT type FROM modelmast", "E"},
        FieldCase{"blank_lines_and_no_final_newline", "modelid,type\n\n57,E\n\n58,F", "SELECT group_concat(type) FROM modelmast", "E,F"},
        FieldCase{"header_in_any_order_and_case", "TYPE, ModelId\nE,57\n", "SELECT typeof(modelid)||':'||modelid||type FROM modelmast", "integer:57E"},
        FieldCase{"left_out_column_is_null", "modelid\n57\n", "SELECT typeof(rotor_dia) FROM modelmast", "null"},
        FieldCase{"stored_order_is_line_order", "modelid\n60\n57\n59\n", "SELECT group_concat(modelid) FROM (SELECT modelid FROM modelmast ORDER BY rowid)", "60,57,59"}),
    [](const ::testing::TestParamInfo<FieldCase>& info) { return std::string(info.param.name); });

// A defect of the sources, named by file, line and column; no file is left behind.
struct BadSourceCase {
  const char* name;
  const char* file;     // the source written
  const char* text;
  const char* message;  // after "<folder>/"
};

class CatalogueBuildErrors : public ::testing::TestWithParam<BadSourceCase> {};

TEST_P(CatalogueBuildErrors, NameTheLineAndLeaveNoFile) {
  const BadSourceCase& c = GetParam();
  SourceFolder src;
  if (std::string(c.text) == "<remove>")
    fs::remove(src.file(c.file));
  else
    src.write(c.file, c.text);
  const std::string out_dir = make_temp_dir();
  const std::string out = out_dir + "/NOVAFLUX.db";
  EXPECT_EQ(run_error_of([&] { build_catalogue(src.dir(), out); }), src.dir() + "/" + c.message);
  EXPECT_TRUE(fs::is_empty(out_dir)) << "a failed build left a file";
  fs::remove_all(out_dir);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, CatalogueBuildErrors,
    ::testing::Values(
        BadSourceCase{"field_count", "modelmast.csv", "modelid,type\n57,E\n58,E,9\n",
                      "modelmast.csv: line 3: 3 fields, the header names 2"},
        BadSourceCase{"unclosed_quote", "dimension.csv", "rotor_dia,series\n500,F2\n600,\"F2\n700,F2\n",
                      "dimension.csv: line 3, column 2: quoted field not closed before the end of the file"},
        BadSourceCase{"quote_in_field", "modelmast.csv", "modelid,type\n57,E\"x\n",
                      "modelmast.csv: line 2, column 2: quote inside an unquoted field"},
        BadSourceCase{"text_after_quote", "modelmast.csv", "modelid,type\n57,\"E\"x\n",
                      "modelmast.csv: line 2, column 2: text after the closing quote of a quoted field"},
        BadSourceCase{"lines_inside_quotes_count", "modelmast.csv", "modelid,type\n57,\"E\nE\"\n58\n",
                      "modelmast.csv: line 4: 1 field, the header names 2"},
        BadSourceCase{"unknown_column", "txlmastW.csv", "velocityfpm,pdrop\n500,130\n",
                      "txlmastW.csv: line 1, column 2: table txlmastW has no column 'pdrop'"},
        BadSourceCase{"column_twice", "modelmast.csv", "modelid,type,modelid\n",
                      "modelmast.csv: line 1, column 3: column 'modelid' named twice"},
        BadSourceCase{"empty_csv", "dewpoint.csv", "", "dewpoint.csv: empty file, no header line naming the columns"},
        BadSourceCase{"missing_csv", "eatrvalue.csv", "<remove>", "eatrvalue.csv: no such file"},
        BadSourceCase{"missing_schema", "schema.sql", "<remove>", "schema.sql: no such file"},
        BadSourceCase{"schema_syntax", "schema.sql",
                      "CREATE TABLE modelmast (modelid INTEGER);\n-- next\nCREATE TABLE dewpoint (grsp REAL,, dewf REAL);\n",
                      "schema.sql: line 3, column 34: near \",\": syntax error"},
        BadSourceCase{"schema_without_tables", "schema.sql", "-- nothing\n", "schema.sql: creates no table"}),
    [](const ::testing::TestParamInfo<BadSourceCase>& info) { return std::string(info.param.name); });

TEST(CatalogueBuild, FailedBuildLeavesTheEarlierFileAsItWas) {
  SourceFolder src;
  const std::string out = src.dir() + "/NOVAFLUX.db";
  build_catalogue(src.dir(), out);
  const std::string before = read_bytes(out);
  src.write("txlmastS.csv", "velocityfpm,rotdepth\n500,\"200\n");
  EXPECT_FALSE(run_error_of([&] { build_catalogue(src.dir(), out); }).empty());
  EXPECT_EQ(read_bytes(out), before);
  for (const auto& entry : fs::directory_iterator(src.dir()))
    EXPECT_EQ(entry.path().string().find(".building-"), std::string::npos) << entry.path();
}

TEST(CatalogueBuild, MissingOutputFolderIsMade) {
  const std::string dir = make_temp_dir();
  const std::string out = dir + "/lib/sub/NOVAFLUX.db";
  build_catalogue(sample_catalogue_sources(), out);
  EXPECT_EQ(load_catalogue(out)->modelmast.size(), 32u);
  fs::remove_all(dir);
}

TEST(CatalogueBuild, RebuildReplacesTheFileSoReadersNoticeIt) {
  SourceFolder src;
  const std::string out = src.dir() + "/NOVAFLUX.db";
  build_catalogue(src.dir(), out);
  on_new_thread([&] {
    ScopedCatalogue use(out);
    EXPECT_EQ(open_database().dimension.size(), 32u);
    src.write("dimension.csv", "rotor_dia,series,type,rotdepth,dimH,dimD,drivemot,Weight\n500,F2,E,200,640,340,0.09,42\n");
    build_catalogue(src.dir(), out);
    EXPECT_EQ(open_database().dimension.size(), 1u);
  });
}

// ---------------------------------------------------------------------------------------------
// Checker

TEST(CatalogueCheck, SamplePasses) {
  TestCatalogue cat = TestCatalogue::sample();
  const CheckReport report = check_catalogue(cat.path());
  EXPECT_TRUE(report.ok());
  EXPECT_TRUE(report.defects.empty()) << report.defects.front();
  EXPECT_EQ(report.notes.size(), 6u);  // the row counts
}

struct InjectedDefect {
  const char* name;
  const char* sql;                      // applied to the sample
  std::vector<std::string> defects;     // exactly these, in this order
};

class CatalogueCheckDefects : public ::testing::TestWithParam<InjectedDefect> {};

TEST_P(CatalogueCheckDefects, AreReportedOneLineEach) {
  const InjectedDefect& c = GetParam();
  TestCatalogue cat = TestCatalogue::sample();
  cat.exec(c.sql);
  const CheckReport report = check_catalogue(cat.path());
  EXPECT_FALSE(report.ok());
  EXPECT_EQ(report.defects, c.defects);
}

INSTANTIATE_TEST_SUITE_P(
    Sample, CatalogueCheckDefects,
    ::testing::Values(
        InjectedDefect{"missing_table", "DROP TABLE dewpoint", {"no table dewpoint"}},
        InjectedDefect{"missing_columns",
                       "ALTER TABLE txlmastW DROP COLUMN pdroppa; ALTER TABLE dimension DROP COLUMN dimD",
                       {"table txlmastW has no column pdroppa", "table dimension has no column dimD"}},
        InjectedDefect{"area_order", "UPDATE modelmast SET netarearot = 50 WHERE modelid = 60",
                       {"modelmast row 5: netarearot 2.82 below the 50 of row 4 of type 'E' (rows of one type must ascend in area)"}},
        InjectedDefect{"area_order_without_purge", "UPDATE modelmast SET wonetarearot = 1 WHERE modelid = 59",
                       {"modelmast row 3: wonetarearot 1 below the 1.17 of row 2 of type 'E' (rows of one type must ascend in area)"}},
        InjectedDefect{"zero_area", "UPDATE modelmast SET netarearot = 0 WHERE modelid = 57",
                       {"modelmast row 1: netarearot 0 is not a face area (the face velocity divides by it)"}},
        InjectedDefect{"duplicate_model", "UPDATE modelmast SET modelid = 57 WHERE modelid = 58",
                       {"modelmast: modelid 57 in row 1 and row 2",
                        "modelmast: no row for model 58 (TXL_600_Q_480_Condensation)"}},
        InjectedDefect{"missing_model", "DELETE FROM modelmast WHERE modelid = 88",
                       {"modelmast: no row for model 88 (TXL_5000_Q_480_Condensation)"}},
        InjectedDefect{"model_of_other_type", "UPDATE modelmast SET type = 'X' WHERE modelid = 70",
                       {"modelmast row 14: model 70 has type 'X', the selection reads type 'E'"}},
        InjectedDefect{"null_number", "UPDATE txlmastS SET pdroppa = NULL WHERE velocityfpm = 500",
                       {"txlmastS row 7: pdroppa is Null (matches no lookup)"}},
        InjectedDefect{"text_number", "UPDATE txlmastS SET sefficiency = 'n/a' WHERE velocityfpm = 500",
                       {"txlmastS row 7: sefficiency holds text 'n/a' where a number belongs (read as 0)"}},
        InjectedDefect{"null_text", "UPDATE dimension SET series = NULL WHERE rotor_dia = 500",
                       {"dimension row 1: series is Null"}},
        InjectedDefect{"velocity_order", "UPDATE txlmastS SET velocityfpm = 520 WHERE velocityfpm = 450",
                       {"txlmastS row 7: velocityfpm 500 below the 520 of row 6 for rotor depth 200, series F2, type N (rows must ascend in velocity)"}},
        InjectedDefect{"velocity_twice", "UPDATE txlmastW SET velocityfpm = 500 WHERE velocityfpm = 550",
                       {"txlmastW row 8: velocityfpm 500 again (row 7) for rotor depth 200, series F2, type N (an exact lookup at that velocity finds two rows)"}},
        InjectedDefect{"no_curve", "UPDATE txlmastW SET series = 'F3'",
                       {"txlmastW: no curve for rotor depth 200, series F2, type N (every run reads it)"}},
        InjectedDefect{"no_si_step", "DELETE FROM eatrvalue WHERE Pressure_Differential = 50",
                       {"eatrvalue: no row for 50 Pa (Pressure_Differential)"}},
        InjectedDefect{"no_ip_step", "DELETE FROM eatrvalue WHERE Pressure_Differentialin = 2.5",
                       {"eatrvalue: no row for 2.5 in. w.g. (Pressure_Differentialin)"}},
        InjectedDefect{"step_twice",
                       "INSERT INTO eatrvalue (Pressure_Differential, EATRwp, OACFwp, Purge_Anglewp, EATRwop, OACFwop, Purge_Anglewop) VALUES (100, 1, 1, 1, 1, 1, 0)",
                       {"eatrvalue row 13: Pressure_Differential 100 again (row 3)"}},
        InjectedDefect{"step_without_pressure", "UPDATE eatrvalue SET Pressure_Differential = NULL WHERE Pressure_Differential = 600",
                       {"eatrvalue row 9: neither Pressure_Differential nor Pressure_Differentialin",
                        "eatrvalue: no row for 600 Pa (Pressure_Differential)"}},
        InjectedDefect{"cassette_twice", "INSERT INTO dimension SELECT * FROM dimension WHERE rotor_dia = 2200",
                       {"dimension row 33: a second row for rotor 2200, series 'F2', type 'E', rotor depth 200 (row 18)"}}),
    [](const ::testing::TestParamInfo<InjectedDefect>& info) { return std::string(info.param.name); });

TEST(CatalogueCheck, UnusableFileIsOneDefect) {
  TestCatalogue cat = TestCatalogue::sample();
  write_bytes(cat.path(), "plain text, not a database\n");
  const CheckReport report = check_catalogue(cat.path());
  ASSERT_EQ(report.defects.size(), 1u);
  EXPECT_EQ(report.defects[0], "catalogue " + cat.path() + ": not an SQLite database");
  const CheckReport missing = check_catalogue(cat.dir() + "/none.db");
  ASSERT_EQ(missing.defects.size(), 1u);
  EXPECT_EQ(missing.defects[0], "catalogue " + cat.dir() + "/none.db: no such file");
}

TEST(CatalogueCheck, HarmlessOddsAreNotes) {
  TestCatalogue cat = TestCatalogue::sample();
  cat.exec("DELETE FROM dimension WHERE rotor_dia = 2130; DELETE FROM txlmastS WHERE velocityfpm > 1000");
  const CheckReport report = check_catalogue(cat.path());
  EXPECT_TRUE(report.ok());
  const auto has = [&](const std::string& text) {
    return std::find(report.notes.begin(), report.notes.end(), text) != report.notes.end();
  };
  EXPECT_TRUE(has("dimension: no cassette data for rotor 2130 (series F2, type E, depth 200); its runs keep the previous cassette outputs"));
  EXPECT_TRUE(has("txlmastS: the curve for rotor depth 200, series F2, type N spans 200 to 1000 fpm; velocities outside it are scaled from the end row"));
}

// ---------------------------------------------------------------------------------------------
// The tool's catalogue verbs

struct ToolResult {
  int status;
  std::string output;
};

ToolResult run_tool(const std::string& arguments) {
  const std::string command = std::string(NOVAFLUX_BINARY_DIR) + "/bin/novaflux " + arguments + " 2>&1";
  ToolResult r{-1, {}};
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.output.append(buf, n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

TEST(CatalogueTool, BuildAndCheck) {
  const std::string dir = make_temp_dir();
  const std::string out = dir + "/built.db";
  const ToolResult build = run_tool("catalogue build " + sample_catalogue_sources() + " -o " + out);
  EXPECT_EQ(build.status, 0) << build.output;
  EXPECT_EQ(load_catalogue(out)->modelmast.size(), 32u);

  const ToolResult good = run_tool("catalogue check " + out);
  EXPECT_EQ(good.status, 0) << good.output;
  EXPECT_NE(good.output.find(out + ": 0 defects, 6 notes\n"), std::string::npos) << good.output;

  TestCatalogue::Connection(out).exec("DELETE FROM eatrvalue WHERE Pressure_Differential = 125");
  const ToolResult bad = run_tool("catalogue check " + out);
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.output.find("defect: eatrvalue: no row for 125 Pa (Pressure_Differential)\n"), std::string::npos)
      << bad.output;

  const ToolResult failed = run_tool("catalogue build " + dir + " -o " + dir + "/other.db");
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.output.find(dir + "/schema.sql: no such file"), std::string::npos) << failed.output;
  EXPECT_FALSE(fs::exists(dir + "/other.db"));
  fs::remove_all(dir);
}

}  // namespace
