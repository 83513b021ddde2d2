#include "common/component_folder.hpp"

#include <windows.h>

#include <string>

#include "common/wide_text.hpp"

namespace novaflux {

namespace {
// The folder of the module (novaflux.dll) that holds this function, not of the host's program.
std::string folder_of_this_component() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(&folder_of_this_component), &module))
    return ".";
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, path.data(), DWORD(path.size()));
    if (n == 0) return ".";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const auto slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return ".";
  return wide_to_utf8(path.c_str(), int(slash));
}
}  // namespace

const std::string& component_folder() {
  static const std::string folder = folder_of_this_component();
  return folder;
}

}  // namespace novaflux
