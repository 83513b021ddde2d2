#include "novaflux/version.hpp"

extern "C" const char* kiv_version(void) { return NOVAFLUX_VERSION; }
