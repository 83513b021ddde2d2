#pragma once
// The private fields of a KivClass object: selection and performance working values that
// pass between the steps of a run.
#include <cstdint>
#include <string>

#include "novaflux/kiv_class.hpp"

namespace novaflux::detail {

struct ObjectState {
  // Storage of the explicit properties and the private sizing flag.
  bool RAUnitDBTWBT = false;
  bool PurgeWithout = false;
  bool UnitSI = false;
  bool SizingMode = false;

  // Model selection.
  int32_t AirflowUnit = 0;       // UnitList value; 1 after every selection
  std::string SeriesCode;        // performance series, "F2"
  double OutdoorAirflow = 0.0;   // units of KivinputSupplyAir
  double SupplyCfm = 0.0;
  double ReturnCfm = 0.0;
  double FaceVelocityLimit = 0.0;  // fpm
  double LargerAirflowCfm = 0.0;
  double SmallerAirflowCfm = 0.0;
  std::string RequiredFaceArea;  // ft2 as decimal text
  double SelectedRotorDia = 0.0;
  Variant SelectedNetArea;       // ft2 as decimal text; empty until a model is chosen
  double SelectedModelId = 0.0;

  // Model record.
  double FirstModelId = 0.0;
  double LastModelId = 0.0;

  // Face velocities, fpm.
  Variant SaVelocityFpm;
  double RaVelocityFpm = 0.0;

  // Leakage bracket and interpolation.
  int BracketIndex = -1;         // the bracket of the leakage table last interpolated in
  float UpperStep = 0.0f;
  float InterpolatedEatr = 0.0f;
  float InterpolatedOacf = 0.0f;
  float InterpolatedPurgeAngle = 0.0f;
};

}  // namespace novaflux::detail
