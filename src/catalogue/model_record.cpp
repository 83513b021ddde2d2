// The range of models that suit the airflows, and the name and cassette data of the chosen one.
#include <optional>
#include <string>

#include "catalogue/catalogue.hpp"
#include "common/module_state.hpp"
#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "component/run_steps.hpp"

namespace novaflux::detail {

namespace {
constexpr double kMinFaceVelocity = 200;   // fpm
constexpr double kMaxFaceVelocity = 1100;  // fpm

double number_or_fail(const Num& n) {
  if (!n) throw_type_mismatch();
  return *n;
}

}  // namespace

void LookupModelRecord(KivClass& k) {
  auto& s = fields(k);
  const Catalogue& catalogue = CurrentCatalogue();
  const std::string& type = module_state().constants.ModelTypeCode;
  const bool without_purge = k.get_KivPurgeWithout();

  // The first and the last model whose face velocities are within the limits.
  std::optional<double> first_fitting, last_fitting;
  bool any = false;
  for (const auto& row : catalogue.modelmast) {
    if (!row.type || *row.type != type) continue;
    const double area = number_or_fail(without_purge ? row.wonetarearot : row.netarearot);
    const double id = number_or_fail(row.modelid);
    // The airflows depend on the inputs only: derived once, at the first row of the type.
    if (!any) DeriveOutdoorAndExhaustAir(k);
    any = true;
    const double sa = vb_round(checked_div(s.SupplyCfm, area), 0);
    const double ra = vb_round(checked_div(s.ReturnCfm, area), 0);
    s.SaVelocityFpm = sa;
    s.RaVelocityFpm = ra;
    if (sa >= kMinFaceVelocity && sa <= kMaxFaceVelocity && ra >= kMinFaceVelocity &&
        ra <= kMaxFaceVelocity) {
      if (!first_fitting) first_fitting = id;
      last_fitting = id;
    }
  }
  if (!any) return;
  s.FirstModelId = first_fitting.value_or(0.0);
  s.LastModelId = last_fitting.value_or(0.0);
}

void ModelNameAndCassette(KivClass& k) {
  auto& s = fields(k);
  auto& constants = module_state().constants;
  const Catalogue& catalogue = CurrentCatalogue();
  const bool without_purge = k.get_KivPurgeWithout();

  // A selected area that is empty (no model ever chosen) matches no row.
  const ModelRow* named = nullptr;
  if (!s.SelectedNetArea.is_empty()) {
    const double area = s.SelectedNetArea.is_text() ? leading_number(s.SelectedNetArea.text())
                                                    : s.SelectedNetArea.number();
    for (const auto& row : catalogue.modelmast) {
      const Num& c = without_purge ? row.wonetarearot : row.netarearot;
      if (c && *c == area && row.type && *row.type == constants.ModelTypeCode) {
        named = &row;
        break;
      }
    }
  }

  double diameter = 0.0;
  if (named) {
    if (named->rotor_dia) {
      diameter = *named->rotor_dia;
      k.KivOutNOVAFLUXModel = "TXL-" + number_text(diameter) + "-Q_480(1.9)_Condensation";
    } else {
      k.KivOutNOVAFLUXModel = Variant{};
    }
    // The two monoblock rotors carry their own catalogue names.
    if (named->rotor_dia && diameter == 2400)
      k.KivOutNOVAFLUXModel = "TXL-2400-Q_480(1.9)_Condensation_MonoG";
    if (named->rotor_dia && diameter == 2200)
      k.KivOutNOVAFLUXModel = "TXL-2200-Q_480(1.9)_Condensation_MonoG";
  }

  constants.ModelTypeCode = "E";
  for (const auto& row : catalogue.dimension) {
    if (row.rotor_dia && *row.rotor_dia == diameter && row.series && *row.series == s.SeriesCode &&
        row.type && *row.type == constants.ModelTypeCode && row.rotdepth &&
        *row.rotdepth == constants.RotorDepth) {
      // A Null dimension reads as 0 rather than failing the whole rating.
      k.KivoutCassetteWidth = row.dimH.value_or(0.0);
      k.KivoutCassetteHight = row.dimH.value_or(0.0);
      k.KivoutCassetteDepth = row.dimD.value_or(0.0);
      k.KivoutCassetteDriveMoter = row.drivemot.value_or(0.0);
      k.KivoutCassetteWeight = row.Weight.value_or(0.0);
      break;
    }
  }
}

}  // namespace novaflux::detail
