// Self-registration: the class (InprocServer32 with the apartment threading model), its ProgID
// (also the version-independent one: the name carries no version), the type library and with
// it the dual interface. DllRegisterServer writes for the machine; DllInstall(TRUE, L"user")
// for the current user only (no administrator rights needed), DllInstall(FALSE, L"user") removes
// that again.
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "com/com_module.hpp"
#include "com/novaflux_idl.h"
#include "common/wide_text.hpp"
#include "novaflux/kiv_class.hpp"

// Per-user type library registration (oleaut32 since Vista), not declared by MinGW's headers.
extern "C" HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* help_folder);
extern "C" HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind);

namespace novaflux::com {
namespace {

std::wstring wide(std::string_view text) { return utf8_to_wide(std::string(text)); }

// The class keys live under HKEY_CLASSES_ROOT for the machine, HKCU\Software\Classes for a user.
struct ClassesRoot {
  HKEY key = nullptr;
  bool per_user = false;
  explicit ClassesRoot(bool user) : per_user(user) {
    if (!user) key = HKEY_CLASSES_ROOT;
    else if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr) != ERROR_SUCCESS)
      key = nullptr;
  }
  ~ClassesRoot() {
    if (per_user && key) RegCloseKey(key);
  }
};

LSTATUS set_value(HKEY root, const std::wstring& subkey, const wchar_t* name, const std::wstring& value) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return status;
  status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return status;
}

HRESULT from_status(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

HRESULT register_server(bool user) {
  ClassesRoot root(user);
  if (!root.key) return E_ACCESSDENIED;
  const std::wstring path = module_path();
  const std::wstring clsid = wide(identity::kClassGuid);
  const std::wstring progid = wide(identity::kProgId);
  const std::wstring libid = wide(identity::kTypeLibraryGuid);
  const std::wstring version =
      std::to_wstring(identity::kTypeLibraryMajor) + L"." + std::to_wstring(identity::kTypeLibraryMinor);
  const std::wstring cls = L"CLSID\\" + clsid;
  const struct {
    std::wstring key;
    const wchar_t* name;
    std::wstring value;
  } entries[] = {
      {cls, nullptr, L"KivClass"},
      {cls + L"\\InprocServer32", nullptr, path},
      {cls + L"\\InprocServer32", L"ThreadingModel", wide(identity::kThreadingModel)},
      {cls + L"\\ProgID", nullptr, progid},
      {cls + L"\\VersionIndependentProgID", nullptr, progid},
      {cls + L"\\TypeLib", nullptr, libid},
      {cls + L"\\Version", nullptr, version},
      {cls + L"\\Programmable", nullptr, L""},
      {progid, nullptr, L"KivClass"},
      {progid + L"\\CLSID", nullptr, clsid},
  };
  for (const auto& e : entries)
    if (const HRESULT hr = from_status(set_value(root.key, e.key, e.name, e.value)); FAILED(hr)) return hr;

  // The type library embedded in the module; registering it registers the dual interface with
  // the automation marshaller too.
  ITypeLib* library = nullptr;
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
  if (FAILED(hr)) return hr;
  std::wstring folder = path.substr(0, path.find_last_of(L"\\/"));
  hr = user ? RegisterTypeLibForUser(library, const_cast<LPOLESTR>(path.c_str()), const_cast<LPOLESTR>(folder.c_str()))
            : RegisterTypeLib(library, const_cast<LPOLESTR>(path.c_str()), const_cast<LPOLESTR>(folder.c_str()));
  library->Release();
  return hr;
}

HRESULT unregister_server(bool user) {
  ClassesRoot root(user);
  if (!root.key) return E_ACCESSDENIED;
  HRESULT result = S_OK;
  for (const std::wstring& key : {L"CLSID\\" + wide(identity::kClassGuid), wide(identity::kProgId)}) {
    const LSTATUS status = RegDeleteTreeW(root.key, key.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) result = HRESULT_FROM_WIN32(status);
  }
  const auto unregister = user ? UnRegisterTypeLibForUser : UnRegisterTypeLib;
  const HRESULT hr = unregister(LIBID_Novaflux_Q_480_Conden_3_5_17, identity::kTypeLibraryMajor,
                                identity::kTypeLibraryMinor, identity::kTypeLibraryLocale,
                                sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  // A type library that was never registered is no failure of unregistration.
  if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_LIBNOTREGISTERED && SUCCEEDED(result)) result = hr;
  return result;
}

}  // namespace
}  // namespace novaflux::com

STDAPI DllRegisterServer() { return novaflux::com::register_server(false); }
STDAPI DllUnregisterServer() { return novaflux::com::unregister_server(false); }

STDAPI DllInstall(BOOL install, LPCWSTR command_line) {
  const bool user = command_line && lstrcmpiW(command_line, L"user") == 0;
  return install ? novaflux::com::register_server(user) : novaflux::com::unregister_server(user);
}
