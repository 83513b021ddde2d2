// Complete ratings when the psychrometric library beside the component is missing, is no
// library, or lacks an entry point: a clear error naming the file or the entry point, no crash.
//
// The component looks for libpsylib32.so in its own folder, so each case copies the component
// (and the catalogue) into a temporary folder with whatever library the case puts there. The
// copy is loaded in a process of its own: this test program started again with the folder
// first on the library search path (the program finds its component through RUNPATH, which
// LD_LIBRARY_PATH precedes), in host mode. In host mode the program rates through the C
// interface and prints one line per rating before any test runs, then exits.
#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "novaflux/kiv.h"
#include "support/design_days.hpp"
#include "support/files.hpp"
#include "support/test_catalogue.hpp"

namespace {

namespace fs = std::filesystem;

constexpr const char* kHostVariable = "NOVAFLUX_RELIABILITY_PSY_HOST";

// ---------------------------------------------------------------------------------------------
// Host mode: NOVAFLUX_RELIABILITY_PSY_HOST holds actions separated by ';':
//   rate METHOD      one design-day rating on a new object; prints
//                    "METHOD STATUS NUMBER FINITE|NONFINITE MESSAGE"
//   move FROM TO     renames a file (to change the component's folder between ratings)
//   remove PATH      removes a file, a link or a folder
//   where            prints "component PATH", the file the rating functions come from

void host_rate(const std::string& method) {
  KivObject* o = kiv_create();
  for (const auto& [name, value] : novaflux::test_support::kSiDesignDayByName) kiv_put(o, name, value);
  const int status = kiv_call(o, method.c_str());
  const int number = kiv_last_error_number(o);
  const std::string message = kiv_last_error(o);  // before a get clears it
  // Every leaving-air figure a successful rating publishes.
  bool finite = true;
  for (const char* name : {"KivoutSaS_DBT", "KivoutSaW_DBT", "KivoutEaS_DBT", "KivoutEaW_DBT", "KivoutSaS_RH",
                           "KivoutEaW_Enthalpy", "KivoutPDActualSupplyS", "KivoutAtmPressure"}) {
    double v = 0;
    finite = finite && kiv_get(o, name, &v) == 0 && std::isfinite(v);
  }
  std::printf("%s %d %d %s %s\n", method.c_str(), status, number, finite ? "FINITE" : "NONFINITE", message.c_str());
  kiv_destroy(o);
}

int host_main(const std::string& script) {
  std::istringstream actions(script);
  for (std::string action; std::getline(actions, action, ';');) {
    std::istringstream words(action);
    std::string verb, a, b;
    words >> verb >> a >> b;
    if (verb == "rate") {
      host_rate(a);
    } else if (verb == "move") {
      if (std::rename(a.c_str(), b.c_str()) != 0) return 3;
    } else if (verb == "remove") {
      std::error_code ignored;
      std::filesystem::remove_all(a, ignored);
    } else if (verb == "where") {
      Dl_info info{};
      dladdr(reinterpret_cast<void*>(&kiv_create), &info);
      std::printf("component %s\n", info.dli_fname ? info.dli_fname : "?");
    } else if (!verb.empty()) {
      return 3;
    }
  }
  std::fflush(stdout);
  return 0;
}

// Runs before the tests are even listed: a host process does its actions and leaves.
const bool kHostMode = [] {
  if (const char* script = std::getenv(kHostVariable)) std::exit(host_main(script));
  return false;
}();

// ---------------------------------------------------------------------------------------------
// The parent side

using novaflux::read_bytes;
using novaflux::write_bytes;

std::string quote(const std::string& s) {
  std::string out = "'";
  for (const char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string self_path() {
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, size_t(n)) : std::string();
}

const std::string kLib = std::string(NOVAFLUX_BINARY_DIR) + "/lib";

struct HostLine {
  std::string method;
  int status = -1;
  int number = 0;
  bool finite = false;
  std::string message;
};

// A folder holding a copy of the component and of the catalogue, and whatever psychrometric
// library a case puts there.
class ComponentCopy {
public:
  ComponentCopy() : dir_(novaflux::make_temp_dir()) {
    fs::copy_file(kLib + "/libnovaflux.so", dir_ + "/libnovaflux.so");
    fs::copy_file(kLib + "/NOVAFLUX.db", dir_ + "/NOVAFLUX.db");
  }
  ~ComponentCopy() { fs::remove_all(dir_); }
  ComponentCopy(const ComponentCopy&) = delete;
  ComponentCopy& operator=(const ComponentCopy&) = delete;

  const std::string& dir() const { return dir_; }
  std::string library() const { return dir_ + "/libpsylib32.so"; }

  // Runs this program in host mode on the copy; returns its lines, checks it ended normally.
  std::vector<HostLine> host(const std::string& script, std::string* component = nullptr) const {
    const std::string command = "LD_LIBRARY_PATH=" + quote(dir_) + " " + kHostVariable + "=" + quote(script) +
                                " " + quote(self_path()) + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    EXPECT_NE(pipe, nullptr);
    std::vector<HostLine> lines;
    if (!pipe) return lines;
    std::string all;
    char buf[2048];
    while (std::fgets(buf, sizeof buf, pipe)) {
      all += buf;
      std::istringstream in(buf);
      std::string first;
      in >> first;
      if (first == "component") {
        if (component) in >> *component;
        continue;
      }
      HostLine line;
      line.method = first;
      std::string finite;
      in >> line.status >> line.number >> finite;
      line.finite = finite == "FINITE";
      std::getline(in >> std::ws, line.message);
      if (!line.message.empty() && line.message.back() == '\n') line.message.pop_back();
      lines.push_back(line);
    }
    const int status = ::pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the host crashed or failed:\n" << all;
    return lines;
  }

private:
  std::string dir_;
};

TEST(ReliabilityPsylib, HostRatesWithTheCopiedComponent) {
  ComponentCopy copy;
  fs::copy_file(kLib + "/libpsylib32.so", copy.library());
  std::string component;
  const auto lines = copy.host("where;rate CalculateOutput;rate CalculateOutputModel;rate EATRValue", &component);
  EXPECT_EQ(fs::canonical(component), fs::canonical(copy.dir() + "/libnovaflux.so"))
      << "the host must rate with the copy, else the cases below test the build's folder";
  ASSERT_EQ(lines.size(), 3u);
  for (const HostLine& l : lines) {
    EXPECT_EQ(l.status, 0) << l.method << ": " << l.message;
    EXPECT_TRUE(l.finite) << l.method;
  }
}

// A library whose exported name of one entry point is changed in its dynamic string table:
// it loads, but that entry point is not found.
std::string without_entry_point(const std::string& name) {
  std::string bytes = read_bytes(kLib + "/libpsylib32.so");
  std::string renamed = name;
  renamed.back() = renamed.back() == 'Z' ? 'Q' : 'Z';
  size_t replaced = 0;
  for (size_t at = 0; (at = bytes.find(name + '\0', at)) != std::string::npos; at += name.size()) {
    // Only whole names: the byte before is the end of the previous string.
    if (at > 0 && bytes[at - 1] != '\0') continue;
    bytes.replace(at, name.size(), renamed);
    ++replaced;
  }
  EXPECT_GT(replaced, 0u) << name;
  return bytes;
}

std::string system_library_without_entry_points() {
  Dl_info info{};
  dladdr(reinterpret_cast<void*>(&sqlite3_libversion), &info);
  return info.dli_fname ? read_bytes(info.dli_fname) : std::string();
}

// Where the last byte the loader maps from the file lies (what follows is debug information
// and section headers, which a library can lose and still load).
size_t end_of_loaded_segments(const std::string& elf) {
  ElfW(Ehdr) header{};
  std::memcpy(&header, elf.data(), sizeof header);
  size_t end = 0;
  for (unsigned i = 0; i < header.e_phnum; ++i) {
    ElfW(Phdr) segment{};
    std::memcpy(&segment, elf.data() + header.e_phoff + i * sizeof segment, sizeof segment);
    if (segment.p_type == PT_LOAD) end = std::max<size_t>(end, segment.p_offset + segment.p_filesz);
  }
  return end;
}

struct Fault {
  const char* name;
  // Puts the library in place (or not); `lib` is the path the component loads.
  std::function<void(const std::string& lib)> make;
  std::string message_tail;  // what follows "psychrometric library <lib>"
  // Another acceptable tail: a library whose own code calls the renamed entry point (as a build
  // with sanitizers does) is refused by the loader instead.
  std::string or_tail = {};
};

const Fault kFaults[] = {
    {"missing", [](const std::string&) {}, " cannot be loaded"},
    {"empty_file", [](const std::string& lib) { write_bytes(lib, ""); }, " cannot be loaded"},
    {"text_file", [](const std::string& lib) { write_bytes(lib, "LCSI_DENSITY\n"); }, " cannot be loaded"},
    {"directory", [](const std::string& lib) { fs::create_directory(lib); }, " cannot be loaded"},
    // A copy cut short: the loader would map pages beyond its end and die touching them.
    {"cut_after_elf_header",
     [](const std::string& lib) { write_bytes(lib, read_bytes(kLib + "/libpsylib32.so").substr(0, 64)); },
     " cannot be loaded: truncated ("},
    {"cut_in_first_segment",
     [](const std::string& lib) { write_bytes(lib, read_bytes(kLib + "/libpsylib32.so").substr(0, 2000)); },
     " cannot be loaded: truncated ("},
    {"cut_in_last_segment",
     [](const std::string& lib) {
       const std::string bytes = read_bytes(kLib + "/libpsylib32.so");
       write_bytes(lib, bytes.substr(0, end_of_loaded_segments(bytes) - 1));
     },
     " cannot be loaded: truncated ("},
    {"dangling_link", [](const std::string& lib) { fs::create_symlink(lib + ".gone", lib); }, " cannot be loaded"},
    {"other_library",
     [](const std::string& lib) { write_bytes(lib, system_library_without_entry_points()); },
     ": entry point LCWETBULB not found"},
    {"without_LCSI_DENSITY",
     [](const std::string& lib) { write_bytes(lib, without_entry_point("LCSI_DENSITY")); },
     ": entry point LCSI_DENSITY not found", " cannot be loaded: "},
    {"without_LCSI_WBTOGR",
     [](const std::string& lib) { write_bytes(lib, without_entry_point("LCSI_WBTOGR")); },
     ": entry point LCSI_WBTOGR not found", " cannot be loaded: "},
};

void PrintTo(const Fault& f, std::ostream* os) { *os << f.name; }

class ReliabilityPsylibFault : public ::testing::TestWithParam<Fault> {};

TEST_P(ReliabilityPsylibFault, RatingsFailNamingTheFileOrEntryPointAndTheRetryWorks) {
  const Fault& f = GetParam();
  ComponentCopy copy;
  f.make(copy.library());
  // The good library, put in place after the failed ratings.
  fs::copy_file(kLib + "/libpsylib32.so", copy.dir() + "/staged.so");
  const auto lines = copy.host("rate CalculateOutput;rate CalculateOutputModel;rate EATRValue;rate CalculateOutput;"
                               "remove " + copy.library() + ";move " + copy.dir() + "/staged.so " + copy.library() +
                               ";rate CalculateOutput");
  ASSERT_GE(lines.size(), 4u);
  const std::string prefix = "psychrometric library " + copy.library() + f.message_tail;
  const std::string or_prefix = "psychrometric library " + copy.library() + f.or_tail;
  for (size_t i : {0u, 1u, 3u}) {
    SCOPED_TRACE(lines[i].method);
    EXPECT_NE(lines[i].status, 0);
    EXPECT_EQ(lines[i].number, 3100);
    const std::string& m = lines[i].message;
    EXPECT_TRUE(m.rfind(prefix, 0) == 0 || (!f.or_tail.empty() && m.rfind(or_prefix, 0) == 0)) << m;
  }
  // The leakage figures need no moist-air properties.
  EXPECT_EQ(lines[2].status, 0) << lines[2].message;
  // A failed load is not remembered: with a good library in place the next rating works.
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[4].status, 0) << lines[4].message;
  EXPECT_TRUE(lines[4].finite);
}

INSTANTIATE_TEST_SUITE_P(Libraries, ReliabilityPsylibFault, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

// The tool, run with the copy: the rating's error in the JSON and exit status 2.
TEST(ReliabilityPsylib, ToolReportsAMissingLibraryInItsResult) {
  ComponentCopy copy;
  const std::string command = "LD_LIBRARY_PATH=" + quote(copy.dir()) + " " + NOVAFLUX_BINARY_DIR +
                              "/bin/novaflux rate " + NOVAFLUX_SOURCE_DIR + "/examples/si_design_day.json 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  const int status = ::pclose(pipe);
  ASSERT_TRUE(WIFEXITED(status)) << out;
  EXPECT_EQ(WEXITSTATUS(status), 2) << out;
  EXPECT_NE(out.find("\"number\": 3100"), std::string::npos) << out;
  EXPECT_NE(out.find("psychrometric library " + copy.library() + " cannot be loaded"), std::string::npos) << out;
}

}  // namespace
