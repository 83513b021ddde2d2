#include "com/kiv_com_object.hpp"

#include <mutex>
#include <string>

#include "com/com_module.hpp"

namespace novaflux::com {

HRESULT get_value(const novaflux::Variant& member, VARIANT* value) {
  if (!value) return E_POINTER;
  VariantInit(value);
  return guarded([&] { to_variant(member, value); });
}

HRESULT put_value(novaflux::Variant& member, VARIANT value, const char* name) {
  return guarded([&] { member = from_variant(value, name); });
}

ITypeInfo* kiv_type_info() {
  // Loaded once for the process and kept: type information is free-threaded, and the module
  // is pinned once an object exists.
  static std::mutex mutex;
  static ITypeInfo* info = nullptr;
  std::lock_guard lock(mutex);
  if (!info) {
    ITypeLib* library = nullptr;
    if (SUCCEEDED(LoadTypeLibEx(module_path().c_str(), REGKIND_NONE, &library))) {
      library->GetTypeInfoOfGuid(IID__KivClass, &info);
      library->Release();
    }
  }
  return info;
}

KivComObject::KivComObject() { object_created(); }
KivComObject::~KivComObject() { object_destroyed(); }

HRESULT KivComObject::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__KivClass) {
    *object = static_cast<_KivClass*>(this);
  } else if (riid == IID_ISupportErrorInfo) {
    *object = static_cast<ISupportErrorInfo*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG KivComObject::AddRef() { return ++references_; }

ULONG KivComObject::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT KivComObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT KivComObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  ITypeInfo* ti = kiv_type_info();
  if (!ti) return TYPE_E_CANTLOADLIBRARY;
  ti->AddRef();
  *info = ti;
  return S_OK;
}

HRESULT KivComObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  ITypeInfo* ti = kiv_type_info();
  if (!ti) return TYPE_E_CANTLOADLIBRARY;
  return DispGetIDsOfNames(ti, names, count, ids);
}

HRESULT KivComObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* bad_argument) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  ITypeInfo* ti = kiv_type_info();
  if (!ti) return TYPE_E_CANTLOADLIBRARY;
  const FpStateGuard fp;  // the dispatcher converts the arguments (a text to a Double, ...)
  SetErrorInfo(0, nullptr);
  const HRESULT hr = DispInvoke(static_cast<_KivClass*>(this), ti, id, flags, params, result, exception, bad_argument);
  // The type library's dispatcher reports a failed member as DISP_E_EXCEPTION; make sure the
  // exception carries the number and the description the member set.
  if (hr == DISP_E_EXCEPTION && exception && exception->scode != 0 && !exception->bstrDescription) {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK) {
      info->GetDescription(&exception->bstrDescription);
      if (!exception->bstrSource) info->GetSource(&exception->bstrSource);
      info->Release();
    }
  }
  return hr;
}

HRESULT KivComObject::InterfaceSupportsErrorInfo(REFIID riid) {
  return riid == IID__KivClass ? S_OK : S_FALSE;
}

// Explicit properties

HRESULT KivComObject::put_KivinputRAUnitDBTWBT(VARIANT_BOOL value) {
  const FpStateGuard fp;
  object_.put_KivinputRAUnitDBTWBT(value != 0);
  return S_OK;
}
HRESULT KivComObject::get_KivinputRAUnitDBTWBT(VARIANT_BOOL* value) {
  if (!value) return E_POINTER;
  const FpStateGuard fp;
  *value = Automation<bool>::out(object_.get_KivinputRAUnitDBTWBT());
  return S_OK;
}
HRESULT KivComObject::put_KivPurgeWithout(VARIANT_BOOL value) {
  const FpStateGuard fp;
  object_.put_KivPurgeWithout(value != 0);
  return S_OK;
}
HRESULT KivComObject::get_KivPurgeWithout(VARIANT_BOOL* value) {
  if (!value) return E_POINTER;
  const FpStateGuard fp;
  *value = Automation<bool>::out(object_.get_KivPurgeWithout());
  return S_OK;
}
HRESULT KivComObject::put_KivunitSI(VARIANT_BOOL value) {
  const FpStateGuard fp;
  object_.put_KivunitSI(value != 0);
  return S_OK;
}
HRESULT KivComObject::get_KivunitSI(VARIANT_BOOL* value) {
  if (!value) return E_POINTER;
  const FpStateGuard fp;
  *value = Automation<bool>::out(object_.get_KivunitSI());  // also sets the thread's unit flag
  return S_OK;
}

// Methods

HRESULT KivComObject::CalculateOutput(VARIANT* result) {
  if (result) VariantInit(result);
  return guarded([&] { object_.CalculateOutput(); });
}

HRESULT KivComObject::CalculateOutputModel(VARIANT* result) {
  if (result) VariantInit(result);
  return guarded([&] { object_.CalculateOutputModel(); });
}

HRESULT KivComObject::PdropOtherCalculate(VARIANT* Vs11, VARIANT* Vr11, double* FaceAreaNet11, double* result) {
  if (!Vs11 || !Vr11 || !FaceAreaNet11 || !result) return E_POINTER;
  return guarded([&] {
    *result = object_.PdropOtherCalculate(from_variant(*Vs11, "Vs11"), from_variant(*Vr11, "Vr11"), *FaceAreaNet11);
  });
}

HRESULT KivComObject::EffectivenessCalculateold() {
  return guarded([&] { object_.EffectivenessCalculateold(); });
}

HRESULT KivComObject::EffectivenessCalculate() {
  return guarded([&] { object_.EffectivenessCalculate(); });
}

HRESULT KivComObject::EATRValue() {
  return guarded([&] { object_.EATRValue(); });
}

HRESULT KivComObject::FormulaInterpulation(BSTR* StrSearchK, VARIANT* X1, VARIANT* X2, BSTR* mainValue,
                                           double* result) {
  if (!StrSearchK || !X1 || !X2 || !mainValue || !result) return E_POINTER;
  return guarded([&] {
    std::string search = from_bstr(*StrSearchK);
    std::string main_value = from_bstr(*mainValue);
    novaflux::Variant x1 = from_variant(*X1, "X1");
    novaflux::Variant x2 = from_variant(*X2, "X2");
    *result = object_.FormulaInterpulation(search, x1, x2, main_value);
    // By-reference arguments: what the method left in them goes back to the caller.
    assign_bstr(StrSearchK, search);
    assign_bstr(mainValue, main_value);
    to_variant(x1, X1);
    to_variant(x2, X2);
  });
}

}  // namespace novaflux::com
