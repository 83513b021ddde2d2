#pragma once
// The datasheet's annual section (`report --weather`): what was studied, the table of the
// months and the year, the saving, and the monthly chart, on a page of its own.
#include <string>

#include "studies/annual_study.hpp"

namespace novaflux {

std::string annual_section_html(const AnnualStudy& study);

}  // namespace novaflux
