#pragma once
// The two design days the examples, tests and benchmarks rate: inputs only, no test framework.
#include <utility>

#include "novaflux/kiv_class.hpp"

namespace novaflux::test_support {

// SI, relative-humidity mode for both streams, sea level (examples/si_design_day.json at 0 m).
inline void set_si_design_day(KivClass& k, double supply = 10000, double ret = 9000) {
  k.put_KivunitSI(true);
  k.KivinputSupplyAir = supply;
  k.KivinputReturnAir = ret;
  k.KivinputLeakagePressureDifference = 200;
  k.KivinputOAUnitDBTRH = true;
  k.KivinputRAUnitDBTRH = true;
  k.KivinputOAS_DBT = 35;
  k.KivinputOAS_RH = 40;
  k.KivinputOAW_DBT = -10;
  k.KivinputOAW_RH = 80;
  k.KivinputRaS_DBT = 24;
  k.KivinputRaS_RH = 50;
  k.KivinputRaW_DBT = 21;
  k.KivinputRaW_RH = 40;
}

// IP, wet-bulb mode for both streams, 300 m (examples/ip_design_day.json).
inline void set_ip_design_day(KivClass& k) {
  k.put_KivunitSI(false);
  k.KivinputSupplyAir = 8000;
  k.KivinputReturnAir = 8000;
  k.KivinputAltitude = 300;
  k.KivinputLeakagePressureDifference = 0.8f;
  k.KivinputOAUnitDBTWBT = true;
  k.put_KivinputRAUnitDBTWBT(true);
  k.KivinputOAS_DBT = 95;
  k.KivinputOAS_WBT = 78;
  k.KivinputOAW_DBT = 10;
  k.KivinputOAW_WBT = 8;
  k.KivinputRaS_DBT = 75;
  k.KivinputRaS_WBT = 62.5;
  k.KivinputRaW_DBT = 70;
  k.KivinputRaW_WBT = 55;
}

// The SI design day at 200 m and 110 Pa with model 66 requested, as property names and values
// for tests that drive the C interface.
inline constexpr std::pair<const char*, double> kSiDesignDayByName[] = {
    {"KivunitSI", 1},          {"KivinputSupplyAir", 10000}, {"KivinputReturnAir", 9000},
    {"KivinputAltitude", 200}, {"KivinputLeakagePressureDifference", 110},
    {"KivinputOAUnitDBTRH", 1}, {"KivinputRAUnitDBTRH", 1}, {"KivinputOAS_DBT", 35},
    {"KivinputOAS_RH", 40},    {"KivinputOAW_DBT", -10},     {"KivinputOAW_RH", 80},
    {"KivinputRaS_DBT", 24},   {"KivinputRaS_RH", 50},       {"KivinputRaW_DBT", 21},
    {"KivinputRaW_RH", 40},    {"KivinputModel", 66}};

}  // namespace novaflux::test_support
