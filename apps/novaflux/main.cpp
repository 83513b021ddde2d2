// novaflux: rate heat-recovery wheels from the command line.
#include <CLI/CLI.hpp>
#include <iostream>

#include "commands.hpp"
#include "novaflux/kiv_class.hpp"
#include "novaflux/version.hpp"

int main(int argc, char** argv) {
  CLI::App app{"novaflux: rating of rotary heat-recovery wheels"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("novaflux ") + novaflux::version());
  std::string catalogue;
  app.add_option("--catalogue", catalogue, "catalogue file to use instead of NOVAFLUX.db beside the component")
      ->each([](const std::string& path) { novaflux::set_catalogue_path(path); });

  novaflux::tool::register_describe_command(app);
  novaflux::tool::register_rate_command(app);
  novaflux::tool::register_catalogue_commands(app);
  novaflux::tool::register_models_command(app);
  novaflux::tool::register_leakage_command(app);
  novaflux::tool::register_batch_command(app);
  novaflux::tool::register_report_commands(app);
  novaflux::tool::register_select_command(app);
  novaflux::tool::register_serve_command(app);
  novaflux::tool::register_annual_command(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  } catch (const std::exception& e) {
    std::cerr << "novaflux: " << e.what() << "\n";
    return 1;
  }
  return novaflux::tool::exit_status();
}
