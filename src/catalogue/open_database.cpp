#include "catalogue/catalogue.hpp"
#include "common/module_state.hpp"
#include "component/run_steps.hpp"

namespace novaflux::detail {

RunScope::RunScope() {
  auto& m = module_state();
  if (m.run_depth++ == 0) m.run_catalogue_open = false;
}

RunScope::~RunScope() { --module_state().run_depth; }

namespace {
// Inside a run the catalogue opened by its first step serves every later step, so a file
// replaced while the run is in progress is seen by the next run, never half-way through.
const Catalogue& refresh_unless_pinned() {
  auto& m = module_state();
  const bool pinned = m.run_depth > 0 && m.run_catalogue_open && m.DbConnection != nullptr;
  if (!pinned) {
    m.DbConnection = nullptr;
    m.DbConnection = &open_database();
    if (m.run_depth > 0) m.run_catalogue_open = true;
  }
  return *m.DbConnection;
}
}  // namespace

const Catalogue& OpenDatabase() {
  const Catalogue& catalogue = refresh_unless_pinned();
  module_state().constants.OacfFactor = 0.05f;
  return catalogue;
}

const Catalogue& CurrentCatalogue() { return refresh_unless_pinned(); }

}  // namespace novaflux::detail
