#pragma once
// Values shared by all KivClass objects of one thread. Hosts use an object only from the
// thread that created it, so each thread gets its own copy and a run needs no locks.
#include <cstdint>
#include <memory>
#include <string>

#include "novaflux/kiv_class.hpp"
#include "psychrometrics/air_state.hpp"

namespace novaflux {

struct CatalogueConnection;  // catalogue/catalogue.hpp
struct Catalogue;
struct PsyFunctions;         // psychrometrics/psy_binding.hpp

// Fixed by SelectModel at the start of every run.
struct RunConstants {
  int16_t RotorDepth = 0;        // mm
  std::string PerfTypeCode;      // performance curve type
  std::string ModelTypeCode;     // model type in modelmast
  float OacfFactor = 0.0f;       // outdoor air correction factor used for the airflows
};

// Efficiencies (percent) and table pressure drops (Pa) of the performance lookups.
struct PerformanceResults {
  Variant SummerSupplyEfficiency, SummerSupplySEfficiency, SummerSupplyLEfficiency;
  Variant SummerExhaustEfficiency, SummerExhaustSEfficiency, SummerExhaustLEfficiency;
  Variant WinterSupplyEfficiency, WinterSupplySEfficiency, WinterSupplyLEfficiency;
  Variant WinterExhaustEfficiency, WinterExhaustSEfficiency;
  double WinterExhaustLEfficiency = 0.0;  // the one held as a plain double
  Variant SupplyPdropRaw, ExhaustPdropRaw;
  Variant SupplyPressureDrop, ExhaustPressureDrop;  // whole Pa, at actual density
  // Corrected winter efficiencies of the smaller stream, kept for the effectiveness outputs;
  // each set is written only by the branch that corrects that side.
  Variant SupplyCopyS, SupplyCopyL, SupplyCopyT;
  Variant ExhaustCopyS, ExhaustCopyL, ExhaustCopyT;
};

struct AirStates {
  AirState OutdoorSummerState, OutdoorWinterState, ReturnSummerState, ReturnWinterState;
  AirState SupplySummerState, SupplyWinterState, ExhaustSummerState, ExhaustWinterState;
};

// Working values of the state-completion routines.
struct PsychroWork {
  double UnitSelector = 0.0;     // 1 for SI, 0 for IP
  bool WetBulbInputMode = false;
  double HumidityRatioWork = 0.0;
};

// Airflows at the density of the air next to the wheel (units of KivinputSupplyAir).
struct ActualFlows {
  Variant ActualSupplyFlowSummer, ActualReturnFlowSummer;
  Variant ActualSupplyFlowWinter, ActualReturnFlowWinter;
};

struct ModuleState {
  RunConstants constants;
  PerformanceResults performance;
  AirStates air;
  PsychroWork psychro;
  ActualFlows actual;
  double AirSpecificVolume = 0.0;  // ft3/lb
  bool UnitSIFlag = false;
  std::shared_ptr<CatalogueConnection> catalogue;
  // The catalogue the steps of a run read (the last one OpenDatabase opened). While a run is
  // in progress it is pinned, so that one run never mixes two versions of the file.
  const Catalogue* DbConnection = nullptr;
  int run_depth = 0;
  bool run_catalogue_open = false;
  const PsyFunctions* psy = nullptr;
};

ModuleState& module_state();

// Makes this thread's state what a new thread would start with, except for the catalogue
// connection and the psychrometric binding, which describe files rather than earlier runs and
// are costly to set up again. A host that rates many independent cases on one thread (the
// tool's batch) calls it before each case, so that a result never depends on which cases the
// thread rated before.
void reset_between_cases();

}  // namespace novaflux
