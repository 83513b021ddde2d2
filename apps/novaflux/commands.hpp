#pragma once
// Each verb of the tool registers itself on the command line and runs from there.
#include <CLI/CLI.hpp>

namespace novaflux::tool {

void register_describe_command(CLI::App& app);
void register_rate_command(CLI::App& app);
void register_catalogue_commands(CLI::App& app);
void register_models_command(CLI::App& app);
void register_leakage_command(CLI::App& app);
void register_batch_command(CLI::App& app);
void register_report_commands(CLI::App& app);
void register_select_command(CLI::App& app);
void register_serve_command(CLI::App& app);
void register_annual_command(CLI::App& app);

// Set by a verb's callback; main returns it.
int& exit_status();

}  // namespace novaflux::tool
