#pragma once
#include <string>

namespace novaflux {

// The folder the component (libnovaflux.so) was loaded from, without a trailing slash. The
// catalogue and the psychrometric library are looked for there.
const std::string& component_folder();

}  // namespace novaflux
