// The component's binding of the psychrometric library: which file it loads, how it keeps the
// entry points, and what a missing file or entry point looks like.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/component_folder.hpp"
#include "common/module_state.hpp"
#include "psychrometrics/psy_binding.hpp"

namespace {

namespace fs = std::filesystem;
using novaflux::module_state;
using novaflux::psy;
using novaflux::PsyFunctions;

// The twelve entry points in the order the substitute library numbers them.
struct Entry {
  const char* name;
  bool altitude;  // takes the altitude as third argument
  void* (*bound)(const PsyFunctions&);
};

template <auto Member>
void* address(const PsyFunctions& f) {
  return reinterpret_cast<void*>(f.*Member);
}

const Entry kEntries[] = {
    {"LCWETBULB", true, address<&PsyFunctions::LCWETBULB>},
    {"LCRH", true, address<&PsyFunctions::LCRH>},
    {"LCENTHALPY", false, address<&PsyFunctions::LCENTHALPY>},
    {"LCDENSITY", true, address<&PsyFunctions::LCDENSITY>},
    {"LCRHTOGR", true, address<&PsyFunctions::LCRHTOGR>},
    {"LCWBTOGR", true, address<&PsyFunctions::LCWBTOGR>},
    {"LCSI_WETBULB", true, address<&PsyFunctions::LCSI_WETBULB>},
    {"LCSI_RH", true, address<&PsyFunctions::LCSI_RH>},
    {"LCSI_ENTHALPY", false, address<&PsyFunctions::LCSI_ENTHALPY>},
    {"LCSI_DENSITY", true, address<&PsyFunctions::LCSI_DENSITY>},
    {"LCSI_RHTOGRAMS", true, address<&PsyFunctions::LCSI_RHTOGRAMS>},
    {"LCSI_WBTOGR", true, address<&PsyFunctions::LCSI_WBTOGR>},
};

// ---------------------------------------------------------------------------------------------
// In this process: the build's component and the real library next to it.

TEST(PsyBinding, BindsEachEntryPointToItsNamesakeInTheComponentFolder) {
  const PsyFunctions& functions = psy();
  const fs::path expected = fs::canonical(novaflux::component_folder() + "/" + novaflux::kPsyLibraryName);
  for (const Entry& entry : kEntries) {
    Dl_info info{};
    ASSERT_NE(dladdr(entry.bound(functions), &info), 0) << entry.name;
    ASSERT_NE(info.dli_sname, nullptr) << entry.name;
    EXPECT_STREQ(info.dli_sname, entry.name);
    EXPECT_EQ(fs::canonical(info.dli_fname), expected) << entry.name;
  }
  // Dry air at sea level and 20 degC: 101325 / (287.042 x 293.15) kg/m3.
  EXPECT_NEAR(functions.LCSI_DENSITY(20.0f, 0.0f, 0), 1.20416f, 1e-4f);
}

TEST(PsyBinding, KeepsTheEntryPointsPerThreadInTheModuleState) {
  const PsyFunctions* here = &psy();
  EXPECT_EQ(module_state().psy, here);
  EXPECT_EQ(&psy(), here);  // bound once, not again

  const PsyFunctions* before = here;
  const PsyFunctions* there = nullptr;
  PsyFunctions copy{};
  std::thread([&] {
    before = module_state().psy;
    there = &psy();
    copy = *there;
  }).join();
  EXPECT_EQ(before, nullptr) << "a new thread starts unbound";
  EXPECT_NE(there, here) << "each thread keeps its own pointers";
  for (const Entry& entry : kEntries) EXPECT_EQ(entry.bound(copy), entry.bound(*here)) << entry.name;
}

// ---------------------------------------------------------------------------------------------
// In a process of its own (psy_probe_host): a copy of the component in a temporary folder, with
// whatever library the test puts next to it. The test executable cannot load the copy itself:
// the build's libnovaflux.so, already loaded here, would take precedence over the copy's symbols.

struct ProbeReply {
  std::string name;
  bool ok = false;
  double value = 0.0;
  int code = 0;
  std::string message;
};

std::string quote(const std::string& s) {
  std::string out = "'";
  for (const char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

class PsyBindingFolder : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "novaflux-psy-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    fs::copy_file(NOVAFLUX_COMPONENT_FILE, folder_ / "libnovaflux.so");
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path library() const { return folder_ / novaflux::kPsyLibraryName; }

  // Runs the host on the copied component; returns one reply per "call" action.
  std::vector<ProbeReply> run(const std::vector<std::string>& actions) {
    std::string command = quote(PSY_PROBE_HOST) + " " + quote((folder_ / "libnovaflux.so").string());
    for (const std::string& a : actions) command += " " + quote(a);
    FILE* pipe = popen(command.c_str(), "r");
    EXPECT_NE(pipe, nullptr);
    std::vector<ProbeReply> replies;
    if (pipe == nullptr) return replies;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
      std::istringstream in(line);
      ProbeReply reply;
      std::string status;
      in >> reply.name >> status;
      reply.ok = status == "ok";
      if (reply.ok)
        in >> reply.value;
      else {
        in >> reply.code;
        std::getline(in >> std::ws, reply.message);
      }
      replies.push_back(reply);
    }
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    return replies;
  }

  static std::vector<std::string> call(const char* name) { return {"call", name, "1", "2", "3"}; }

  fs::path folder_;
};

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(PsyBindingFolder, UsesWhateverLibrarySitsInItsFolder) {
  fs::copy_file(SUBSTITUTE_PSYLIB, library());
  std::vector<std::string> actions;
  for (const Entry& entry : kEntries) actions = actions + call(entry.name);
  const auto replies = run(actions);
  ASSERT_EQ(replies.size(), std::size(kEntries));
  for (std::size_t k = 0; k < replies.size(); ++k) {
    // The substitute answers 1000 x its number + a + 10 b (+ 100 alt): called with (1, 2, 3).
    const double expected = 1000.0 * static_cast<double>(k + 1) + (kEntries[k].altitude ? 321.0 : 21.0);
    EXPECT_EQ(replies[k].name, kEntries[k].name);
    EXPECT_TRUE(replies[k].ok) << replies[k].name << ": " << replies[k].message;
    EXPECT_EQ(replies[k].value, expected) << replies[k].name;
  }
}

TEST_F(PsyBindingFolder, MissingLibraryIsAnErrorNamingTheFile) {
  const auto replies = run(call("LCSI_DENSITY") + call("LCWETBULB"));
  ASSERT_EQ(replies.size(), 2u);
  for (const ProbeReply& reply : replies) {
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.code, 3100);
    EXPECT_EQ(reply.message.rfind("psychrometric library " + library().string() + " cannot be loaded", 0), 0u)
        << reply.message;
  }
}

TEST_F(PsyBindingFolder, MissingEntryPointIsAnErrorNamingTheSymbol) {
  fs::copy_file(SUBSTITUTE_PSYLIB_INCOMPLETE, library());
  // The library is bound as a whole: an entry point that exists fails as well.
  const auto replies = run(call("LCSI_DENSITY") + call("LCSI_WETBULB"));
  ASSERT_EQ(replies.size(), 2u);
  for (const ProbeReply& reply : replies) {
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.code, 3100);
    EXPECT_EQ(reply.message,
              "psychrometric library " + library().string() + ": entry point LCSI_DENSITY not found");
  }
}

// A failed load is not remembered: once a usable library is put in place, the next call binds it.
TEST_F(PsyBindingFolder, FailedLoadIsRetriedOnTheNextCall) {
  struct Case {
    const char* first;  // library in the folder at the first call, or none
    const char* why;
  };
  for (const Case c : {Case{nullptr, "missing file"}, Case{SUBSTITUTE_PSYLIB_INCOMPLETE, "missing entry point"}}) {
    SCOPED_TRACE(c.why);
    fs::remove(library());
    if (c.first != nullptr) fs::copy_file(c.first, library());
    const fs::path staged = folder_ / "staged.so";
    fs::copy_file(SUBSTITUTE_PSYLIB, staged, fs::copy_options::overwrite_existing);
    const auto replies =
        run(call("LCSI_DENSITY") + std::vector<std::string>{"move", staged.string(), library().string()} +
            call("LCSI_DENSITY"));
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_FALSE(replies[0].ok);
    EXPECT_EQ(replies[0].code, 3100);
    EXPECT_TRUE(replies[1].ok) << replies[1].message;
    EXPECT_EQ(replies[1].value, 10321.0);
  }
}

TEST_F(PsyBindingFolder, UnknownProbeNameIsRejected) {
  const auto replies = run(call("LCSATVP"));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_FALSE(replies[0].ok);
  EXPECT_EQ(replies[0].code, -1);
}

}  // namespace
