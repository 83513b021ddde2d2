#include "component/interface_table.hpp"

#include <array>
#include <cstdint>
#include <iterator>
#include <string>

#include "common/numeric.hpp"
#include "common/run_error.hpp"

namespace novaflux::detail {

namespace {

constexpr ExplicitAccessor kRAUnitDBTWBT{
    [](const KivClass& k) { return k.get_KivinputRAUnitDBTWBT(); },
    [](KivClass& k, bool v) { k.put_KivinputRAUnitDBTWBT(v); }};
constexpr ExplicitAccessor kPurgeWithout{
    [](const KivClass& k) { return k.get_KivPurgeWithout(); },
    [](KivClass& k, bool v) { k.put_KivPurgeWithout(v); }};
constexpr ExplicitAccessor kUnitSI{[](const KivClass& k) { return k.get_KivunitSI(); },
                                   [](KivClass& k, bool v) { k.put_KivunitSI(v); }};

#define NOVAFLUX_PROPERTY_ROW(name, ctype, atype, dispid, role, quantity, meaning)               \
  PropertyInfo{#name,      static_cast<int32_t>(dispid), PropType::atype, Role::role, false, \
               &KivClass::name, Quantity::quantity,  meaning},

const PropertyInfo kProperties[] = {
    NOVAFLUX_DATA_PROPERTIES(NOVAFLUX_PROPERTY_ROW)
    PropertyInfo{"KivinputRAUnitDBTWBT", 0, PropType::Boolean, Role::InOut, true, kRAUnitDBTWBT,
                 Quantity::None,
                 "return-air input mode flag: dry bulb + wet bulb (the interface's default member)"},
    PropertyInfo{"KivPurgeWithout", 0x68030002, PropType::Boolean, Role::In, true, kPurgeWithout,
                 Quantity::None, "True: the wheel has no purge sector"},
    PropertyInfo{"KivunitSI", 0x68030000, PropType::Boolean, Role::In, true, kUnitSI,
                 Quantity::None, "True: SI units; False: IP units"},
};
#undef NOVAFLUX_PROPERTY_ROW

constexpr MethodParam kPdropParams[] = {
    {"Vs11", "Variant", true}, {"Vr11", "Variant", true}, {"FaceAreaNet11", "Double", true}};
constexpr MethodParam kFormulaParams[] = {{"StrSearchK", "String", true},
                                          {"X1", "Variant", true},
                                          {"X2", "Variant", true},
                                          {"mainValue", "String", true}};

const MethodInfo kMethods[] = {
    {"CalculateOutput", 0x60030003, {}, "Variant"},
    {"CalculateOutputModel", 0x60030004, {}, "Variant"},
    {"PdropOtherCalculate", 0x60030008, kPdropParams, "Double"},
    {"EffectivenessCalculateold", 0x60030009, {}, ""},
    {"EffectivenessCalculate", 0x6003000A, {}, ""},
    {"EATRValue", 0x6003001B, {}, ""},
    {"FormulaInterpulation", 0x6003001C, kFormulaParams, "Double"},
};

}  // namespace

std::span<const PropertyInfo> properties() { return kProperties; }
std::span<const MethodInfo> methods() { return kMethods; }

namespace {

constexpr size_t kPropertyCount = std::size(kProperties);
static_assert(kPropertyCount < 255, "property indices are kept in bytes");

// FNV-1a: the names share long prefixes ("Kivinput", "Kivout"), so every byte takes part.
uint32_t name_hash(std::string_view name) {
  uint32_t h = 2166136261u;
  for (const char c : name) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  return h;
}

// Open addressing over a power of two at least twice the number of properties; a slot holds
// the property's index + 1, 0 when empty.
struct NameIndex {
  static constexpr size_t kSlots = 512;
  std::array<uint8_t, kSlots> slots{};
  NameIndex() {
    for (size_t i = 0; i < kPropertyCount; ++i) {
      size_t slot = name_hash(kProperties[i].name) & (kSlots - 1);
      while (slots[slot] != 0) slot = (slot + 1) & (kSlots - 1);
      slots[slot] = static_cast<uint8_t>(i + 1);
    }
  }
};

// The data properties' DISPIDs lie in one block, indexed directly; any other DISPID (the
// explicit properties') is found by a scan.
constexpr int32_t kDataDispidBase = 0x40030000;
struct DispidIndex {
  static constexpr size_t kBlock = 0x200;
  std::array<uint8_t, kBlock> data{};
  DispidIndex() {
    for (size_t i = 0; i < kPropertyCount; ++i) {
      const int64_t offset = int64_t{kProperties[i].dispid} - kDataDispidBase;
      if (offset >= 0 && offset < static_cast<int64_t>(kBlock)) data[static_cast<size_t>(offset)] = static_cast<uint8_t>(i + 1);
    }
  }
};

}  // namespace

const PropertyInfo* find_property(std::string_view name) {
  static const NameIndex index;
  for (size_t slot = name_hash(name) & (NameIndex::kSlots - 1);; slot = (slot + 1) & (NameIndex::kSlots - 1)) {
    const uint8_t entry = index.slots[slot];
    if (entry == 0) return nullptr;
    if (kProperties[entry - 1].name == name) return &kProperties[entry - 1];
  }
}

const PropertyInfo* find_property_by_dispid(int32_t dispid) {
  static const DispidIndex index;
  const int64_t offset = int64_t{dispid} - kDataDispidBase;
  if (offset >= 0 && offset < static_cast<int64_t>(DispidIndex::kBlock)) {
    const uint8_t entry = index.data[static_cast<size_t>(offset)];
    return entry ? &kProperties[entry - 1] : nullptr;
  }
  for (const auto& p : kProperties)
    if (p.dispid == dispid) return &p;
  return nullptr;
}

const MethodInfo* find_method(std::string_view name) {
  for (const auto& m : kMethods)
    if (m.name == name) return &m;
  return nullptr;
}

}  // namespace novaflux::detail
