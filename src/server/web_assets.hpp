#pragma once
// The selection page's files, compiled into the server from src/server/web/ (nothing is read
// from disk or fetched while it runs).
#include <string_view>

namespace novaflux::server {

struct WebAsset {
  std::string_view path;          // "/", "/app.js", ...
  std::string_view content_type;
  std::string_view content;
};

// The asset served at a path, or nullptr.
const WebAsset* find_web_asset(std::string_view path);

// The page runs only its own script and talks only to its own server.
inline constexpr std::string_view kPageSecurityPolicy =
    "default-src 'self'; script-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self' data: blob:; "
    "frame-src 'self' blob:; connect-src 'self'; object-src 'none'; base-uri 'none'; form-action 'self'; "
    "frame-ancestors 'none'";

}  // namespace novaflux::server
