#pragma once

namespace novaflux {

// One moist-air state in the run's unit system: degF, grains/lb, Btu/lb (IP) or
// degC, g/kg, kJ/kg (SI); RH in percent.
struct AirState {
  double DBT = 0.0;
  double WBT = 0.0;
  double AbsHum = 0.0;
  double RH = 0.0;
  double Enthalpy = 0.0;
};

}  // namespace novaflux
