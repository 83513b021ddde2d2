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

// The data properties in interface order: X(name, C++ type, automation type, DISPID, role).
#define NOVAFLUX_DATA_PROPERTIES(X) \
  X(KivoutCassetteHight, double,Double, 0x40030070, Out) \
  X(KivoutCassetteDepth, double,Double, 0x40030071, Out) \
  X(KivoutCassetteWidth, double,Double, 0x40030072, Out) \
  X(KivoutCassetteDriveMoter, double,Double, 0x40030073, Out) \
  X(KivoutCassetteWeight, double,Double, 0x40030074, Out) \
  X(KivinputModel, Modelall,Modelall, 0x40030076, In) \
  X(KivOutErrorMsg, Variant,Variant, 0x40030077, Out) \
  X(KivOutErrorCode, int16_t,Integer, 0x40030078, Out) \
  X(KivinputSupplyAir, double,Double, 0x40030079, InOut) \
  X(KivinputReturnAir, double,Double, 0x4003007A, InOut) \
  X(KivOutputExhaustAir, double,Double, 0x4003007B, Out) \
  X(KivOutputOutdoorAir, double,Double, 0x4003007C, Out) \
  X(KivoutSaVelocity, double,Double, 0x40030080, Out) \
  X(KivoutRaVelocity, double,Double, 0x40030081, Out) \
  X(KivoutSaPDrop, double,Double, 0x40030086, Out) \
  X(KivoutRaPDrop, double,Double, 0x40030087, Out) \
  X(KivOutNOVAFLUXModel, Variant,Variant, 0x40030088, Out) \
  X(KivoutOAS_WBT, double,Double, 0x40030089, Out) \
  X(KivoutOAS_RH, double,Double, 0x4003008A, Out) \
  X(KivoutOAS_AbsHum, double,Double, 0x4003008B, Out) \
  X(KivoutOAS_Enthalpy, double,Double, 0x4003008C, Out) \
  X(KivinputOAS_DBT, double,Double, 0x4003008D, InOut) \
  X(KivinputOAS_WBT, double,Double, 0x4003008E, InOut) \
  X(KivoutOAW_WBT, double,Double, 0x40030090, Out) \
  X(KivoutOAW_RH, double,Double, 0x40030091, Out) \
  X(KivoutOAW_AbsHum, double,Double, 0x40030092, Out) \
  X(KivoutOAW_Enthalpy, double,Double, 0x40030093, Out) \
  X(KivinputOAW_DBT, double,Double, 0x40030094, InOut) \
  X(KivinputOAW_WBT, double,Double, 0x40030095, InOut) \
  X(KivoutRaW_RH, double,Double, 0x4003009C, Out) \
  X(KivoutRaW_AbsHum, double,Double, 0x4003009D, Out) \
  X(KivoutRaW_Enthalpy, double,Double, 0x4003009E, Out) \
  X(KivinputRaW_DBT, double,Double, 0x4003009F, InOut) \
  X(KivinputRaW_WBT, double,Double, 0x400300A0, InOut) \
  X(KivinputRaM_DBT, double,Double, 0x400300A5, In) \
  X(KivinputRaM_WBT, double,Double, 0x400300A6, In) \
  X(KivinputRaM_RH, double,Double, 0x400300A7, In) \
  X(KivoutRaS_RH, double,Double, 0x400300A8, Out) \
  X(KivoutRaS_AbsHum, double,Double, 0x400300A9, Out) \
  X(KivoutRaS_Enthalpy, double,Double, 0x400300AA, Out) \
  X(KivinputRaS_DBT, double,Double, 0x400300AB, InOut) \
  X(KivinputRaS_WBT, double,Double, 0x400300AC, InOut) \
  X(KivoutSaS_RH, double,Double, 0x400300AD, Out) \
  X(KivoutSaS_AbsHum, double,Double, 0x400300AE, Out) \
  X(KivoutSaS_Enthalpy, double,Double, 0x400300AF, Out) \
  X(KivoutSaS_DBT, double,Double, 0x400300B0, Out) \
  X(KivoutSaS_WBT, double,Double, 0x400300B1, Out) \
  X(KivoutEaS_RH, double,Double, 0x400300B2, Out) \
  X(KivoutEaS_AbsHum, double,Double, 0x400300B3, Out) \
  X(KivoutEaS_Enthalpy, double,Double, 0x400300B4, Out) \
  X(KivoutEaS_DBT, double,Double, 0x400300B5, Out) \
  X(KivoutEaS_WBT, double,Double, 0x400300B6, Out) \
  X(KivoutEaW_RH, double,Double, 0x400300B7, Out) \
  X(KivoutEaW_AbsHum, double,Double, 0x400300B8, Out) \
  X(KivoutEaW_Enthalpy, double,Double, 0x400300B9, Out) \
  X(KivoutEaW_DBT, double,Double, 0x400300BA, Out) \
  X(KivoutEaW_WBT, double,Double, 0x400300BB, Out) \
  X(KivoutSaW_RH, double,Double, 0x400300C1, Out) \
  X(KivoutSaW_AbsHum, double,Double, 0x400300C2, Out) \
  X(KivoutSaW_Enthalpy, double,Double, 0x400300C3, Out) \
  X(KivoutSaW_DBT, double,Double, 0x400300C4, Out) \
  X(KivoutSaW_WBT, double,Double, 0x400300C5, Out) \
  X(KivinputOAUnitDBTRH, bool,Boolean, 0x400300CB, InOut) \
  X(KivinputOAUnitDBTGR, bool,Boolean, 0x400300CC, InOut) \
  X(KivinputOAUnitDBTWBT, bool,Boolean, 0x400300CD, InOut) \
  X(KivinputRAUnitDBTGR, bool,Boolean, 0x400300CE, InOut) \
  X(KivinputRAUnitDBTRH, bool,Boolean, 0x400300CF, InOut) \
  X(KivinputOAS_RH, double,Double, 0x400300D0, InOut) \
  X(KivinputOAS_GR, double,Double, 0x400300D1, InOut) \
  X(KivinputOAW_GR, double,Double, 0x400300D2, In) \
  X(KivoutERWithWheelSummerCondensation_KW, double,Double, 0x400300DB, Out) \
  X(KivoutERWithWheelSummerLatent_KW, double,Double, 0x400300DC, Out) \
  X(KivoutERWithWheelWinterCondensation_KW, double,Double, 0x400300DD, Out) \
  X(KivoutERWithWheelWinterLatent_KW, double,Double, 0x400300DE, Out) \
  X(KivoutERWithWheelTotalWinter_KW, double,Double, 0x400300E2, Out) \
  X(KivoutERWithWheelTotalSummer_KW, double,Double, 0x400300E3, Out) \
  X(KivoutERWoutWheelSummerCondensation_KW, double,Double, 0x400300E4, Out) \
  X(KivoutERWoutWheelSummerLatent_KW, double,Double, 0x400300E5, Out) \
  X(KivoutERWoutWheelWinterCondensation_KW, double,Double, 0x400300E6, Out) \
  X(KivoutERWoutWheelWinterLatent_KW, double,Double, 0x400300E7, Out) \
  X(KivoutERWoutWheelTotalWinter_KW, double,Double, 0x400300EB, Out) \
  X(KivoutERWoutWheelTotalSummer_KW, double,Double, 0x400300EC, Out) \
  X(KivoutEfficiencySummerSupplyCondensation, double,Double, 0x400300F3, Out) \
  X(KivoutEfficiencySummerSupplyLatent, double,Double, 0x400300F4, Out) \
  X(KivoutEfficiencySummerSupplyTotal, double,Double, 0x400300F5, Out) \
  X(KivoutEfficiencySummerExhaustCondensation, double,Double, 0x400300F6, Out) \
  X(KivoutEfficiencySummerExhaustLatent, double,Double, 0x400300F7, Out) \
  X(KivoutEfficiencySummerExhaustTotal, double,Double, 0x400300F8, Out) \
  X(KivoutEfficiencyWinterSupplyCondensation, double,Double, 0x400300F9, Out) \
  X(KivoutEfficiencyWinterSupplyLatent, double,Double, 0x400300FA, Out) \
  X(KivoutEfficiencyWinterSupplyTotal, double,Double, 0x400300FB, Out) \
  X(KivoutEfficiencyWinterExhaustCondensation, double,Double, 0x400300FC, Out) \
  X(KivoutEfficiencyWinterExhaustLatent, double,Double, 0x400300FD, Out) \
  X(KivoutEfficiencyWinterExhaustTotal, double,Double, 0x400300FE, Out) \
  X(KivinputAltitude, double,Double, 0x40030104, InOut) \
  X(KivoutAtmPressure, double,Double, 0x40030105, Out) \
  X(KivinputLeakage, bool,Boolean, 0x40030106, In) \
  X(KivoutLeakageEatr, float,Single, 0x40030109, Out) \
  X(KivoutLeakageOacf, float,Single, 0x4003010A, Out) \
  X(KivoutLeakagePurgeAngle, float,Single, 0x4003010B, Out) \
  X(KivinputLeakagePressureDifference, float,Single, 0x4003010C, InOut) \
  X(KivoutTempEffectiveness, float,Single, 0x40030113, Out) \
  X(KivoutHumEffectiveness, float,Single, 0x40030114, Out) \
  X(KivoutTotalEffectiveness, float,Single, 0x40030115, Out) \
  X(KivoutPDActualSupplyS, float,Single, 0x40030116, Out) \
  X(KivoutPDActualSupplyW, float,Single, 0x40030117, Out) \
  X(KivoutPDActualExhaustS, float,Single, 0x40030118, Out) \
  X(KivoutPDActualExhaustW, float,Single, 0x40030119, Out) \
  X(KivinputMassflowSs, float,Single, 0x4003011A, In) \
  X(KivinputMassflowEs, float,Single, 0x4003011B, In) \
  X(KivoutMassflowSs, float,Single, 0x4003011C, Out) \
  X(KivoutMassflowEs, float,Single, 0x4003011D, Out) \
  X(KivinputMassflowCfm, bool,Boolean, 0x4003011E, In) \
  X(KivinputOAW_RH, double,Double, 0x4003011F, In) \
  X(KivinputRaW_RH, double,Double, 0x40030120, InOut) \
  X(KivinputRaS_RH, double,Double, 0x40030121, InOut) \
  X(KivinputRaS_GR, double,Double, 0x40030122, InOut) \
  X(KivinputRaW_GR, double,Double, 0x40030123, InOut) \
  X(KivoutRaS_WBT, double,Double, 0x40030125, Out) \
  X(KivoutRaW_WBT, double,Double, 0x40030126, Out) \
  X(KivinputSeries, SeriesList,SeriesList, 0x40030128, InOut)

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

#define NOVAFLUX_DECLARE_MEMBER(name, ctype, atype, dispid, role) ctype name{};
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
