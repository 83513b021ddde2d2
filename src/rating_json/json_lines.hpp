#pragma once
// A stream of ratings (`rate --jsonl`): one JSON object per input line, one compact result line
// per input line, written as soon as it is rated.
#include <istream>
#include <optional>
#include <ostream>

#include "novaflux/kiv_class.hpp"

namespace novaflux {

struct JsonLinesSummary {
  bool unusable_line = false;  // a line that was not a JSON object of known properties
  bool failed_rating = false;  // a rating whose run failed
};

// Each line is rated on a new object from the state of a fresh thread, exactly as it would be
// rated alone. A line that cannot be used gives {"line": N, "error": {"number": 3200,
// "description": ...}} and the next line is read.
JsonLinesSummary rate_json_lines(std::istream& in, std::ostream& out, std::optional<Modelall> model);

}  // namespace novaflux
