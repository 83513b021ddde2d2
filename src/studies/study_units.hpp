#pragma once
// How a study's figures are shown in the unit system of the unit: powers in kW or kBtu/h,
// energies in kWh or kBtu, the air in °C and g/kg or °F and grains/lb.
#include <string>

namespace novaflux {

struct StudyUnits {
  bool si = true;
  const char* power = "kW";
  const char* energy = "kWh";
  const char* temperature = "°C";
  const char* humidity = "g/kg";
  double per_kw = 1.0;  // shown value per kW (and per kWh)
};

inline StudyUnits study_units(bool si) {
  if (si) return {};
  return {false, "kBtu/h", "kBtu", "°F", "grains/lb", 3.41214163};  // 1 kW = 3412.14163 Btu/h
}

}  // namespace novaflux
