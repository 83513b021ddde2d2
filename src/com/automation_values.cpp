#include "com/automation_values.hpp"

#include <new>

#include "common/run_error.hpp"
#include "common/wide_text.hpp"

namespace novaflux::com {

std::string from_bstr(BSTR text) {
  return text ? wide_to_utf8(text, int(SysStringLen(text))) : std::string();
}

BSTR to_bstr(const std::string& text) {
  if (text.empty()) return nullptr;
  const std::wstring wide = utf8_to_wide(text);
  BSTR b = SysAllocStringLen(wide.data(), UINT(wide.size()));
  if (!b) throw std::bad_alloc();
  return b;
}

void assign_bstr(BSTR* target, const std::string& text) {
  BSTR fresh = to_bstr(text);
  SysFreeString(*target);
  *target = fresh;
}

novaflux::Variant from_variant(const VARIANT& value, const char* what) {
  VARIANT direct;
  VariantInit(&direct);
  if (FAILED(VariantCopyInd(&direct, const_cast<VARIANT*>(&value))))
    throw RunError(ErrorNumber::TypeMismatch, std::string(what) + ": the value cannot be read");
  novaflux::Variant result;
  const VARTYPE type = V_VT(&direct);
  if (type == VT_EMPTY) {
  } else if (type == VT_BSTR) {
    result = from_bstr(V_BSTR(&direct));
  } else if (type == VT_NULL || type == VT_DISPATCH || type == VT_UNKNOWN || type == VT_ERROR ||
             (type & VT_ARRAY) != 0) {
    VariantClear(&direct);
    throw RunError(ErrorNumber::TypeMismatch,
                   std::string(what) + " takes an empty value, a number or a text, not " +
                       (type == VT_NULL ? "Null" : (type & VT_ARRAY) ? "an array" : type == VT_ERROR ? "an error value" : "an object"));
  } else {
    VARIANT number;
    VariantInit(&number);
    if (FAILED(VariantChangeType(&number, &direct, 0, VT_R8))) {
      VariantClear(&direct);
      throw RunError(ErrorNumber::TypeMismatch, std::string(what) + ": the value is not a number");
    }
    result = V_R8(&number);
  }
  VariantClear(&direct);
  return result;
}

void to_variant(const novaflux::Variant& value, VARIANT* out) {
  VariantClear(out);
  if (value.is_number()) {
    V_VT(out) = VT_R8;
    V_R8(out) = value.number();
  } else if (value.is_text()) {
    V_BSTR(out) = to_bstr(value.text());
    V_VT(out) = VT_BSTR;
  }
}

}  // namespace novaflux::com
