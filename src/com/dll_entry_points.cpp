// The entry points of the in-process server besides registration: DllMain keeps the module's
// handle, DllGetClassObject hands out the class object, DllCanUnloadNow answers from the
// object and lock counts.
#include <windows.h>

#include "com/class_factory.hpp"
#include "com/com_module.hpp"
#include "com/novaflux_idl.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) novaflux::com::set_module_handle(instance);
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (clsid != CLSID_KivClass) return CLASS_E_CLASSNOTAVAILABLE;
  return novaflux::com::class_factory().QueryInterface(riid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return novaflux::com::can_unload() ? S_OK : S_FALSE; }
