// novaflux catalogue build DIR -o FILE   makes a catalogue file from schema.sql and the CSVs
// novaflux catalogue check FILE          reports what would make runs read wrong data
#include <iostream>
#include <memory>
#include <string>

#include "catalogue/catalogue_builder.hpp"
#include "commands.hpp"

namespace novaflux::tool {

void register_catalogue_commands(CLI::App& app) {
  auto* catalogue = app.add_subcommand("catalogue", "Build or check a product catalogue file");
  catalogue->require_subcommand(1);

  struct BuildArgs {
    std::string source_dir;
    std::string output;
  };
  auto build_args = std::make_shared<BuildArgs>();
  auto* build = catalogue->add_subcommand(
      "build", "Build a catalogue file from DIR/schema.sql and one CSV per table (DIR/<table>.csv)");
  build->add_option("DIR", build_args->source_dir, "folder with schema.sql and the CSV files")
      ->required();
  build->add_option("-o,--output", build_args->output, "catalogue file to write")->required();
  build->callback([build_args] {
    try {
      build_catalogue(build_args->source_dir, build_args->output);
    } catch (const std::exception& e) {
      std::cerr << "novaflux catalogue build: " << e.what() << "\n";
      exit_status() = 1;
    }
  });

  auto file = std::make_shared<std::string>();
  auto* check = catalogue->add_subcommand(
      "check", "Check a catalogue file: schema, row order, duplicates, required rows and values");
  check->add_option("FILE", *file, "catalogue file to check")->required();
  check->callback([file] {
    try {
      const CheckReport report = check_catalogue(*file);
      for (const auto& d : report.defects) std::cout << "defect: " << d << "\n";
      for (const auto& n : report.notes) std::cout << "note: " << n << "\n";
      std::cout << *file << ": " << report.defects.size()
                << (report.defects.size() == 1 ? " defect, " : " defects, ") << report.notes.size()
                << (report.notes.size() == 1 ? " note" : " notes") << "\n";
      if (!report.ok()) exit_status() = 1;
    } catch (const std::exception& e) {
      std::cerr << "novaflux catalogue check: " << e.what() << "\n";
      exit_status() = 1;
    }
  });
}

}  // namespace novaflux::tool
