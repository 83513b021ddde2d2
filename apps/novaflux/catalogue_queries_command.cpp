// `novaflux models` and `novaflux leakage`: what the catalogue offers, without a full rating.
#include <iomanip>
#include <iostream>
#include <memory>

#include "catalogue/catalogue.hpp"
#include "commands.hpp"
#include "common/numeric.hpp"
#include "rating_json/models_json.hpp"
#include "rating_json/rating_json.hpp"

namespace novaflux::tool {

namespace {
std::string cell(const Num& n) { return n ? number_text(*n) : std::string("-"); }
}  // namespace

void register_models_command(CLI::App& app) {
  auto json = std::make_shared<bool>(false);
  auto* cmd = app.add_subcommand("models", "list the wheel models of the catalogue");
  cmd->add_flag("--json", *json, "write the list as JSON");
  cmd->callback([json] {
    try {
      if (*json) {
        std::cout << json_text(models_json());
        return;
      }
      const Catalogue& c = open_database();
      std::cout << std::left << std::setw(6) << "id" << std::setw(38) << "model" << std::setw(10)
                << "diameter" << std::setw(14) << "area purge" << "area no purge\n";
      for (const auto& row : c.modelmast) {
        const auto id = model_id(row.modelid);
        const std::string name = id ? model_name(static_cast<Modelall>(*id)) : "-";
        std::cout << std::setw(6) << cell(row.modelid) << std::setw(38) << name << std::setw(10)
                  << cell(row.rotor_dia) << std::setw(14) << cell(row.netarearot) << cell(row.wonetarearot)
                  << "\n";
      }
    } catch (const std::exception& e) {
      std::cerr << "novaflux models: " << e.what() << "\n";
      exit_status() = 1;
    }
  });
}

void register_leakage_command(CLI::App& app) {
  struct Options {
    double dp = 0;
    bool ip = false;
    bool no_purge = false;
  };
  auto o = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("leakage", "EATR, OACF and purge angle for a pressure difference");
  cmd->add_option("--dp", o->dp, "pressure difference between the air streams (Pa, or in. w.g. with --ip)")->required();
  cmd->add_flag("--ip", o->ip, "the pressure difference is in in. w.g.");
  cmd->add_flag("--no-purge", o->no_purge, "wheel without purge sector");
  cmd->callback([o] {
    try {
      KivClass k;
      k.put_KivunitSI(!o->ip);
      k.put_KivPurgeWithout(o->no_purge);
      k.KivinputLeakagePressureDifference = to_single(o->dp);
      k.EATRValue();
      std::cout << "pressure difference " << single_text(k.KivinputLeakagePressureDifference)
                << (o->ip ? " in. w.g." : " Pa") << (o->no_purge ? ", without" : ", with")
                << " purge sector\n"
                << "EATR         " << single_text(k.KivoutLeakageEatr) << "\n"
                << "OACF         " << single_text(k.KivoutLeakageOacf) << "\n"
                << "purge angle  " << single_text(k.KivoutLeakagePurgeAngle) << "\n";
    } catch (const std::exception& e) {
      std::cerr << "novaflux leakage: " << e.what() << "\n";
      exit_status() = 1;
    }
  });
}

}  // namespace novaflux::tool
