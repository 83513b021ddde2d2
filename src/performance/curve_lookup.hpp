#pragma once
// Reading a performance curve (summer or winter table) at a face velocity: the row at exactly
// that velocity when there is exactly one, otherwise linear interpolation between the nearest
// rows below and above. A missing neighbour counts as velocity 0 and value 0, so beyond the
// ends of the table the value scales in proportion to the velocity.
#include <span>
#include <variant>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "common/ignore_errors.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux {

struct CurveColumn {
  Num CurveRow::*column;
  std::variant<Variant*, double*> destination;
};

struct CurveKey {
  const char* table;  // "txlmastS" or "txlmastW", for messages
  double rotor_depth;
  const std::string& series;
  const std::string& type;
};

// Fills each column's destination for velocity v. The region is armed from the first lookup
// that is not an exact hit; from then on a failing assignment leaves its destination as it
// was. A curve without any row for the key fails with an error naming the table and the key,
// armed region or not.
// `groups` are the rows' groups by key (Catalogue::txlmastS_groups or txlmastW_groups).
void lookup_curve(const std::vector<CurveRow>& rows, const std::vector<CurveGroup>& groups,
                  const CurveKey& key, double v, std::span<const CurveColumn> columns,
                  IgnoreErrors& region);

}  // namespace novaflux
