#pragma once
// The class object of KivClass: makes any number of objects.
#include <windows.h>
#include <unknwn.h>

namespace novaflux::com {

class KivClassFactory final : public IClassFactory {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
};

// The one class object of the module (static: its references do not count against unloading).
KivClassFactory& class_factory();

}  // namespace novaflux::com
