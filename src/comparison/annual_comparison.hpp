#pragma once
// The fitting models compared by their year at a site (`select --weather`).
#include <nlohmann/json.hpp>

#include "comparison/model_comparison.hpp"

namespace novaflux {

// Runs the annual study of the request's inputs for each kept model and fills c.years; with
// sort_by_saving reorders c.kept (and c.years) by net saving, largest first.
void add_years(Comparison& c, const ComparisonRequest& request);

// {"heating", "cooling", "electric", "frostRiskHours", "saving", "failedHours", "error"}
nlohmann::ordered_json year_json(const Comparison& c, const ModelYear& year);

}  // namespace novaflux
