#pragma once
// What the fuzz targets report as a finding beyond a crash, a hang or a sanitizer report.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "component/interface_table.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux::fuzz {

// The name of the target, for the message of a finding; each target defines it.
extern const char* const kTargetName;

[[noreturn]] inline void finding(const std::string& what) {
  std::fprintf(stderr, "%s: %s\n", kTargetName, what.c_str());
  std::abort();
}

// A successful rating publishes no NaN or infinity in a numeric property.
inline void check_outputs_finite(const KivClass& k) {
  for (const auto& p : detail::properties()) {
    double value = 0.0;
    if (!detail::read_number(k, p, value)) continue;  // a variant holding text
    if (!std::isfinite(value))
      finding("successful rating left " + std::string(p.name) + " = " + std::to_string(value));
  }
}

}  // namespace novaflux::fuzz
