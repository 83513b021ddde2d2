// Binding of the psychrometric library (libpsylib32.so) at run time. The library sits in the
// component's own folder and is replaceable by any library with the same entry points, so it is
// opened by its full path there, never through the loader's search path, and each entry point is
// looked up by name.
#include "psychrometrics/psy_binding.hpp"

#include <cstdint>
#include <cstring>
#include <exception>
#include <string>

#include "common/component_folder.hpp"
#include "common/library_loader.hpp"
#include "common/module_state.hpp"
#include "common/run_error.hpp"

namespace novaflux {
namespace {

// One entry point: its exported name and the member that keeps it (three arguments t, w or
// second quantity, altitude; or two arguments t, w).
struct EntryPoint {
  const char* name;
  PsyFn3 PsyFunctions::*three;
  PsyFn2 PsyFunctions::*two;
};

constexpr EntryPoint kEntryPoints[] = {
    {"LCWETBULB", &PsyFunctions::LCWETBULB, nullptr},
    {"LCRH", &PsyFunctions::LCRH, nullptr},
    {"LCENTHALPY", nullptr, &PsyFunctions::LCENTHALPY},
    {"LCDENSITY", &PsyFunctions::LCDENSITY, nullptr},
    {"LCRHTOGR", &PsyFunctions::LCRHTOGR, nullptr},
    {"LCWBTOGR", &PsyFunctions::LCWBTOGR, nullptr},
    {"LCSI_WETBULB", &PsyFunctions::LCSI_WETBULB, nullptr},
    {"LCSI_RH", &PsyFunctions::LCSI_RH, nullptr},
    {"LCSI_ENTHALPY", nullptr, &PsyFunctions::LCSI_ENTHALPY},
    {"LCSI_DENSITY", &PsyFunctions::LCSI_DENSITY, nullptr},
    {"LCSI_RHTOGRAMS", &PsyFunctions::LCSI_RHTOGRAMS, nullptr},
    {"LCSI_WBTOGR", &PsyFunctions::LCSI_WBTOGR, nullptr},
};

[[noreturn]] void fail(const std::string& description) {
  throw RunError(ErrorNumber::Psychrometrics, description);
}

// Opens the library and resolves every entry point. On success the library stays open for the
// life of the process, since the pointers handed out must stay valid; on a missing entry point
// it is closed again, so that a corrected file put in its place is loaded afresh next time.
PsyFunctions bind(const std::string& path) {
  std::string reason;
  void* library = open_library(path, reason);
  if (library == nullptr)
    fail("psychrometric library " + path + " cannot be loaded" + (reason.empty() ? "" : ": " + reason));
  PsyFunctions functions{};
  for (const EntryPoint& entry : kEntryPoints) {
    void* symbol = find_symbol(library, entry.name);
    if (symbol == nullptr) {
      close_library(library);
      fail("psychrometric library " + path + ": entry point " + entry.name + " not found");
    }
    if (entry.three != nullptr)
      functions.*entry.three = reinterpret_cast<PsyFn3>(symbol);
    else
      functions.*entry.two = reinterpret_cast<PsyFn2>(symbol);
  }
  return functions;
}

const EntryPoint* find_entry_point(const char* name) {
  if (name == nullptr) return nullptr;
  for (const EntryPoint& entry : kEntryPoints)
    if (std::strcmp(entry.name, name) == 0) return &entry;
  return nullptr;
}

void copy_message(const char* text, char* message, std::size_t message_size) {
  if (message == nullptr || message_size == 0) return;
  std::strncpy(message, text, message_size - 1);
  message[message_size - 1] = '\0';
}

}  // namespace

const PsyFunctions& psy() {
  ModuleState& state = module_state();
  if (state.psy != nullptr) return *state.psy;
  // The pointers live with the thread's module state; a failure leaves state.psy empty, so the
  // next call tries the load again.
  thread_local PsyFunctions functions{};
  functions = bind(component_folder() + "/" + kPsyLibraryName);
  state.psy = &functions;
  return functions;
}

}  // namespace novaflux

extern "C" int novaflux_psy_probe(const char* entry_point, float a, float b, short alt, float* result, char* message,
                                  std::size_t message_size) {
  novaflux::copy_message("", message, message_size);
  const novaflux::EntryPoint* entry = novaflux::find_entry_point(entry_point);
  if (entry == nullptr) {
    novaflux::copy_message("unknown psychrometric entry point", message, message_size);
    return -1;
  }
  try {
    const novaflux::PsyFunctions& functions = novaflux::psy();
    const float value = entry->three != nullptr ? (functions.*entry->three)(a, b, alt) : (functions.*entry->two)(a, b);
    if (result != nullptr) *result = value;
    return 0;
  } catch (const novaflux::RunError& error) {
    // A C caller: the error becomes a status and a text here.
    novaflux::copy_message(error.what(), message, message_size);
    return error.code();
  } catch (const std::exception& error) {
    novaflux::copy_message(error.what(), message, message_size);
    return -2;
  }
}
