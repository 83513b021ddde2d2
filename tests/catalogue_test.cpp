// The catalogue: typed loading, files a rating cannot read, change detection, the builder and
// the checker. Cases are rows of tests/data/catalogue_cases.json.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "catalogue/catalogue.hpp"
#include "catalogue/catalogue_builder.hpp"
#include "common/run_error.hpp"
#include "support/c_rating.hpp"
#include "support/files.hpp"
#include "support/run_fixture.hpp"
#include "support/test_catalogue.hpp"
#include "support/test_data.hpp"

using namespace novaflux;
using json = nlohmann::ordered_json;
namespace fs = std::filesystem;
using test_support::on_fresh_thread;

namespace {

std::string name_of(const ::testing::TestParamInfo<json>& info) { return info.param["name"].get<std::string>(); }
std::vector<json> rows(const char* group) { return test_support::rows("catalogue_cases.json", group); }

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

// The first cell a query gives ("typeof(x)||':'||x": the type and value SQLite stored).
std::string probe(const std::string& db_path, const std::string& sql) { return TestCatalogue::Connection(db_path).exec(sql); }

double first_area(const Catalogue& c) { return c.modelmast.at(0).netarearot.value(); }

TestCatalogue sample_with_area(double area) {
  TestCatalogue c = TestCatalogue::sample();
  c.exec("UPDATE modelmast SET netarearot = " + std::to_string(area) + " WHERE modelid = 57");
  return c;
}

// A folder with the sample sources to edit.
struct SourceFolder : TempDir {
  SourceFolder() {
    for (const auto& e : fs::directory_iterator(sample_catalogue_sources()))
      if (e.path().extension() == ".csv" || e.path().extension() == ".sql") fs::copy_file(e.path(), path / e.path().filename());
  }
  std::string file(const std::string& name) const { return (path / name).string(); }
};

// ---- Loading

class CatalogueCells : public ::testing::TestWithParam<json> {};

// Columns without a declared type keep whatever is stored: a number in the text column `type`,
// text in the numeric column `netarearot`.
TEST_P(CatalogueCells, ReadByColumnKind) {
  const json& c = GetParam();
  TestCatalogue cat = TestCatalogue::empty();
  const std::string v = c["stored"];
  cat.exec("DROP TABLE modelmast; CREATE TABLE modelmast (modelid, type, rotor_dia, netarearot, wonetarearot)");
  cat.exec("INSERT INTO modelmast VALUES (57, " + v + ", 500, " + v + ", 1)");
  const auto m = load_catalogue(cat.path())->modelmast.at(0);
  EXPECT_EQ(m.netarearot, c["number"].is_null() ? Num() : Num(c["number"].get<double>()));
  EXPECT_EQ(m.type, c["text"].is_null() ? Text() : Text(c["text"].get<std::string>()));
}
INSTANTIATE_TEST_SUITE_P(StoredTypes, CatalogueCells, ::testing::ValuesIn(rows("cells")));

// ---- Files a rating cannot read: every method fails naming the file and the defect, twice
// (a failure is neither remembered as a catalogue nor a crash later), and nothing is rated.

void make_bad_file(const json& c, const std::string& p) {
  static const std::string sample = read_bytes(TestCatalogue::sample().path());
  const std::string make = c["make"];
  if (make == "directory") fs::create_directory(p);
  else if (make == "fifo") { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }
  else if (make == "dangling_link") fs::create_symlink(p + ".gone", p);
  else if (make == "link_loop") fs::create_symlink(p, p);
  else if (make == "bytes") write_bytes(p, c["bytes"].get<std::string>());
  else if (make == "psylib") fs::copy_file(std::string(NOVAFLUX_BINARY_DIR) + "/lib/libpsylib32.so", p);
  else if (make == "header_then_zeros") write_bytes(p, sample.substr(0, 100) + std::string(8092, '\0'));
  else if (make == "cut") {
    const long size = c.contains("fraction") ? long(sample.size() * c["fraction"].get<double>()) : c["size"].get<long>();
    write_bytes(p, sample.substr(0, size < 0 ? sample.size() + size : size));
  } else if (make == "damage_page") {
    std::string bytes = sample;
    for (size_t i = 4096; i < 8192; ++i) bytes[i] = '\x7f';  // the first table's root page
    write_bytes(p, bytes);
  } else if (make == "sql") {
    write_bytes(p, sample);
    TestCatalogue::Connection(p).exec(c["sql"]);
  }
}

class CatalogueBadFile : public ::testing::TestWithParam<json> {};

TEST_P(CatalogueBadFile, EveryMethodFailsNamingTheFileAndTheDefect) {
  const json& c = GetParam();
  TempDir dir;
  const std::string path = (dir.path / c.value("path", "NOVAFLUX.db")).string();
  make_bad_file(c, path);
  test_support::UseCatalogue use(path);
  const std::string expected = "catalogue " + path + ": " + c["defect"].get<std::string>();
  for (const char* method : test_support::kMethods)
    for (int attempt = 0; attempt < 2; ++attempt) {
      const test_support::Rating r = test_support::rate(method);
      EXPECT_EQ(r.number, 3001) << method << ": " << r.error;
      EXPECT_EQ(r.error.substr(0, expected.size()), expected) << method;
      EXPECT_EQ(r["KivOutNOVAFLUXModel"], "0");
      EXPECT_EQ(r["KivoutSaS_DBT"], "0");
    }
}
INSTANTIATE_TEST_SUITE_P(Files, CatalogueBadFile, ::testing::ValuesIn(rows("bad_files")), name_of);

// ---- Change detection, by notifications and by polling

class CatalogueChanges : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override { detail::set_catalogue_change_notifications(GetParam()); }
  void TearDown() override { detail::set_catalogue_change_notifications(true); }
};

TEST_P(CatalogueChanges, UnchangedFileGivesTheSameSnapshotAndEveryKindOfReplacementIsSeen) {
  TestCatalogue cat = TestCatalogue::sample();
  on_fresh_thread([&] {
    ScopedCatalogue use(cat.path());
    const Catalogue* first = &open_database();
    EXPECT_EQ(detail::catalogue_watched(), GetParam());
    for (int i = 0; i < 50; ++i) EXPECT_EQ(&open_database(), first);
    EXPECT_EQ(current_catalogue().get(), first);
    // Rewritten in place: same inode, same size.
    struct stat before {}, after {};
    ::stat(cat.path().c_str(), &before);
    write_bytes(cat.path(), read_bytes(sample_with_area(0.5).path()));
    ::stat(cat.path().c_str(), &after);
    ASSERT_EQ(before.st_ino, after.st_ino);
    ASSERT_EQ(before.st_size, after.st_size);
    EXPECT_EQ(first_area(open_database()), 0.5);
    // A new file renamed over it, then back again to a file of the first one's size.
    fs::copy_file(sample_with_area(0.6).path(), cat.dir() + "/staged.db");
    fs::rename(cat.dir() + "/staged.db", cat.path());
    EXPECT_EQ(first_area(open_database()), 0.6);
    fs::copy_file(TestCatalogue::sample().path(), cat.dir() + "/staged.db");
    fs::rename(cat.dir() + "/staged.db", cat.path());
    EXPECT_EQ(first_area(open_database()), 0.74);
    // Another path, and back.
    TestCatalogue b = sample_with_area(0.3);
    {
      ScopedCatalogue use_b(b.path());
      EXPECT_EQ(first_area(open_database()), 0.3);
    }
    EXPECT_EQ(first_area(open_database()), 0.74);
  });
}

TEST_P(CatalogueChanges, WalCommitsThroughAnotherConnectionAreSeen) {
  TestCatalogue cat = TestCatalogue::sample();
  cat.exec("PRAGMA journal_mode=WAL");
  auto writer = cat.connect();
  writer.exec("PRAGMA wal_autocheckpoint=0");  // the commits stay in the WAL file
  writer.exec("UPDATE modelmast SET netarearot = 0.7 WHERE modelid = 57");
  on_fresh_thread([&] {
    ScopedCatalogue use(cat.path());
    const Catalogue* first = &open_database();
    EXPECT_EQ(first_area(*first), 0.7);
    EXPECT_EQ(&open_database(), first);
    const auto main_before = read_bytes(cat.path());
    for (double area : {0.71, 0.72}) {
      writer.exec("UPDATE modelmast SET netarearot = " + std::to_string(area) + " WHERE modelid = 57");
      EXPECT_EQ(first_area(open_database()), area);
    }
    EXPECT_EQ(read_bytes(cat.path()), main_before);  // only the WAL file changed
    writer.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    writer.exec("UPDATE modelmast SET netarearot = 0.69 WHERE modelid = 57");
    EXPECT_EQ(first_area(open_database()), 0.69);
  });
}

TEST_P(CatalogueChanges, SwitchedLinkOnThePathIsFollowed) {
  TempDir root;
  const std::string r = root.path.string();
  fs::create_directories(r + "/releases/a");
  fs::create_directories(r + "/releases/b");
  fs::copy_file(TestCatalogue::sample().path(), r + "/releases/a/NOVAFLUX.db");
  fs::copy_file(sample_with_area(0.2).path(), r + "/releases/b/NOVAFLUX.db");
  fs::create_directory_symlink("releases/a", r + "/current");
  on_fresh_thread([&] {
    ScopedCatalogue use(r + "/current/NOVAFLUX.db");
    EXPECT_EQ(first_area(open_database()), 0.74);
    fs::create_directory_symlink("releases/b", r + "/current.new");  // as deployments switch
    fs::rename(r + "/current.new", r + "/current");
    EXPECT_EQ(first_area(open_database()), 0.2);
    TestCatalogue::Connection(r + "/releases/b/NOVAFLUX.db").exec("UPDATE modelmast SET netarearot = 0.25 WHERE modelid = 57");
    EXPECT_EQ(first_area(open_database()), 0.25);
    TestCatalogue::Connection(r + "/releases/a/NOVAFLUX.db").exec("UPDATE modelmast SET netarearot = 0.35 WHERE modelid = 57");
    EXPECT_EQ(first_area(open_database()), 0.25);  // no longer the file on the path
  });
}

TEST_P(CatalogueChanges, RelativePathIsFollowed) {
  TestCatalogue cat = TestCatalogue::sample();
  const std::string relative = fs::relative(cat.path(), fs::current_path()).string();
  on_fresh_thread([&] {
    ScopedCatalogue use(relative);
    EXPECT_EQ(first_area(open_database()), 0.74);
    fs::copy_file(sample_with_area(0.45).path(), cat.dir() + "/staged.db");
    fs::rename(cat.dir() + "/staged.db", cat.path());
    EXPECT_EQ(first_area(open_database()), 0.45);
    cat.exec("UPDATE modelmast SET netarearot = 0.55 WHERE modelid = 57");
    EXPECT_EQ(first_area(open_database()), 0.55);
  });
}

TEST_P(CatalogueChanges, FileThatBecomesUnusableFailsUntilRepaired) {
  TestCatalogue cat = TestCatalogue::sample();
  const std::string good = read_bytes(cat.path());
  on_fresh_thread([&] {
    ScopedCatalogue use(cat.path());
    EXPECT_EQ(open_database().modelmast.size(), 32u);
    fs::resize_file(cat.path(), 8192);
    for (int call = 0; call < 2; ++call)
      EXPECT_EQ(run_error_of([] { open_database(); }).rfind("catalogue " + cat.path() + ": truncated", 0), 0u);
    fs::remove(cat.path());
    EXPECT_EQ(run_error_of([] { open_database(); }), "catalogue " + cat.path() + ": no such file");
    write_bytes(cat.path(), good);
    EXPECT_EQ(open_database().modelmast.size(), 32u);
  });
}

TEST_P(CatalogueChanges, ThreadsShareAnUnchangedSnapshotAndEachSeesAChange) {
  TestCatalogue cat = TestCatalogue::sample();
  ScopedCatalogue use(cat.path());
  const Catalogue& here = open_database();
  std::shared_ptr<const Catalogue> there;
  on_fresh_thread([&] {
    open_database();
    there = current_catalogue();
  });
  EXPECT_EQ(there.get() == &here, GetParam()) << "a watched unchanged file is shared";
  cat.exec("UPDATE modelmast SET netarearot = 0.4 WHERE modelid = 57");
  on_fresh_thread([&] { EXPECT_EQ(first_area(open_database()), 0.4); });
  EXPECT_EQ(first_area(open_database()), 0.4);
}

INSTANTIATE_TEST_SUITE_P(Detection, CatalogueChanges, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Notified" : "Polled"; });

// ---- Builder

// Every cell of every CSV comes back: numbers as numbers, text as text, empty as Null.
TEST(CatalogueBuild, SampleSourcesRoundTrip) {
  TempDir dir;
  const std::string out = (dir.path / "NOVAFLUX.db").string();
  build_catalogue(sample_catalogue_sources(), out);
  for (const auto& table : catalogue_tables()) {
    const auto csv = test_support::read_csv(sample_catalogue_sources() + "/" + std::string(table.name) + ".csv");
    for (size_t r = 0; r < csv.rows.size(); ++r)
      for (size_t col = 0; col < csv.columns.size(); ++col) {
        const std::string& field = csv.rows[r].at(col);
        const std::string cell = probe(out, "SELECT typeof(" + csv.columns[col] + ")||':'||ifnull(" + csv.columns[col] +
                                                ",'') FROM " + std::string(table.name) + " WHERE rowid=" + std::to_string(r + 1));
        const bool numeric = table.columns[col].numeric;
        SCOPED_TRACE(std::string(table.name) + " row " + std::to_string(r + 1) + " " + csv.columns[col]);
        if (field.empty()) { EXPECT_EQ(cell, "null:"); }
        else if (numeric) { EXPECT_EQ(std::stod(cell.substr(cell.find(':') + 1)), std::stod(field)) << cell; }
        else { EXPECT_EQ(cell, "text:" + field); }
      }
  }
  EXPECT_EQ(probe(out, "PRAGMA journal_mode"), "delete");
  EXPECT_EQ(dir.names(), std::vector<std::string>{"NOVAFLUX.db"});
}

class CatalogueBuildFields : public ::testing::TestWithParam<json> {};

TEST_P(CatalogueBuildFields, StoredAsWritten) {
  SourceFolder src;
  write_bytes(src.file("modelmast.csv"), GetParam()["csv"]);
  build_catalogue(src.path.string(), src.file("out.db"));
  EXPECT_EQ(probe(src.file("out.db"), GetParam()["probe"]), GetParam()["expected"].get<std::string>());
}
INSTANTIATE_TEST_SUITE_P(Csv, CatalogueBuildFields, ::testing::ValuesIn(rows("build_fields")), name_of);

class CatalogueBuildErrors : public ::testing::TestWithParam<json> {};

// A defect of the sources is named by file, line and column; a failed build leaves no file,
// and an earlier catalogue as it was.
TEST_P(CatalogueBuildErrors, NameTheLineAndLeaveTheEarlierFile) {
  const json& c = GetParam();
  SourceFolder src;
  TempDir out_dir;
  const std::string out = (out_dir.path / "NOVAFLUX.db").string();
  build_catalogue(src.path.string(), out);
  const std::string before = read_bytes(out);
  if (c["text"] == "<remove>") fs::remove(src.file(c["file"]));
  else write_bytes(src.file(c["file"]), c["text"]);
  EXPECT_EQ(run_error_of([&] { build_catalogue(src.path.string(), out); }), src.file(c["message"]));
  EXPECT_EQ(read_bytes(out), before);
  EXPECT_EQ(out_dir.names(), std::vector<std::string>{"NOVAFLUX.db"});
}
INSTANTIATE_TEST_SUITE_P(Sources, CatalogueBuildErrors, ::testing::ValuesIn(rows("build_errors")), name_of);

// ---- Checker

TEST(CatalogueCheck, SamplePassesAndUnusableFilesAreOneDefect) {
  TestCatalogue cat = TestCatalogue::sample();
  const CheckReport report = check_catalogue(cat.path());
  EXPECT_TRUE(report.ok());
  EXPECT_TRUE(report.defects.empty());
  EXPECT_EQ(report.notes.size(), 6u);  // the row counts
  write_bytes(cat.path(), "plain text, not a database\n");
  EXPECT_EQ(check_catalogue(cat.path()).defects, std::vector<std::string>{"catalogue " + cat.path() + ": not an SQLite database"});
}

class CatalogueCheckDefects : public ::testing::TestWithParam<json> {};

TEST_P(CatalogueCheckDefects, AreReportedOneLineEach) {
  TestCatalogue cat = TestCatalogue::sample();
  cat.exec(GetParam()["sql"]);
  const CheckReport report = check_catalogue(cat.path());
  EXPECT_FALSE(report.ok());
  EXPECT_EQ(report.defects, GetParam()["defects"].get<std::vector<std::string>>());
}
INSTANTIATE_TEST_SUITE_P(Sample, CatalogueCheckDefects, ::testing::ValuesIn(rows("check_defects")), name_of);

TEST(CatalogueTool, BuildAndCheck) {
  TempDir dir;
  const std::string out = (dir.path / "built.db").string(), tool = std::string(NOVAFLUX_BINARY_DIR) + "/bin/novaflux ";
  EXPECT_EQ(std::system((tool + "catalogue build " + sample_catalogue_sources() + " -o " + out + " >/dev/null").c_str()), 0);
  EXPECT_EQ(std::system((tool + "catalogue check " + out + " >/dev/null").c_str()), 0);
  TestCatalogue::Connection(out).exec("DELETE FROM eatrvalue WHERE Pressure_Differential = 125");
  EXPECT_NE(std::system((tool + "catalogue check " + out + " >/dev/null").c_str()), 0);
  EXPECT_NE(std::system((tool + "catalogue build " + dir.path.string() + " -o " + out + ".2 2>/dev/null").c_str()), 0);
  EXPECT_FALSE(fs::exists(out + ".2"));
}

}  // namespace
