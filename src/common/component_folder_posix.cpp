#include "common/component_folder.hpp"

#include <dlfcn.h>

#include <string>

namespace novaflux {

namespace {
std::string folder_of_this_component() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&folder_of_this_component), &info) == 0 || !info.dli_fname)
    return ".";
  std::string path = info.dli_fname;
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}
}  // namespace

const std::string& component_folder() {
  static const std::string folder = folder_of_this_component();
  return folder;
}

}  // namespace novaflux
