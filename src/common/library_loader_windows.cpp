#include "common/library_loader.hpp"

#include <windows.h>

#include "common/wide_text.hpp"

namespace novaflux {

void* open_library(const std::string& path, std::string& reason) {
  // Only the file named: its own folder first for its dependencies, no search of the
  // current directory or PATH for the library itself. No error dialog box for a bad file.
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  std::wstring wide = utf8_to_wide(path);
  for (auto& c : wide)
    if (c == L'/') c = L'\\';  // the altered search needs a full path with backslashes
  HMODULE module = LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const DWORD error = module ? 0 : GetLastError();
  SetErrorMode(previous);
  if (module == nullptr) reason = system_message(error);
  return reinterpret_cast<void*>(module);
}

void* find_symbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void close_library(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

}  // namespace novaflux
