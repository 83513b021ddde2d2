#pragma once
// The path and the query parameters of a request target ("/api/rate?model=TXL_1400...").
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace novaflux::server {

struct RequestTarget {
  std::string path;
  std::vector<std::pair<std::string, std::string>> query;  // decoded, in the order sent

  // The value of the first parameter of that name.
  std::optional<std::string> parameter(std::string_view name) const;
};

// Splits a target into its path and its query parameters, both percent-decoded ('+' is a space
// in the query). Throws std::invalid_argument on a broken escape or a decoded NUL.
RequestTarget parse_target(std::string_view target);

}  // namespace novaflux::server
