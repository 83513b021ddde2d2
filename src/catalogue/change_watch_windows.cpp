// Windows: no change notifications are used, so every call polls the file's identity, its WAL
// file and PRAGMA data_version (see catalogue.cpp). Directory change notifications there report
// changes made through other machines' shares only unreliably, and polling is exact.
#include <windows.h>

#include "catalogue/change_watch.hpp"
#include "common/wide_text.hpp"

namespace novaflux::catalogue_io {

struct ChangeWatch {};

std::string resolved(const std::string& path) {
  // The full path as SQLite forms it, so that the WAL file name matches the one it writes.
  const std::wstring wide = utf8_to_wide(path);
  const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  const DWORD written = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  if (written == 0 || written >= n) return path;
  full.resize(written);
  return wide_to_utf8(full.c_str(), int(full.size()));
}

std::shared_ptr<ChangeWatch> attach_watch(const std::string&, const std::string&) { return nullptr; }
bool watch_unchanged(ChangeWatch&, uint64_t) noexcept { return false; }
uint64_t watch_generation(ChangeWatch&) { return 0; }
bool watch_covers_path(const ChangeWatch&) noexcept { return false; }
std::shared_ptr<const Catalogue> shared_snapshot(ChangeWatch&, uint64_t, const FileIdentity&) { return nullptr; }
void offer_snapshot(ChangeWatch&, uint64_t, const FileIdentity&, const std::shared_ptr<const Catalogue>&) {}

}  // namespace novaflux::catalogue_io
