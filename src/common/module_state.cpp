#include "common/module_state.hpp"

namespace novaflux {

ModuleState& module_state() {
  thread_local ModuleState state;
  return state;
}

}  // namespace novaflux
