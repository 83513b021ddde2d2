#include "novaflux/kiv_class.hpp"

#include "common/fp_state.hpp"
#include "common/module_state.hpp"
#include "component/object_state.hpp"
#include "component/run_steps.hpp"

namespace novaflux {

namespace detail {
ObjectState& object_state(KivClass& k) { return *k.state_; }
}  // namespace detail

KivClass::KivClass() : state_(std::make_unique<detail::ObjectState>()) {}
KivClass::~KivClass() = default;
KivClass::KivClass(KivClass&&) noexcept = default;
KivClass& KivClass::operator=(KivClass&&) noexcept = default;

void KivClass::put_KivinputRAUnitDBTWBT(bool value) noexcept { state_->RAUnitDBTWBT = value; }
bool KivClass::get_KivinputRAUnitDBTWBT() const noexcept { return state_->RAUnitDBTWBT; }
void KivClass::put_KivPurgeWithout(bool value) noexcept { state_->PurgeWithout = value; }
bool KivClass::get_KivPurgeWithout() const noexcept { return state_->PurgeWithout; }
void KivClass::put_KivunitSI(bool value) noexcept { state_->UnitSI = value; }

bool KivClass::get_KivunitSI() const noexcept {
  // Routines without an object at hand choose their units by the thread's flag; reading the
  // property is what sets it.
  module_state().UnitSIFlag = state_->UnitSI;
  return state_->UnitSI;
}

// The methods compute in the default floating-point state, whatever the host's (fp_state.hpp);
// the properties are plain members.

Variant KivClass::CalculateOutput() {
  const FpStateGuard fp;
  detail::CalculateOutput(*this);
  return {};
}

Variant KivClass::CalculateOutputModel() {
  const FpStateGuard fp;
  detail::CalculateOutputModel(*this);
  return {};
}

double KivClass::PdropOtherCalculate(const Variant& Vs11, const Variant& Vr11,
                                     double FaceAreaNet11) {
  const FpStateGuard fp;
  return detail::PdropOtherCalculate(*this, Vs11, Vr11, FaceAreaNet11);
}

void KivClass::EffectivenessCalculateold() {
  const FpStateGuard fp;
  detail::EffectivenessCalculate(*this, false);
}

void KivClass::EffectivenessCalculate() {
  const FpStateGuard fp;
  detail::EffectivenessCalculate(*this, true);
}

void KivClass::EATRValue() {
  const FpStateGuard fp;
  detail::EATRValue(*this);
}

double KivClass::FormulaInterpulation(std::string& StrSearchK, Variant& X1, Variant& X2,
                                      std::string& mainValue) {
  const FpStateGuard fp;
  return detail::FormulaInterpulation(*this, StrSearchK, X1, X2, mainValue);
}

}  // namespace novaflux
