// The binding of the psychrometric library: each entry point bound to its namesake in the
// component's folder, per thread; and complete ratings when the library beside the component
// is missing, no library, or lacks an entry point: an error naming the file or the entry
// point, and a retry that works once a good library is in place.
//
// The component looks for libpsylib32.so in its own folder, so each fault case copies the
// component and the catalogue into a temporary folder with whatever library the case puts
// there, and rates in a process of its own: this program again, with the folder first on the
// library search path, in host mode (it rates through the C interface before any test runs).
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <thread>

#include "common/component_folder.hpp"
#include "common/module_state.hpp"
#include "psychrometrics/psy_binding.hpp"
#include "support/c_rating.hpp"
#include "support/files.hpp"
#include "support/test_catalogue.hpp"

namespace novaflux {
namespace {

namespace fs = std::filesystem;

#define ENTRY(name) {#name, reinterpret_cast<void*>(f.name)}
std::vector<std::pair<std::string, void*>> entries(const PsyFunctions& f) {
  return {ENTRY(LCWETBULB),    ENTRY(LCRH),    ENTRY(LCENTHALPY),    ENTRY(LCDENSITY),    ENTRY(LCRHTOGR),       ENTRY(LCWBTOGR),
          ENTRY(LCSI_WETBULB), ENTRY(LCSI_RH), ENTRY(LCSI_ENTHALPY), ENTRY(LCSI_DENSITY), ENTRY(LCSI_RHTOGRAMS), ENTRY(LCSI_WBTOGR)};
}
#undef ENTRY

TEST(PsyBinding, EachEntryPointIsItsNamesakeInTheComponentFolderKeptPerThread) {
  const PsyFunctions* here = &psy();
  const fs::path library = fs::canonical(component_folder() + "/" + kPsyLibraryName);
  for (const auto& [name, address] : entries(*here)) {
    Dl_info info{};
    ASSERT_NE(dladdr(address, &info), 0) << name;
    EXPECT_STREQ(info.dli_sname, name.c_str());
    EXPECT_EQ(fs::canonical(info.dli_fname), library) << name;
  }
  EXPECT_EQ(&psy(), here);  // bound once
  const PsyFunctions* before = here;
  const PsyFunctions* there = nullptr;
  std::thread([&] {
    before = module_state().psy;
    there = &psy();
  }).join();
  EXPECT_EQ(before, nullptr) << "a new thread starts unbound";
  EXPECT_NE(there, here) << "each thread keeps its own pointers";
}

// ---- Host mode: NOVAFLUX_PSY_HOST holds actions separated by ';': "rate METHOD" prints
// "STATUS NUMBER FINITE|NONFINITE MESSAGE"; "move FROM TO" renames a file.

const bool kHostMode = [] {
  const char* script = std::getenv("NOVAFLUX_PSY_HOST");
  if (!script) return false;
  std::istringstream actions(script);
  for (std::string action; std::getline(actions, action, ';');) {
    std::istringstream words(action);
    std::string verb, a, b;
    words >> verb >> a >> b;
    if (verb == "move") {
      std::rename(a.c_str(), b.c_str());
      continue;
    }
    const test_support::Rating r = [&] {
      KivObject* o = kiv_create();
      for (const auto& [name, value] : test_support::si_design_day_inputs()) kiv_put(o, name, value);
      const auto out = test_support::capture(o, kiv_call(o, a.c_str()));
      kiv_destroy(o);
      return out;
    }();
    std::printf("%d %d %s %s\n", r.status, r.number, r.all_finite ? "FINITE" : "NONFINITE", r.error.c_str());
  }
  std::fflush(stdout);
  std::exit(0);
}();

const std::string kLib = std::string(NOVAFLUX_BINARY_DIR) + "/lib";

struct HostLine {
  int status = -1, number = 0;
  bool finite = false;
  std::string message;
};

std::string self_path() { return fs::read_symlink("/proc/self/exe").string(); }

// Rates with a copy of the component in `dir`; one line per rating.
std::vector<HostLine> host(const std::string& dir, const std::string& script) {
  const std::string command = "LD_LIBRARY_PATH='" + dir + "' NOVAFLUX_PSY_HOST='" + script + "' '" + self_path() + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::vector<HostLine> lines;
  char buf[2048];
  while (pipe && std::fgets(buf, sizeof buf, pipe)) {
    std::istringstream in(buf);
    HostLine l;
    std::string finite;
    in >> l.status >> l.number >> finite;
    l.finite = finite == "FINITE";
    std::getline(in >> std::ws, l.message);
    lines.push_back(l);
  }
  const int status = pipe ? ::pclose(pipe) : -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the host crashed";
  return lines;
}

// The library with one exported name changed in its dynamic string table: it loads, but that
// entry point is not found.
std::string without_entry_point(const std::string& name) {
  std::string bytes = read_bytes(kLib + "/libpsylib32.so");
  for (size_t at = 0; (at = bytes.find(name + '\0', at)) != std::string::npos; at += name.size())
    if (at > 0 && bytes[at - 1] == '\0') bytes[at + name.size() - 1] = 'Z';
  return bytes;
}

std::string other_library() {
  Dl_info info{};
  dladdr(reinterpret_cast<void*>(&sqlite3_libversion), &info);
  return read_bytes(info.dli_fname);
}

struct Fault {
  const char* name;
  std::function<void(const std::string& lib)> make;
  std::string tail;     // what follows "psychrometric library <lib>"
  std::string or_tail;  // a sanitizer build whose own code calls the renamed entry point is refused by the loader
};

const Fault kFaults[] = {
    {"missing", [](const std::string&) {}, " cannot be loaded", ""},
    {"empty_file", [](const std::string& lib) { write_bytes(lib, ""); }, " cannot be loaded", ""},
    {"directory", [](const std::string& lib) { fs::create_directory(lib); }, " cannot be loaded", ""},
    {"cut_after_elf_header", [](const std::string& lib) { write_bytes(lib, read_bytes(kLib + "/libpsylib32.so").substr(0, 64)); },
     " cannot be loaded: truncated (", ""},
    {"other_library", [](const std::string& lib) { write_bytes(lib, other_library()); }, ": entry point LCWETBULB not found", ""},
    {"without_LCSI_WBTOGR", [](const std::string& lib) { write_bytes(lib, without_entry_point("LCSI_WBTOGR")); },
     ": entry point LCSI_WBTOGR not found", " cannot be loaded: "},
};

class PsyLibraryFault : public ::testing::TestWithParam<Fault> {};

TEST_P(PsyLibraryFault, RatingsFailNamingTheFileOrEntryPointAndTheRetryWorks) {
  const Fault& f = GetParam();
  TempDir dir;
  const std::string d = dir.path.string(), lib = d + "/libpsylib32.so";
  fs::copy_file(kLib + "/libnovaflux.so", d + "/libnovaflux.so");
  fs::copy_file(kLib + "/NOVAFLUX.db", d + "/NOVAFLUX.db");
  fs::copy_file(kLib + "/libpsylib32.so", d + "/good.so");
  f.make(lib);
  const auto lines = host(d, "rate CalculateOutput;rate CalculateOutputModel;rate EATRValue;rate CalculateOutput;"
                             "move " + lib + " " + d + "/bad;move " + d + "/good.so " + lib + ";rate CalculateOutput");
  ASSERT_EQ(lines.size(), 5u);
  for (size_t i : {0u, 1u, 3u}) {
    EXPECT_EQ(lines[i].number, 3100) << lines[i].message;
    const std::string& m = lines[i].message;
    EXPECT_TRUE(m.rfind("psychrometric library " + lib + f.tail, 0) == 0 ||
                (!f.or_tail.empty() && m.rfind("psychrometric library " + lib + f.or_tail, 0) == 0)) << m;
  }
  EXPECT_EQ(lines[2].status, 0) << "the leakage figures need no moist-air properties: " << lines[2].message;
  EXPECT_EQ(lines[4].status, 0) << "a failed load is not remembered: " << lines[4].message;
  EXPECT_TRUE(lines[4].finite);
}
INSTANTIATE_TEST_SUITE_P(Libraries, PsyLibraryFault, ::testing::ValuesIn(kFaults), [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace novaflux
