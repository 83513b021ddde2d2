#pragma once
// The annual study's flags, shared by `annual`, `report --weather` and `select --weather`:
// each is handed to the library by its name (set_annual_option), which checks and documents it.
#include <CLI/CLI.hpp>
#include <map>
#include <memory>
#include <string>

#include "studies/annual_study.hpp"

namespace novaflux::tool {

struct StudyFlags {
  std::string weather;                          // --weather FILE.epw ("" when not given)
  std::map<std::string, std::string> options;   // flag name without dashes -> text
  AnnualOptions annual_options() const;
};

// Adds --weather (required or not) and the study's options to a verb.
void add_study_flags(CLI::App* command, const std::shared_ptr<StudyFlags>& flags, bool weather_required);

}  // namespace novaflux::tool
