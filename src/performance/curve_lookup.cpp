#include "performance/curve_lookup.hpp"

#include <algorithm>
#include <string>

#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "component/run_steps.hpp"

namespace novaflux {

namespace {

const CurveGroup* group_of(const std::vector<CurveGroup>& groups, const CurveKey& key) {
  for (const auto& g : groups)
    if (g.holds(key.rotor_depth, key.series, key.type)) return &g;
  return nullptr;
}

// A Null cell cannot be used as a number; a pressure drop reads as empty instead.
void assign_exact(const CurveColumn& c, const Num& cell) {
  if (auto* const* v = std::get_if<Variant*>(&c.destination)) {
    if (cell) **v = *cell;
    else if (c.column == &CurveRow::pdroppa) **v = Variant{};
    else throw_type_mismatch();
  } else {
    if (!cell) throw_type_mismatch();
    *std::get<double*>(c.destination) = *cell;
  }
}

void assign_result(const CurveColumn& c, double value) {
  if (auto* const* v = std::get_if<Variant*>(&c.destination)) **v = value;
  else *std::get<double*>(c.destination) = value;
}

}  // namespace

void lookup_curve(const std::vector<CurveRow>& rows, const std::vector<CurveGroup>& groups,
                  const CurveKey& key, double v, std::span<const CurveColumn> columns,
                  IgnoreErrors& region) {
  const CurveRow* exact = nullptr;
  int exact_count = 0;
  const CurveRow* below = nullptr;
  const CurveRow* above = nullptr;
  if (const CurveGroup* group = group_of(groups, key)) {
    // Rows below v, then rows at v, then rows above, each in table order: the nearest below
    // is the last of its velocity, the nearest above the first of its. (A NaN v has no row
    // below or at it, and the first row above: the slowest, as a scan in table order finds.)
    const auto& order = group->rows;
    const auto velocity = [&](uint32_t position) { return *rows[position].velocityfpm; };
    const auto at = std::partition_point(order.begin(), order.end(), [&](uint32_t p) { return velocity(p) < v; });
    const auto past = std::partition_point(at, order.end(), [&](uint32_t p) { return velocity(p) == v; });
    exact_count = static_cast<int>(past - at);
    if (exact_count != 0) exact = &rows[*at];
    if (at != order.begin()) below = &rows[*(at - 1)];
    if (past != order.end()) above = &rows[*past];
  }

  if (exact_count == 1) {
    for (const auto& c : columns) region.run([&] { assign_exact(c, exact->*c.column); });
    return;
  }
  if (exact_count == 0 && !below && !above) {
    throw FatalRunError(ErrorNumber::MissingCurve,
                        "no performance data in " + std::string(key.table) + " for rotor depth " +
                            number_text(key.rotor_depth) + ", series " + key.series + ", type " +
                            key.type);
  }
  region.arm();
  // A missing neighbour is an empty point: velocity 0, value 0.
  const double x1 = below ? *below->velocityfpm : 0.0;
  const double x2 = above ? *above->velocityfpm : 0.0;
  for (const auto& c : columns) {
    region.run([&] {
      const Num y1 = below ? below->*c.column : Num(0.0);
      const Num y2 = above ? above->*c.column : Num(0.0);
      if (!y1 || !y2) throw_type_mismatch();
      double x = v;
      assign_result(c, detail::LinearInterpolate(x1, x2, *y1, *y2, x));
    });
  }
}

}  // namespace novaflux
