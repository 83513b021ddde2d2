#pragma once
// KivClass as a COM object: the dual interface _KivClass that widl generates from the IDL,
// implemented over one novaflux::KivClass. The data-property accessors are generated from the
// interface table, so each overrides the member of the generated interface with its name; the
// explicit properties and the methods are written out. `override` makes the compiler reject
// any accessor whose name or type differs from the type library's.
#include <windows.h>
#include <oaidl.h>

#include <atomic>

#include "com/automation_values.hpp"
#include "com/error_info.hpp"
#include "com/novaflux_idl.h"
#include "common/fp_state.hpp"
#include "novaflux/kiv_class.hpp"

// Every method and property access runs in the default floating-point state and gives the host
// its own back (common/fp_state.hpp): Invoke for the coercions of a late-bound call, and each
// vtable member for hosts that bind early.
namespace novaflux::com {

template <class T>
HRESULT get_value(const T& member, typename Automation<T>::type* value) {
  if (!value) return E_POINTER;
  const FpStateGuard fp;
  *value = Automation<T>::out(member);
  return S_OK;
}

template <class T>
HRESULT put_value(T& member, typename Automation<T>::type value, const char*) {
  const FpStateGuard fp;
  member = Automation<T>::in(value);
  return S_OK;
}

HRESULT get_value(const novaflux::Variant& member, VARIANT* value);
HRESULT put_value(novaflux::Variant& member, VARIANT value, const char* name);

class KivComObject final : public _KivClass, public ISupportErrorInfo {
public:
  KivComObject();
  ~KivComObject();
  KivComObject(const KivComObject&) = delete;
  KivComObject& operator=(const KivComObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch, through the type library
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* bad_argument) override;

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

#define NOVAFLUX_COM_PUTREF_Double(name)
#define NOVAFLUX_COM_PUTREF_Single(name)
#define NOVAFLUX_COM_PUTREF_Integer(name)
#define NOVAFLUX_COM_PUTREF_Boolean(name)
#define NOVAFLUX_COM_PUTREF_Modelall(name)
#define NOVAFLUX_COM_PUTREF_SeriesList(name)
#define NOVAFLUX_COM_PUTREF_Variant(name) \
  HRESULT STDMETHODCALLTYPE putref_##name(VARIANT value) override { return put_value(object_.name, value, #name); }
#define NOVAFLUX_COM_ACCESSORS(name, ctype, atype, dispid, role, quantity, meaning)              \
  HRESULT STDMETHODCALLTYPE get_##name(Automation<ctype>::type* value) override {               \
    return get_value(object_.name, value);                                                       \
  }                                                                                              \
  HRESULT STDMETHODCALLTYPE put_##name(Automation<ctype>::type value) override {                \
    return put_value(object_.name, value, #name);                                                \
  }                                                                                              \
  NOVAFLUX_COM_PUTREF_##atype(name)

  NOVAFLUX_DATA_PROPERTIES(NOVAFLUX_COM_ACCESSORS)

#undef NOVAFLUX_COM_ACCESSORS

  // Explicit properties
  HRESULT STDMETHODCALLTYPE put_KivinputRAUnitDBTWBT(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_KivinputRAUnitDBTWBT(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_KivPurgeWithout(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_KivPurgeWithout(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_KivunitSI(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_KivunitSI(VARIANT_BOOL* value) override;

  // Methods
  HRESULT STDMETHODCALLTYPE CalculateOutput(VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE CalculateOutputModel(VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE PdropOtherCalculate(VARIANT* Vs11, VARIANT* Vr11, double* FaceAreaNet11,
                                                double* result) override;
  HRESULT STDMETHODCALLTYPE EffectivenessCalculateold() override;
  HRESULT STDMETHODCALLTYPE EffectivenessCalculate() override;
  HRESULT STDMETHODCALLTYPE EATRValue() override;
  HRESULT STDMETHODCALLTYPE FormulaInterpulation(BSTR* StrSearchK, VARIANT* X1, VARIANT* X2, BSTR* mainValue,
                                                 double* result) override;

private:
  std::atomic<ULONG> references_{1};
  novaflux::KivClass object_;
};

// The type information of _KivClass from the type library embedded in the module; null when
// it cannot be loaded.
ITypeInfo* kiv_type_info();

}  // namespace novaflux::com
