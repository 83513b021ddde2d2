#pragma once
// A study laid out for a person: what was studied, as label-value lines, and the table of the
// months and the year. The text output and the datasheet's annual section both show these.
#include <string>
#include <utility>
#include <vector>

#include "novaflux/result_view.hpp"
#include "studies/annual_study.hpp"

namespace novaflux {

// ("Site", "Chicago Ohare Intl Ap, IL, USA ..."), ("Model", ...), ("Control", ...), ...
std::vector<std::pair<std::string, std::string>> annual_facts(const AnnualStudy& study);

// One row per month and one for the year: hours by mode, recovered heating and cooling energy,
// the peaks, frost-risk hours, fan and motor energy, and the saving when priced.
ViewTable annual_table(const AnnualStudy& study);

// The yearly saving in words ("" without prices).
std::string annual_saving_text(const AnnualStudy& study);

// A figure rounded for reading: `decimals` places, trailing zeros dropped.
std::string rounded_text(double x, int decimals);

}  // namespace novaflux
