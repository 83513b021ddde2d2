#include "com/com_module.hpp"

#include <atomic>

namespace novaflux::com {

namespace {
HINSTANCE g_module = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
std::atomic<bool> g_pinned{false};
}  // namespace

void set_module_handle(HINSTANCE module) { g_module = module; }
HINSTANCE module_handle() { return g_module; }

std::wstring module_path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(g_module, path.data(), DWORD(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void object_created() {
  ++g_objects;
  if (!g_pinned.exchange(true)) {
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&object_created), &pinned);
  }
}

void object_destroyed() { --g_objects; }

void lock_server(bool lock) {
  if (lock) ++g_locks;
  else if (g_locks > 0) --g_locks;
}

bool can_unload() { return g_objects == 0 && g_locks == 0; }

}  // namespace novaflux::com
