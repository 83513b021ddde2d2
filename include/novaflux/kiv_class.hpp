#pragma once
// novaflux: rating of rotary heat-recovery wheels (condensation rotors).
//
// A host creates a KivClass object, writes its input properties, calls CalculateOutput or
// CalculateOutputModel and reads the output properties. Every property is a plain stored
// value; the property list below is the one place that names them, in interface order.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

namespace novaflux {

// The automation variant of the interface: empty, a number or a text. An empty variant
// counts as 0 in arithmetic.
class Variant {
public:
  Variant() = default;
  Variant(double number) : value_(number) {}
  Variant(std::string text) : value_(std::move(text)) {}
  Variant(const char* text) : value_(std::string(text)) {}

  bool is_empty() const noexcept { return value_.index() == 0; }
  bool is_number() const noexcept { return value_.index() == 1; }
  bool is_text() const noexcept { return value_.index() == 2; }
  double number() const noexcept { return is_number() ? std::get<1>(value_) : 0.0; }
  const std::string& text() const noexcept;
  // The value in arithmetic: empty is 0, a number itself, a numeric text its number;
  // other text fails with a type mismatch.
  double to_number() const;
  // The value as text: empty is "", a number its shortest text, a text itself.
  std::string to_text() const;

  friend bool operator==(const Variant&, const Variant&) = default;

private:
  std::variant<std::monostate, double, std::string> value_;
};

// X(member name, value, rotor diameter in mm)
#define NOVAFLUX_MODELS(X) \
  X(TXL_500_Q_480_Condensation, 57, 500) \
  X(TXL_600_Q_480_Condensation, 58, 600) \
  X(TXL_700_Q_480_Condensation, 59, 700) \
  X(TXL_800_Q_480_Condensation, 60, 800) \
  X(TXL_900_Q_480_Condensation, 61, 900) \
  X(TXL_1000_Q_480_Condensation, 62, 1000) \
  X(TXL_1100_Q_480_Condensation, 63, 1100) \
  X(TXL_1200_Q_480_Condensation, 64, 1200) \
  X(TXL_1300_Q_480_Condensation, 65, 1300) \
  X(TXL_1400_Q_480_Condensation, 66, 1400) \
  X(TXL_1500_Q_480_Condensation, 67, 1500) \
  X(TXL_1600_Q_480_Condensation, 68, 1600) \
  X(TXL_1700_Q_480_Condensation, 69, 1700) \
  X(TXL_1800_Q_480_Condensation, 70, 1800) \
  X(TXL_1900_Q_480_Condensation, 71, 1900) \
  X(TXL_2000_Q_480_Condensation, 72, 2000) \
  X(TXL_2130_Q_480_Condensation, 73, 2130) \
  X(TXL_2200_Q_480_Condensation_MonoG, 74, 2200) \
  X(TXL_2400_Q_480_Condensation_MonoG, 75, 2400) \
  X(TXL_2600_Q_480_Condensation, 76, 2600) \
  X(TXL_2800_Q_480_Condensation, 77, 2800) \
  X(TXL_3000_Q_480_Condensation, 78, 3000) \
  X(TXL_3200_Q_480_Condensation, 79, 3200) \
  X(TXL_3400_Q_480_Condensation, 80, 3400) \
  X(TXL_3600_Q_480_Condensation, 81, 3600) \
  X(TXL_3800_Q_480_Condensation, 82, 3800) \
  X(TXL_4000_Q_480_Condensation, 83, 4000) \
  X(TXL_4200_Q_480_Condensation, 84, 4200) \
  X(TXL_4400_Q_480_Condensation, 85, 4400) \
  X(TXL_4600_Q_480_Condensation, 86, 4600) \
  X(TXL_4800_Q_480_Condensation, 87, 4800) \
  X(TXL_5000_Q_480_Condensation, 88, 5000)

enum class Modelall : int32_t {
#define NOVAFLUX_MODEL_ENUMERATOR(name, value, diameter) name = value,
  NOVAFLUX_MODELS(NOVAFLUX_MODEL_ENUMERATOR)
#undef NOVAFLUX_MODEL_ENUMERATOR
};

enum class SeriesList : int32_t { Novaflux_Sensible = 1 };

// Airflow units of the object's private airflow-unit field.
enum class UnitList : int32_t { cmh = 1, cms = 2, lps = 3 };

// The data properties in interface order: X(name, C++ type, automation type, DISPID, role,
// quantity, meaning). The quantity names the unit of the value in SI and IP runs.
#define NOVAFLUX_DATA_PROPERTIES(X) \
  X(KivoutCassetteHight, double,Double, 0x40030070, Out, Length, "cassette height of the selected model, from the dimension table") \
  X(KivoutCassetteDepth, double,Double, 0x40030071, Out, Length, "cassette depth") \
  X(KivoutCassetteWidth, double,Double, 0x40030072, Out, Length, "cassette width") \
  X(KivoutCassetteDriveMoter, double,Double, 0x40030073, Out, MotorPower, "drive motor rating of the cassette") \
  X(KivoutCassetteWeight, double,Double, 0x40030074, Out, Mass, "cassette weight") \
  X(KivinputModel, Modelall,Modelall, 0x40030076, In, None, "wheel model for CalculateOutputModel; the modelid key of modelmast") \
  X(KivOutErrorMsg, Variant,Variant, 0x40030077, Out, None, "error or warning text of the last run; \"\" when none") \
  X(KivOutErrorCode, int16_t,Integer, 0x40030078, Out, None, "error code of the last run; 0 when none") \
  X(KivinputSupplyAir, double,Double, 0x40030079, InOut, Airflow, "supply airflow: m³/h when KivunitSI is True, cfm when False; rounded in place by a run") \
  X(KivinputReturnAir, double,Double, 0x4003007A, InOut, Airflow, "return airflow, same units; rounded in place by a run") \
  X(KivOutputExhaustAir, double,Double, 0x4003007B, Out, Airflow, "exhaust airflow = outdoor airflow − supply airflow + return airflow, whole units") \
  X(KivOutputOutdoorAir, double,Double, 0x4003007C, Out, Airflow, "outdoor airflow = supply airflow × outdoor-air correction factor, whole units") \
  X(KivoutSaVelocity, double,Double, 0x40030080, Out, Velocity, "supply-side face velocity, m/s in SI, fpm otherwise") \
  X(KivoutRaVelocity, double,Double, 0x40030081, Out, Velocity, "return-side face velocity, m/s in SI, fpm otherwise") \
  X(KivoutSaPDrop, double,Double, 0x40030086, Out, PressureDrop, "supply-side pressure drop from the winter table at the supply face velocity, Pa in SI, in. w.g. otherwise") \
  X(KivoutRaPDrop, double,Double, 0x40030087, Out, PressureDrop, "return-side pressure drop from the winter table at the return face velocity, Pa in SI, in. w.g. otherwise") \
  X(KivOutNOVAFLUXModel, Variant,Variant, 0x40030088, Out, None, "model name text of the selected wheel") \
  X(KivoutOAS_WBT, double,Double, 0x40030089, Out, Temperature, "outdoor air, summer: wet-bulb temperature; set by a run only when outdoor air is given as dry bulb and RH") \
  X(KivoutOAS_RH, double,Double, 0x4003008A, Out, Percent, "outdoor air, summer: relative humidity, %") \
  X(KivoutOAS_AbsHum, double,Double, 0x4003008B, Out, HumidityRatio, "outdoor air, summer: humidity ratio") \
  X(KivoutOAS_Enthalpy, double,Double, 0x4003008C, Out, Enthalpy, "outdoor air, summer: enthalpy") \
  X(KivinputOAS_DBT, double,Double, 0x4003008D, InOut, Temperature, "outdoor air, summer: dry-bulb temperature; may be reformatted in place") \
  X(KivinputOAS_WBT, double,Double, 0x4003008E, InOut, Temperature, "outdoor air, summer: wet-bulb temperature; input in wet-bulb mode, recomputed otherwise") \
  X(KivoutOAW_WBT, double,Double, 0x40030090, Out, Temperature, "outdoor air, winter: wet-bulb temperature; set by a run only in dry bulb + RH mode") \
  X(KivoutOAW_RH, double,Double, 0x40030091, Out, Percent, "outdoor air, winter: relative humidity, %") \
  X(KivoutOAW_AbsHum, double,Double, 0x40030092, Out, HumidityRatio, "outdoor air, winter: humidity ratio") \
  X(KivoutOAW_Enthalpy, double,Double, 0x40030093, Out, Enthalpy, "outdoor air, winter: enthalpy") \
  X(KivinputOAW_DBT, double,Double, 0x40030094, InOut, Temperature, "outdoor air, winter: dry-bulb temperature; may be reformatted in place") \
  X(KivinputOAW_WBT, double,Double, 0x40030095, InOut, Temperature, "outdoor air, winter: wet-bulb temperature (as for summer)") \
  X(KivoutRaW_RH, double,Double, 0x4003009C, Out, Percent, "return air, winter: relative humidity, %") \
  X(KivoutRaW_AbsHum, double,Double, 0x4003009D, Out, HumidityRatio, "return air, winter: humidity ratio") \
  X(KivoutRaW_Enthalpy, double,Double, 0x4003009E, Out, Enthalpy, "return air, winter: enthalpy") \
  X(KivinputRaW_DBT, double,Double, 0x4003009F, InOut, Temperature, "return air, winter: dry-bulb temperature; may be reformatted in place") \
  X(KivinputRaW_WBT, double,Double, 0x400300A0, InOut, Temperature, "return air, winter: wet-bulb temperature") \
  X(KivinputRaM_DBT, double,Double, 0x400300A5, In, Temperature, "return air, third state M: dry-bulb temperature; stored only, no calculation reads it") \
  X(KivinputRaM_WBT, double,Double, 0x400300A6, In, Temperature, "return air, state M: wet-bulb temperature; stored only, no calculation reads it") \
  X(KivinputRaM_RH, double,Double, 0x400300A7, In, Percent, "return air, state M: relative humidity, %; stored only, no calculation reads it") \
  X(KivoutRaS_RH, double,Double, 0x400300A8, Out, Percent, "return air, summer: relative humidity, %") \
  X(KivoutRaS_AbsHum, double,Double, 0x400300A9, Out, HumidityRatio, "return air, summer: humidity ratio") \
  X(KivoutRaS_Enthalpy, double,Double, 0x400300AA, Out, Enthalpy, "return air, summer: enthalpy") \
  X(KivinputRaS_DBT, double,Double, 0x400300AB, InOut, Temperature, "return air, summer: dry-bulb temperature; may be reformatted in place") \
  X(KivinputRaS_WBT, double,Double, 0x400300AC, InOut, Temperature, "return air, summer: wet-bulb temperature") \
  X(KivoutSaS_RH, double,Double, 0x400300AD, Out, Percent, "supply air leaving the wheel, summer: relative humidity, %") \
  X(KivoutSaS_AbsHum, double,Double, 0x400300AE, Out, HumidityRatio, "supply air, summer: humidity ratio") \
  X(KivoutSaS_Enthalpy, double,Double, 0x400300AF, Out, Enthalpy, "supply air, summer: enthalpy") \
  X(KivoutSaS_DBT, double,Double, 0x400300B0, Out, Temperature, "supply air, summer: dry-bulb temperature") \
  X(KivoutSaS_WBT, double,Double, 0x400300B1, Out, Temperature, "supply air, summer: wet-bulb temperature") \
  X(KivoutEaS_RH, double,Double, 0x400300B2, Out, Percent, "exhaust air leaving the wheel, summer: relative humidity, %") \
  X(KivoutEaS_AbsHum, double,Double, 0x400300B3, Out, HumidityRatio, "exhaust air, summer: humidity ratio") \
  X(KivoutEaS_Enthalpy, double,Double, 0x400300B4, Out, Enthalpy, "exhaust air, summer: enthalpy") \
  X(KivoutEaS_DBT, double,Double, 0x400300B5, Out, Temperature, "exhaust air, summer: dry-bulb temperature") \
  X(KivoutEaS_WBT, double,Double, 0x400300B6, Out, Temperature, "exhaust air, summer: wet-bulb temperature") \
  X(KivoutEaW_RH, double,Double, 0x400300B7, Out, Percent, "exhaust air, winter: relative humidity, %") \
  X(KivoutEaW_AbsHum, double,Double, 0x400300B8, Out, HumidityRatio, "exhaust air, winter: humidity ratio") \
  X(KivoutEaW_Enthalpy, double,Double, 0x400300B9, Out, Enthalpy, "exhaust air, winter: enthalpy") \
  X(KivoutEaW_DBT, double,Double, 0x400300BA, Out, Temperature, "exhaust air, winter: dry-bulb temperature") \
  X(KivoutEaW_WBT, double,Double, 0x400300BB, Out, Temperature, "exhaust air, winter: wet-bulb temperature") \
  X(KivoutSaW_RH, double,Double, 0x400300C1, Out, Percent, "supply air, winter: relative humidity, %") \
  X(KivoutSaW_AbsHum, double,Double, 0x400300C2, Out, HumidityRatio, "supply air, winter: humidity ratio") \
  X(KivoutSaW_Enthalpy, double,Double, 0x400300C3, Out, Enthalpy, "supply air, winter: enthalpy") \
  X(KivoutSaW_DBT, double,Double, 0x400300C4, Out, Temperature, "supply air, winter: dry-bulb temperature") \
  X(KivoutSaW_WBT, double,Double, 0x400300C5, Out, Temperature, "supply air, winter: wet-bulb temperature") \
  X(KivinputOAUnitDBTRH, bool,Boolean, 0x400300CB, InOut, None, "outdoor-air input mode flag: dry bulb + relative humidity") \
  X(KivinputOAUnitDBTGR, bool,Boolean, 0x400300CC, InOut, None, "outdoor-air input mode flag: dry bulb + humidity ratio") \
  X(KivinputOAUnitDBTWBT, bool,Boolean, 0x400300CD, InOut, None, "outdoor-air input mode flag: dry bulb + wet bulb") \
  X(KivinputRAUnitDBTGR, bool,Boolean, 0x400300CE, InOut, None, "return-air input mode flag: dry bulb + humidity ratio") \
  X(KivinputRAUnitDBTRH, bool,Boolean, 0x400300CF, InOut, None, "return-air input mode flag: dry bulb + relative humidity") \
  X(KivinputOAS_RH, double,Double, 0x400300D0, InOut, Percent, "outdoor air, summer: relative humidity, % (RH mode); set to 99.9 in place when 100 or more") \
  X(KivinputOAS_GR, double,Double, 0x400300D1, InOut, HumidityRatio, "outdoor air, summer: humidity ratio (humidity-ratio mode); recomputed otherwise") \
  X(KivinputOAW_GR, double,Double, 0x400300D2, In, HumidityRatio, "outdoor air, winter: humidity ratio (humidity-ratio mode)") \
  X(KivoutERWithWheelSummerCondensation_KW, double,Double, 0x400300DB, Out, Power, "summer energy recovery with wheel, condensation part, kW") \
  X(KivoutERWithWheelSummerLatent_KW, double,Double, 0x400300DC, Out, Power, "summer energy recovery with wheel, latent part, kW") \
  X(KivoutERWithWheelWinterCondensation_KW, double,Double, 0x400300DD, Out, Power, "winter energy recovery with wheel, condensation part, kW") \
  X(KivoutERWithWheelWinterLatent_KW, double,Double, 0x400300DE, Out, Power, "winter energy recovery with wheel, latent part, kW") \
  X(KivoutERWithWheelTotalWinter_KW, double,Double, 0x400300E2, Out, Power, "winter energy recovery with wheel, total, kW") \
  X(KivoutERWithWheelTotalSummer_KW, double,Double, 0x400300E3, Out, Power, "summer energy recovery with wheel, total, kW") \
  X(KivoutERWoutWheelSummerCondensation_KW, double,Double, 0x400300E4, Out, Power, "summer energy figure without wheel, condensation part, kW") \
  X(KivoutERWoutWheelSummerLatent_KW, double,Double, 0x400300E5, Out, Power, "summer energy figure without wheel, latent part, kW") \
  X(KivoutERWoutWheelWinterCondensation_KW, double,Double, 0x400300E6, Out, Power, "winter energy figure without wheel, condensation part, kW") \
  X(KivoutERWoutWheelWinterLatent_KW, double,Double, 0x400300E7, Out, Power, "winter energy figure without wheel, latent part, kW") \
  X(KivoutERWoutWheelTotalWinter_KW, double,Double, 0x400300EB, Out, Power, "winter energy figure without wheel, total, kW") \
  X(KivoutERWoutWheelTotalSummer_KW, double,Double, 0x400300EC, Out, Power, "summer energy figure without wheel, total, kW") \
  X(KivoutEfficiencySummerSupplyCondensation, double,Double, 0x400300F3, Out, Percent, "summer supply-side efficiency, condensation, %") \
  X(KivoutEfficiencySummerSupplyLatent, double,Double, 0x400300F4, Out, Percent, "summer supply-side efficiency, latent, %") \
  X(KivoutEfficiencySummerSupplyTotal, double,Double, 0x400300F5, Out, Percent, "summer supply-side efficiency, total, %") \
  X(KivoutEfficiencySummerExhaustCondensation, double,Double, 0x400300F6, Out, Percent, "summer exhaust-side efficiency, condensation, %") \
  X(KivoutEfficiencySummerExhaustLatent, double,Double, 0x400300F7, Out, Percent, "summer exhaust-side efficiency, latent, %") \
  X(KivoutEfficiencySummerExhaustTotal, double,Double, 0x400300F8, Out, Percent, "summer exhaust-side efficiency, total, %") \
  X(KivoutEfficiencyWinterSupplyCondensation, double,Double, 0x400300F9, Out, Percent, "winter supply-side efficiency, condensation, %") \
  X(KivoutEfficiencyWinterSupplyLatent, double,Double, 0x400300FA, Out, Percent, "winter supply-side efficiency, latent, %") \
  X(KivoutEfficiencyWinterSupplyTotal, double,Double, 0x400300FB, Out, Percent, "winter supply-side efficiency, total, %") \
  X(KivoutEfficiencyWinterExhaustCondensation, double,Double, 0x400300FC, Out, Percent, "winter exhaust-side efficiency, condensation, %") \
  X(KivoutEfficiencyWinterExhaustLatent, double,Double, 0x400300FD, Out, Percent, "winter exhaust-side efficiency, latent, %") \
  X(KivoutEfficiencyWinterExhaustTotal, double,Double, 0x400300FE, Out, Percent, "winter exhaust-side efficiency, total, %") \
  X(KivinputAltitude, double,Double, 0x40030104, InOut, Altitude, "site altitude in metres; clamped in place to −500 … 4000 by a run") \
  X(KivoutAtmPressure, double,Double, 0x40030105, Out, Kilopascal, "atmospheric pressure at the altitude, kPa, 3 decimals") \
  X(KivinputLeakage, bool,Boolean, 0x40030106, In, None, "leakage option flag; stored only, no calculation reads it") \
  X(KivoutLeakageEatr, float,Single, 0x40030109, Out, Percent, "exhaust air transfer ratio") \
  X(KivoutLeakageOacf, float,Single, 0x4003010A, Out, None, "outdoor air correction factor") \
  X(KivoutLeakagePurgeAngle, float,Single, 0x4003010B, Out, Angle, "purge sector angle") \
  X(KivinputLeakagePressureDifference, float,Single, 0x4003010C, InOut, PressureDrop, "pressure difference between the air streams for the leakage lookup") \
  X(KivoutTempEffectiveness, float,Single, 0x40030113, Out, Percent, "temperature (sensible) effectiveness after the flow-ratio correction") \
  X(KivoutHumEffectiveness, float,Single, 0x40030114, Out, Percent, "humidity (latent) effectiveness after the correction") \
  X(KivoutTotalEffectiveness, float,Single, 0x40030115, Out, Percent, "total effectiveness after the correction") \
  X(KivoutPDActualSupplyS, float,Single, 0x40030116, Out, Pascal, "supply-side pressure drop at actual summer air density, Pa") \
  X(KivoutPDActualSupplyW, float,Single, 0x40030117, Out, Pascal, "supply-side pressure drop at actual winter air density, Pa") \
  X(KivoutPDActualExhaustS, float,Single, 0x40030118, Out, Pascal, "exhaust-side pressure drop at actual summer air density, Pa") \
  X(KivoutPDActualExhaustW, float,Single, 0x40030119, Out, Pascal, "exhaust-side pressure drop at actual winter air density, Pa") \
  X(KivinputMassflowSs, float,Single, 0x4003011A, In, MassFlow, "supply mass flow, kg/h, used when KivinputMassflowCfm is True") \
  X(KivinputMassflowEs, float,Single, 0x4003011B, In, MassFlow, "return mass flow, kg/h, used when KivinputMassflowCfm is True") \
  X(KivoutMassflowSs, float,Single, 0x4003011C, Out, MassFlow, "supply mass flow, kg/h") \
  X(KivoutMassflowEs, float,Single, 0x4003011D, Out, MassFlow, "return mass flow, kg/h") \
  X(KivinputMassflowCfm, bool,Boolean, 0x4003011E, In, None, "True: the airflows are given as the two mass-flow inputs") \
  X(KivinputOAW_RH, double,Double, 0x4003011F, In, Percent, "outdoor air, winter: relative humidity, % (RH mode)") \
  X(KivinputRaW_RH, double,Double, 0x40030120, InOut, Percent, "return air, winter: relative humidity, % (RH mode)") \
  X(KivinputRaS_RH, double,Double, 0x40030121, InOut, Percent, "return air, summer: relative humidity, % (RH mode)") \
  X(KivinputRaS_GR, double,Double, 0x40030122, InOut, HumidityRatio, "return air, summer: humidity ratio (humidity-ratio mode)") \
  X(KivinputRaW_GR, double,Double, 0x40030123, InOut, HumidityRatio, "return air, winter: humidity ratio (humidity-ratio mode)") \
  X(KivoutRaS_WBT, double,Double, 0x40030125, Out, Temperature, "return air, summer: wet-bulb temperature") \
  X(KivoutRaW_WBT, double,Double, 0x40030126, Out, Temperature, "return air, winter: wet-bulb temperature") \
  X(KivinputSeries, SeriesList,SeriesList, 0x40030128, InOut, None, "product series; set to Novaflux_Sensible (1) by every run")


class KivClass;
namespace detail {
struct ObjectState;
ObjectState& object_state(KivClass&);
}  // namespace detail

class KivClass {
public:
  KivClass();
  ~KivClass();
  KivClass(KivClass&&) noexcept;
  KivClass& operator=(KivClass&&) noexcept;
  KivClass(const KivClass&) = delete;
  KivClass& operator=(const KivClass&) = delete;

#define NOVAFLUX_DECLARE_MEMBER(name, ctype, atype, dispid, role, quantity, meaning) ctype name{};
  NOVAFLUX_DATA_PROPERTIES(NOVAFLUX_DECLARE_MEMBER)
#undef NOVAFLUX_DECLARE_MEMBER

  // Explicit properties. KivinputRAUnitDBTWBT is the interface's default member (DISPID 0).
  void put_KivinputRAUnitDBTWBT(bool value) noexcept;
  bool get_KivinputRAUnitDBTWBT() const noexcept;
  void put_KivPurgeWithout(bool value) noexcept;
  bool get_KivPurgeWithout() const noexcept;
  void put_KivunitSI(bool value) noexcept;
  // Returns the stored value and copies it into the thread's unit flag.
  bool get_KivunitSI() const noexcept;

  // Methods. A failure that no step handles throws std::runtime_error (a RunError with a
  // number and a description); what the run wrote before it stays.
  Variant CalculateOutput();
  Variant CalculateOutputModel();
  double PdropOtherCalculate(const Variant& Vs11, const Variant& Vr11, double FaceAreaNet11);
  void EffectivenessCalculateold();
  void EffectivenessCalculate();
  void EATRValue();
  double FormulaInterpulation(std::string& StrSearchK, Variant& X1, Variant& X2,
                              std::string& mainValue);

private:
  friend detail::ObjectState& detail::object_state(KivClass&);
  std::unique_ptr<detail::ObjectState> state_;
};

// Identities of the automation server.
namespace identity {
inline constexpr std::string_view kTypeLibraryName = "Novaflux_Q_480_Conden_3_5_17";
inline constexpr int kTypeLibraryMajor = 1;
inline constexpr int kTypeLibraryMinor = 0;
inline constexpr int kTypeLibraryLocale = 0x409;
inline constexpr std::string_view kTypeLibraryGuid = "{9A93603F-E35B-41D7-BCBD-7920169CC9C2}";
inline constexpr std::string_view kClassGuid = "{50112EC2-1F33-43D6-86A7-67241CFC8032}";
inline constexpr std::string_view kInterfaceGuid = "{20A05A23-3C10-4500-AA67-FAA62BC858E9}";
inline constexpr std::string_view kModelallGuid = "{8A313219-0D45-40EB-AAD7-598C2BAA7F67}";
inline constexpr std::string_view kSeriesListGuid = "{CF5C0F33-7AF0-4B19-B77A-9F214C17C3CF}";
inline constexpr std::string_view kUnitListGuid = "{57B75E63-93B6-4B8A-907E-F37BB0772FA2}";
inline constexpr std::string_view kProgId = "Novaflux_Q_480_Conden_3_5_17.KivClass";
inline constexpr std::string_view kThreadingModel = "Apartment";
}  // namespace identity

// Use this catalogue file instead of NOVAFLUX.db in the component's folder (empty: default).
void set_catalogue_path(const std::string& path);
std::string catalogue_path();

}  // namespace novaflux
