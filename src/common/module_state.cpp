#include "common/module_state.hpp"

#include <utility>

namespace novaflux {

ModuleState& module_state() {
  thread_local ModuleState state;
  return state;
}

void reset_between_cases() {
  ModuleState& m = module_state();
  // Keep what is tied to files, start every other part (present or added later) afresh.
  auto catalogue = std::move(m.catalogue);
  const Catalogue* connection = m.DbConnection;
  const PsyFunctions* psy = m.psy;
  m = ModuleState{};
  m.catalogue = std::move(catalogue);
  m.DbConnection = connection;
  m.psy = psy;
}

}  // namespace novaflux
