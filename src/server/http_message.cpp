#include "server/http_message.hpp"

#include <cctype>

namespace novaflux::server {

std::string_view HttpRequest::header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (key.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < key.size() && same; ++i)
      same = std::tolower(static_cast<unsigned char>(key[i])) == std::tolower(static_cast<unsigned char>(name[i]));
    if (same) return value;
  }
  return {};
}

}  // namespace novaflux::server
