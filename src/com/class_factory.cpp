#include "com/class_factory.hpp"

#include <new>

#include "com/com_module.hpp"
#include "com/kiv_com_object.hpp"

namespace novaflux::com {

HRESULT KivClassFactory::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IClassFactory) {
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG KivClassFactory::AddRef() { return 2; }
ULONG KivClassFactory::Release() { return 1; }

HRESULT KivClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  KivComObject* created = new (std::nothrow) KivComObject();
  if (!created) return E_OUTOFMEMORY;
  const HRESULT hr = created->QueryInterface(riid, object);
  created->Release();
  return hr;
}

HRESULT KivClassFactory::LockServer(BOOL lock) {
  lock_server(lock != FALSE);
  return S_OK;
}

KivClassFactory& class_factory() {
  static KivClassFactory factory;
  return factory;
}

}  // namespace novaflux::com
