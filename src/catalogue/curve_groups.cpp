#include <algorithm>
#include <cmath>

#include "catalogue/catalogue.hpp"

namespace novaflux {

std::vector<CurveGroup> group_curve_rows(const std::vector<CurveRow>& rows) {
  std::vector<CurveGroup> groups;
  for (size_t i = 0; i < rows.size(); ++i) {
    const CurveRow& row = rows[i];
    // A row that no key can match (a Null key cell or velocity, a NaN depth) is in no group.
    if (!row.velocityfpm || !row.rotdepth || std::isnan(*row.rotdepth) || !row.series || !row.type) continue;
    CurveGroup* group = nullptr;
    for (auto& g : groups)
      if (g.rotdepth == *row.rotdepth && g.series == *row.series && g.type == *row.type) group = &g;
    if (!group) group = &groups.emplace_back(CurveGroup{*row.rotdepth, *row.series, *row.type, {}, {}});
    group->rows.push_back(static_cast<uint32_t>(i));
  }
  const auto velocity = [&](uint32_t position) { return *rows[position].velocityfpm; };
  for (auto& g : groups) {
    if (std::any_of(g.rows.begin(), g.rows.end(), [&](uint32_t p) { return std::isnan(velocity(p)); })) continue;
    g.by_velocity = g.rows;
    std::stable_sort(g.by_velocity.begin(), g.by_velocity.end(),
                     [&](uint32_t a, uint32_t b) { return velocity(a) < velocity(b); });
  }
  return groups;
}

}  // namespace novaflux
