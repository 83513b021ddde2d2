#pragma once
// The sums of a study's hours per month and for the year, the peaks, and the savings at the
// given prices.
#include "studies/annual_study.hpp"

namespace novaflux {

// Fills months, year, savings and monthly_savings from study.hours.
void summarise(AnnualStudy& study);

}  // namespace novaflux
