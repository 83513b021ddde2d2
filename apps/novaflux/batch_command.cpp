// `novaflux batch`: many ratings from a CSV file.
#include <iostream>

#include "commands.hpp"

namespace novaflux::tool {

void register_batch_command(CLI::App& app) {
  auto* cmd = app.add_subcommand("batch", "rate every row of a CSV file (not available yet)");
  cmd->callback([] {
    std::cerr << "novaflux batch: not available yet\n";
    exit_status() = 1;
  });
}

}  // namespace novaflux::tool
