#pragma once
// Opening a shared library by its full path and finding its entry points by name, one
// implementation per platform.
#include <string>

namespace novaflux {

// The library at `path`, never searched for elsewhere; null with `reason` set when it cannot be
// loaded.
void* open_library(const std::string& path, std::string& reason);
// The entry point `name`, null when the library has none.
void* find_symbol(void* library, const char* name);
void close_library(void* library);

}  // namespace novaflux
