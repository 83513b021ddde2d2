#include "rating_json/json_lines.hpp"

#include <cstdint>
#include <string>

#include "common/run_error.hpp"
#include "rating_json/rating_json.hpp"
#include "rating_json/rating_request.hpp"

namespace novaflux {

JsonLinesSummary rate_json_lines(std::istream& in, std::ostream& out, std::optional<Modelall> model) {
  JsonLinesSummary summary;
  std::string line;
  for (uint64_t number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    nlohmann::ordered_json result;
    try {
      const RatedRequest rated = rate_request({parse_json_text(line, ""), model});
      summary.failed_rating = summary.failed_rating || rated.failed();
      result = rated.json();
    } catch (const std::exception& e) {
      result = nlohmann::ordered_json::object();
      result["line"] = number;
      // The same shape as the error of a failed rating.
      result["error"] = nlohmann::json{{"number", static_cast<int>(ErrorNumber::BadInput)}, {"description", e.what()}};
      summary.unusable_line = true;
    }
    out << result.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n" << std::flush;
  }
  return summary;
}

}  // namespace novaflux
