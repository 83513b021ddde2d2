#pragma once
// The automation types of the interface and the component's own: Double, Single, Integer,
// VARIANT_BOOL, the enumerations, BSTR and VARIANT.
#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>

#include "com/novaflux_idl.h"
#include "novaflux/kiv_class.hpp"

namespace novaflux::com {

// The automation type of a property of the given C++ type, and the conversions both ways.
template <class T>
struct Automation {
  using type = T;  // double, float
  static type out(T value) { return value; }
  static T in(type value) { return value; }
};
template <>
struct Automation<int16_t> {
  using type = short;
  static type out(int16_t value) { return value; }
  static int16_t in(type value) { return value; }
};
// True is -1 on the way out; any nonzero value a host writes is True.
template <>
struct Automation<bool> {
  using type = VARIANT_BOOL;
  static type out(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }
  static bool in(type value) { return value != 0; }
};
template <>
struct Automation<novaflux::Modelall> {
  using type = ::Modelall;
  static type out(novaflux::Modelall value) { return static_cast<type>(static_cast<int32_t>(value)); }
  static novaflux::Modelall in(type value) { return static_cast<novaflux::Modelall>(static_cast<int32_t>(value)); }
};
template <>
struct Automation<novaflux::SeriesList> {
  using type = ::SeriesList;
  static type out(novaflux::SeriesList value) { return static_cast<type>(static_cast<int32_t>(value)); }
  static novaflux::SeriesList in(type value) { return static_cast<novaflux::SeriesList>(static_cast<int32_t>(value)); }
};
template <>
struct Automation<novaflux::Variant> {
  using type = VARIANT;
};

std::string from_bstr(BSTR text);
// A new BSTR (null for ""); throws std::bad_alloc when none can be allocated.
BSTR to_bstr(const std::string& text);
// Replaces *target (freeing what it held) with the text.
void assign_bstr(BSTR* target, const std::string& text);

// A host's value as the component's variant: empty, a number (any numeric, Boolean, date or
// currency value), or a text. Null, objects, arrays and errors are refused with a type mismatch
// (RunError), since no calculation could use them. A by-reference value is followed.
novaflux::Variant from_variant(const VARIANT& value, const char* what);
// The component's variant as an automation value (VT_EMPTY, VT_R8 or VT_BSTR) into an
// initialised *out.
void to_variant(const novaflux::Variant& value, VARIANT* out);

}  // namespace novaflux::com
