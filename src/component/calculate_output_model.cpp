// The run for a model named by the host: the automatic selection normalises the inputs and
// gives the range of models that suit the airflows; the named model then replaces the choice.
#include <string>

#include "catalogue/catalogue.hpp"
#include "common/module_state.hpp"
#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "component/run_steps.hpp"

namespace novaflux::detail {

namespace {

void ResetOutOfRange(KivClass& k) {
  k.KivOutErrorMsg = " Velocity out of Range ";
  k.KivOutErrorCode = 6;
  k.KivOutNOVAFLUXModel = kModelOutOfRange;
  for (double* out : {
           &k.KivOutputOutdoorAir, &k.KivOutputExhaustAir, &k.KivoutSaVelocity,
           &k.KivoutRaVelocity, &k.KivoutSaS_DBT, &k.KivoutSaS_WBT, &k.KivoutSaS_RH,
           &k.KivoutSaS_AbsHum, &k.KivoutSaS_Enthalpy, &k.KivoutSaW_DBT, &k.KivoutSaW_WBT,
           &k.KivoutSaW_RH, &k.KivoutSaW_AbsHum, &k.KivoutSaW_Enthalpy, &k.KivoutEaS_DBT,
           &k.KivoutEaS_WBT, &k.KivoutEaS_RH, &k.KivoutEaS_AbsHum, &k.KivoutEaS_Enthalpy,
           &k.KivoutEaW_DBT, &k.KivoutEaW_WBT, &k.KivoutEaW_RH, &k.KivoutEaW_AbsHum,
           &k.KivoutEaW_Enthalpy, &k.KivoutOAS_RH, &k.KivoutOAW_RH, &k.KivoutOAS_WBT,
           &k.KivoutOAW_WBT, &k.KivoutOAS_AbsHum, &k.KivoutOAS_Enthalpy, &k.KivoutOAW_AbsHum,
           &k.KivoutOAW_Enthalpy, &k.KivoutRaS_RH, &k.KivoutRaS_AbsHum, &k.KivoutRaS_Enthalpy,
           &k.KivoutRaW_RH, &k.KivoutRaW_AbsHum, &k.KivoutRaW_Enthalpy, &k.KivoutRaS_WBT,
           &k.KivoutRaW_WBT, &k.KivoutSaPDrop, &k.KivoutERWithWheelTotalSummer_KW,
           &k.KivoutERWithWheelTotalWinter_KW, &k.KivoutRaPDrop,
           &k.KivoutERWithWheelSummerCondensation_KW, &k.KivoutERWithWheelSummerLatent_KW,
           &k.KivoutERWithWheelWinterCondensation_KW, &k.KivoutERWithWheelWinterLatent_KW,
           &k.KivoutERWoutWheelSummerCondensation_KW, &k.KivoutERWoutWheelSummerLatent_KW,
           &k.KivoutERWoutWheelTotalSummer_KW, &k.KivoutERWoutWheelWinterCondensation_KW,
           &k.KivoutERWoutWheelWinterLatent_KW, &k.KivoutERWoutWheelTotalWinter_KW,
           &k.KivoutCassetteHight, &k.KivoutCassetteDriveMoter, &k.KivoutCassetteWeight,
           &k.KivoutCassetteDepth, &k.KivoutCassetteWidth,
           &k.KivoutEfficiencySummerSupplyCondensation, &k.KivoutEfficiencySummerSupplyLatent,
           &k.KivoutEfficiencySummerSupplyTotal, &k.KivoutEfficiencySummerExhaustCondensation,
           &k.KivoutEfficiencySummerExhaustLatent, &k.KivoutEfficiencySummerExhaustTotal,
           &k.KivoutEfficiencyWinterSupplyCondensation, &k.KivoutEfficiencyWinterSupplyLatent,
           &k.KivoutEfficiencyWinterSupplyTotal, &k.KivoutEfficiencyWinterExhaustCondensation,
           &k.KivoutEfficiencyWinterExhaustLatent, &k.KivoutEfficiencyWinterExhaustTotal,
           &k.KivoutAtmPressure}) {
    *out = 0.0;
  }
  for (float* out : {&k.KivoutTempEffectiveness, &k.KivoutHumEffectiveness,
                     &k.KivoutTotalEffectiveness, &k.KivoutMassflowSs, &k.KivoutMassflowEs,
                     &k.KivoutPDActualSupplyS, &k.KivoutPDActualSupplyW,
                     &k.KivoutPDActualExhaustS, &k.KivoutPDActualExhaustW}) {
    *out = 0.0f;
  }
  auto& s = fields(k);
  s.SaVelocityFpm = 0.0;
  s.RaVelocityFpm = 0.0;
}

std::string model_label(int32_t id) {
#define NOVAFLUX_MODEL_LABEL(name, value, diameter) \
  if (id == value) return std::to_string(id) + " (" #name ")";
  NOVAFLUX_MODELS(NOVAFLUX_MODEL_LABEL)
#undef NOVAFLUX_MODEL_LABEL
  return std::to_string(id);
}

}  // namespace

void CalculateOutputModel(KivClass& k) {
  RejectUnusableInputs(k);
  RunScope run;
  ClearErrorState(k);
  SelectModel(k);
  LookupModelRecord(k);

  auto& s = fields(k);
  const auto requested = static_cast<int32_t>(k.KivinputModel);
  if (requested < s.FirstModelId || requested > s.LastModelId) {
    ResetOutOfRange(k);
    return;
  }

  const Catalogue& catalogue = CurrentCatalogue();
  const ModelRow* model = nullptr;
  for (const auto& row : catalogue.modelmast) {
    if (row.modelid && *row.modelid == requested) {
      model = &row;
      break;
    }
  }
  // Rating another model than the one asked for would mislead the host: fail instead.
  if (model == nullptr) {
    throw RunError(ErrorNumber::ModelNotInCatalogue,
                   "model " + model_label(requested) + " is not in the catalogue " +
                       catalogue.path);
  }
  const Num& area = k.get_KivPurgeWithout() ? model->wonetarearot : model->netarearot;
  if (!area) {
    throw RunError(ErrorNumber::TypeMismatch, "model " + model_label(requested) +
                                                  " has no face area in the catalogue " +
                                                  catalogue.path);
  }
  s.SelectedNetArea = number_text(*area);
  s.SelectedModelId = *model->modelid;

  RateSelectedModel(k);
  ActualAirflows(k);
  ActualPressureDrops(k);
}

}  // namespace novaflux::detail
