// Fuzz target: the server's handling of a request after the HTTP parsing, the part that sees
// what a client chose. The input is a request written out: a method line, a target line, header
// lines up to an empty line, then the body. Every route is reachable; half the inputs run under
// a token policy.
//
// What counts as a finding, beyond a crash, a hang or a sanitizer report:
//   - a status outside 200..599, or a 5xx answer (bad input must be a 4xx);
//   - a JSON answer that is not JSON;
//   - a streamed answer that fails after its status was sent.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "findings.hpp"
#include "server/api_router.hpp"

namespace novaflux::fuzz {
const char* const kTargetName = "server_request_fuzz";
}  // namespace novaflux::fuzz

namespace {

std::string_view next_line(std::string_view& text) {
  const size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using novaflux::fuzz::finding;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  novaflux::server::HttpRequest request;
  request.method = std::string(next_line(text));
  request.target = std::string(next_line(text));
  for (std::string_view line = next_line(text); !line.empty(); line = next_line(text)) {
    const size_t colon = line.find(':');
    request.headers.emplace_back(std::string(line.substr(0, colon)),
                                 colon == std::string_view::npos ? std::string() : std::string(line.substr(colon + 1)));
  }
  request.body = std::string(text);
  const bool with_token = size % 2 == 1;
  const novaflux::server::HttpResponse r =
      novaflux::server::handle_request(request, {true, with_token ? "fuzz" : "", 1});
  if (r.status < 200 || r.status > 599) finding("status " + std::to_string(r.status));
  if (r.status >= 500) finding("a 5xx answer: " + r.body.substr(0, 300));
  if (r.content_type == "application/json" && !nlohmann::json::accept(r.body)) finding("an answer that is not JSON");
  if (r.stream) {
    std::string streamed;
    try {
      r.stream([&](std::string_view part) { streamed.append(part); });
    } catch (const std::exception& e) {
      finding(std::string("the streamed answer failed after its status: ") + e.what());
    }
  }
  return 0;
}
