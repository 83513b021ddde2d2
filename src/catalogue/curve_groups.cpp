#include <algorithm>

#include "catalogue/catalogue.hpp"

namespace novaflux {

std::vector<CurveGroup> group_curve_rows(const std::vector<CurveRow>& rows) {
  std::vector<CurveGroup> groups;
  for (size_t i = 0; i < rows.size(); ++i) {
    const CurveRow& row = rows[i];
    // A row with a Null key cell or velocity matches no key.
    if (!row.velocityfpm || !row.rotdepth || !row.series || !row.type) continue;
    auto group = std::find_if(groups.begin(), groups.end(), [&](const CurveGroup& g) {
      return g.holds(*row.rotdepth, *row.series, *row.type);
    });
    if (group == groups.end())
      group = groups.insert(groups.end(), CurveGroup{*row.rotdepth, *row.series, *row.type, {}});
    group->rows.push_back(static_cast<uint32_t>(i));
  }
  for (auto& g : groups)
    std::stable_sort(g.rows.begin(), g.rows.end(),
                     [&](uint32_t a, uint32_t b) { return *rows[a].velocityfpm < *rows[b].velocityfpm; });
  return groups;
}

}  // namespace novaflux
