#pragma once
// The steps of a rating run. Intermediate results pass between them through the object's
// private fields (ObjectState) and the thread's module state, as the run sequence requires.
#include <string>

#include "common/ignore_errors.hpp"
#include "component/object_state.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux {
struct Catalogue;
}

namespace novaflux::detail {

inline ObjectState& fields(KivClass& k) { return object_state(k); }

// The model name a fixed-model run reports when the model's face velocities at the airflows are
// outside the band it accepts; the run then clears the figures.
inline constexpr const char* kModelOutOfRange = " Model Out of Range";
inline bool model_out_of_range(const KivClass& k) { return k.KivOutNOVAFLUXModel.to_text() == kModelOutOfRange; }

// Keeps the catalogue of the run's first OpenDatabase for the whole call.
class RunScope {
public:
  RunScope();
  ~RunScope();
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;
};

// Opens the current catalogue (reusing the run's one while a run is in progress) and resets
// the outdoor air correction factor to its default.
const Catalogue& OpenDatabase();
// The catalogue of the last OpenDatabase; opens it when there is none yet.
const Catalogue& CurrentCatalogue();

// Fails with an error naming the property when a numeric input is NaN or infinite, or the
// altitude lies beyond what the psychrometric library can take.
void RejectUnusableInputs(const KivClass& k);

// Model selection, record, name and cassette data.
void SelectModel(KivClass& k);
void LookupModelRecord(KivClass& k);
void ModelNameAndCassette(KivClass& k);
// OutdoorAirflow, KivOutputOutdoorAir and KivOutputExhaustAir from the supply and return air.
void DeriveOutdoorAndExhaustAir(KivClass& k);

// Leakage.
void EATRValue(KivClass& k);
double FormulaInterpulation(KivClass& k, std::string& StrSearchK, Variant& X1, Variant& X2,
                            std::string& mainValue);

// Performance.
void SummerPerformance(KivClass& k);
void WinterPerformance(KivClass& k);
void EffectivenessCalculate(KivClass& k, bool publish_outputs);
double PdropOtherCalculate(KivClass& k, const Variant& Vs11, const Variant& Vr11,
                           double FaceAreaNet11);
// Statements of SummerPerformance: each is skipped on failure when the region is armed.
void SizingAdjustment(KivClass& k, const IgnoreErrors& region);
void VelocityAndPressureDropOutputs(KivClass& k, const IgnoreErrors& region);
void EfficiencyOutputs(KivClass& k, const IgnoreErrors& region);
void TotalRecoveryKw(KivClass& k);
void EnergyWithAndWithoutWheel(KivClass& k, const IgnoreErrors& region);

// Air states.
void CondensationCheck(KivClass& k);
void ResolveOutdoorSummer(KivClass& k);
void ResolveOutdoorWinter(KivClass& k);
void ResolveReturnSummer(KivClass& k);
void ResolveReturnWinter(KivClass& k);
void ActualAirflows(KivClass& k);

// Shared arithmetic.
double LinearInterpolate(double x1, double x2, double y1, double y2, double& x);
double LinearInterpolate3(const Variant& x1, const Variant& x2, const Variant& y1,
                          const Variant& y2, double& x);
double RefrigerationTons(double& h1, double h2, double v, double flow);

// The run drivers.
void CalculateOutput(KivClass& k);
void CalculateOutputModel(KivClass& k);
// The steps both drivers share: the cleared warnings at the start, and after the model is
// fixed its performance, name and cassette data and the wet-bulb copies.
void ClearErrorState(KivClass& k);
void RateSelectedModel(KivClass& k);
// The altitude clamp, atmospheric pressure and in-place airflow rounding of a full run.
void ClampAltitudeAndPressure(KivClass& k);
void RoundAirflows(KivClass& k);
void WetBulbCopies(KivClass& k);
void ActualPressureDrops(KivClass& k);

}  // namespace novaflux::detail
