#include "server/request_target.hpp"

#include <stdexcept>

namespace novaflux::server {

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string decoded(std::string_view text, bool plus_is_space) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '%') {
      const int hi = i + 2 < text.size() ? hex_digit(text[i + 1]) : -1;
      const int lo = i + 2 < text.size() ? hex_digit(text[i + 2]) : -1;
      if (hi < 0 || lo < 0) throw std::invalid_argument("the request target has a broken %-escape");
      c = static_cast<char>(hi * 16 + lo);
      i += 2;
    } else if (c == '+' && plus_is_space) {
      c = ' ';
    }
    if (c == '\0') throw std::invalid_argument("the request target holds a NUL character");
    out.push_back(c);
  }
  return out;
}

}  // namespace

std::optional<std::string> RequestTarget::parameter(std::string_view name) const {
  for (const auto& [key, value] : query)
    if (key == name) return value;
  return std::nullopt;
}

RequestTarget parse_target(std::string_view target) {
  RequestTarget out;
  const size_t question = target.find('?');
  out.path = decoded(target.substr(0, question), false);
  if (question == std::string_view::npos) return out;
  std::string_view rest = target.substr(question + 1);
  while (!rest.empty()) {
    const size_t amp = rest.find('&');
    const std::string_view pair = rest.substr(0, amp);
    rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
    if (pair.empty()) continue;
    const size_t eq = pair.find('=');
    out.query.emplace_back(decoded(pair.substr(0, eq), true),
                           eq == std::string_view::npos ? std::string() : decoded(pair.substr(eq + 1), true));
  }
  return out;
}

}  // namespace novaflux::server
