// A host that binds early: it calls _KivClass through the vtable of the widl header. Modes:
//   rate [model]  inputs as name=value lines on stdin; prints every property after the run
//   typelib DLL   the type library embedded in DLL, one line per type and per member
//   unload DLL    DllCanUnloadNow through the life of an object and a server lock
//   formula Q     FormulaInterpulation(Q, 100, 125, "110") with its by-reference arguments
//   apartments    module state shared by two objects of a thread, not across apartments
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include <initguid.h>
#include "com/novaflux_idl.h"
#include "novaflux/kiv_class.hpp"

namespace novaflux::com_test {
namespace {

std::string text(BSTR b) {
  std::string s;
  for (UINT i = 0; b && i < SysStringLen(b); ++i) s += char(b[i]);
  return s;
}
template <class C> struct Auto { using type = C; };
template <> struct Auto<int16_t> { using type = short; };
template <> struct Auto<bool> { using type = VARIANT_BOOL; };
template <> struct Auto<Modelall> { using type = ::Modelall; };
template <> struct Auto<SeriesList> { using type = ::SeriesList; };
template <> struct Auto<Variant> { using type = VARIANT; };

std::string narrow(const wchar_t* w) { return std::string(w, w + wcslen(w)); }
std::string show(double v) { char b[40]; std::snprintf(b, sizeof b, "%.17g", v); return b; }
std::string show(float v) { char b[40]; std::snprintf(b, sizeof b, "%.9g", double(v)); return b; }
std::string show(int v) { return std::to_string(v); }
std::string show(const VARIANT& v) { return V_VT(&v) == VT_R8 ? show(V_R8(&v)) : V_VT(&v) == VT_BSTR ? text(V_BSTR(&v)) : ""; }

// Text to and from the automation type of a property of C++ type C.
template <class C> typename Auto<C>::type parse(const std::string& t) {
  if constexpr (std::is_same_v<C, bool>) return t == "True" ? VARIANT_TRUE : VARIANT_FALSE;
  else if constexpr (std::is_same_v<C, Variant>) {
    VARIANT v; V_VT(&v) = VT_R8; V_R8(&v) = std::stod(t); return v;
  } else return static_cast<typename Auto<C>::type>(std::stod(t));
}
template <class C> std::string shown(typename Auto<C>::type v) {
  if constexpr (std::is_same_v<C, bool>) return v == VARIANT_TRUE ? "True" : v == VARIANT_FALSE ? "False" : "?";
  else if constexpr (std::is_enum_v<C> || std::is_same_v<C, int16_t>) return show(int(v));
  else return show(v);
}

struct Row {
  const char* name;
  HRESULT (*put)(_KivClass*, const std::string&);
  std::string (*get)(_KivClass*);
};
#define NOVAFLUX_ROW(name, ctype, atype, ...)                                                    \
  {#name, [](_KivClass* o, const std::string& t) { return o->put_##name(parse<ctype>(t)); }, \
   [](_KivClass* o) { Auto<ctype>::type v{}; o->get_##name(&v); return shown<ctype>(v); }},
#define NOVAFLUX_EXPLICIT(name) NOVAFLUX_ROW(name, bool, Boolean)
const Row kRows[] = {NOVAFLUX_DATA_PROPERTIES(NOVAFLUX_ROW) NOVAFLUX_EXPLICIT(KivinputRAUnitDBTWBT)
                         NOVAFLUX_EXPLICIT(KivPurgeWithout) NOVAFLUX_EXPLICIT(KivunitSI)};

std::string failure(HRESULT hr) {
  IErrorInfo* info = nullptr;
  BSTR d = nullptr;
  if (GetErrorInfo(0, &info) == S_OK) { info->GetDescription(&d); info->Release(); }
  return "error=" + std::to_string(HRESULT_CODE(hr)) + "|" + text(d);
}

_KivClass* create() {
  _KivClass* o = nullptr;
  if (FAILED(CoCreateInstance(CLSID_KivClass, nullptr, CLSCTX_INPROC_SERVER, IID__KivClass, reinterpret_cast<void**>(&o))))
    std::exit(3);
  return o;
}

void put_all(_KivClass* o, const std::string& lines) {
  size_t start = 0;
  for (size_t end; (end = lines.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = lines.substr(start, end - start);
    for (const Row& r : kRows)
      if (line.rfind(std::string(r.name) + "=", 0) == 0) r.put(o, line.substr(line.find('=') + 1));
  }
}

std::string get(_KivClass* o, const std::string& name) {
  for (const Row& r : kRows)
    if (name == r.name) return r.get(o);
  return "?";
}

int rate(bool model, const std::string& inputs) {
  _KivClass* o = create();
  put_all(o, inputs);
  VARIANT none;
  const HRESULT hr = model ? o->CalculateOutputModel(&none) : o->CalculateOutput(&none);
  for (const Row& r : kRows) std::cout << r.name << "=" << r.get(o) << "\n";
  std::cout << (FAILED(hr) ? failure(hr) : "error=") << "\n";
  return o->Release() == 0 ? 0 : 4;
}

std::string type_text(ITypeInfo* ti, const TYPEDESC& t) {
  if (t.vt == VT_PTR) return "*" + type_text(ti, *t.lptdesc);
  if (t.vt != VT_USERDEFINED) return std::to_string(t.vt);
  ITypeInfo* ref = nullptr; BSTR name = nullptr;
  if (SUCCEEDED(ti->GetRefTypeInfo(t.hreftype, &ref))) { ref->GetDocumentation(-1, &name, nullptr, nullptr, nullptr); ref->Release(); }
  return text(name);
}

int typelib(const wchar_t* dll) {
  ITypeLib* lib = nullptr;
  if (FAILED(LoadTypeLibEx(dll, REGKIND_NONE, &lib))) return 5;
  TLIBATTR* la = nullptr; BSTR name = nullptr; wchar_t guid[40];
  lib->GetLibAttr(&la); lib->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
  StringFromGUID2(la->guid, guid, 40);
  std::cout << "library " << text(name) << " " << narrow(guid) << " " << la->wMajorVerNum << "." << la->wMinorVerNum
            << " " << la->lcid << " " << la->syskind << "\n";
  for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
    ITypeInfo* ti = nullptr; TYPEATTR* ta = nullptr;
    lib->GetTypeInfo(i, &ti); ti->GetTypeAttr(&ta); ti->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
    StringFromGUID2(ta->guid, guid, 40);
    std::cout << "type " << text(name) << " " << narrow(guid) << " " << ta->typekind << " " << ta->wTypeFlags << "\n";
    HREFTYPE vtable = 0; ITypeInfo* vti = nullptr;
    if (ta->typekind == TKIND_DISPATCH && SUCCEEDED(ti->GetRefTypeOfImplType(-1, &vtable)) && SUCCEEDED(ti->GetRefTypeInfo(vtable, &vti))) {
      TYPEATTR* va = nullptr; vti->GetTypeAttr(&va);
      for (UINT f = 0; f < va->cFuncs; ++f) {
        FUNCDESC* fd = nullptr; vti->GetFuncDesc(f, &fd); vti->GetDocumentation(fd->memid, &name, nullptr, nullptr, nullptr);
        std::cout << "func " << text(name) << " " << fd->memid << " " << fd->invkind << " " << fd->oVft;
        for (SHORT p = 0; p < fd->cParams; ++p)
          std::cout << " " << fd->lprgelemdescParam[p].paramdesc.wParamFlags << ":" << type_text(vti, fd->lprgelemdescParam[p].tdesc);
        std::cout << "\n";
        vti->ReleaseFuncDesc(fd);
      }
      vti->ReleaseTypeAttr(va); vti->Release();
    }
    ti->ReleaseTypeAttr(ta); ti->Release();
  }
  return 0;
}

int unload(const wchar_t* dll) {
  HMODULE m = LoadLibraryW(dll);
  auto can = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(m, "DllCanUnloadNow")));
  auto get = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(reinterpret_cast<void*>(GetProcAddress(m, "DllGetClassObject")));
  IClassFactory* f = nullptr; IUnknown* o = nullptr;
  if (!can || !get || FAILED(get(CLSID_KivClass, IID_IClassFactory, reinterpret_cast<void**>(&f)))) return 6;
  std::cout << "unload " << can();
  f->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&o));
  std::cout << " " << can();
  o->Release();
  std::cout << " " << can();
  f->LockServer(TRUE);
  std::cout << " " << can();
  f->LockServer(FALSE);
  std::cout << " " << can() << "\n";
  return 0;
}

int formula(const wchar_t* query) {
  _KivClass* o = create();
  BSTR q = SysAllocString(query), main = SysAllocString(L"110");
  VARIANT x1, x2;
  V_VT(&x1) = V_VT(&x2) = VT_R8;
  V_R8(&x1) = 100;
  V_R8(&x2) = 125;
  double r = -1;
  const HRESULT hr = o->FormulaInterpulation(&q, &x1, &x2, &main, &r);
  std::cout << "formula " << show(r) << " " << (FAILED(hr) ? failure(hr) : "") << "\n";
  SysFreeString(q);
  SysFreeString(main);
  return o->Release() == 0 ? 0 : 4;
}

// The thread's module state is what EffectivenessCalculate works on: after a run of another
// object on the same thread an object gets other figures than after its own run, unless that
// other run was in another apartment. Inputs: the SI and the IP design day, split by "--".
_KivClass* run(const std::string& inputs) {
  _KivClass* o = create();
  put_all(o, inputs);
  VARIANT none;
  o->CalculateOutput(&none);
  return o;
}

std::string effectiveness(_KivClass* o) {
  const HRESULT hr = o->EffectivenessCalculate();
  const std::string v = FAILED(hr) ? failure(hr) : get(o, "KivoutTotalEffectiveness");
  o->Release();
  return v;
}

int apartments(const std::string& inputs) {
  const std::string si = inputs.substr(0, inputs.find("--\n")), ip = inputs.substr(inputs.find("--\n") + 3);
  std::cout << "alone " << effectiveness(run(si)) << "\n";
  _KivClass* first = run(si);
  run(ip)->Release();
  std::cout << "same-thread " << effectiveness(first) << "\n";
  first = run(si);
  std::thread([&] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    run(ip)->Release();
    CoUninitialize();
  }).join();
  std::cout << "other-apartment " << effectiveness(first) << "\n";
  return 0;
}

}  // namespace
}  // namespace novaflux::com_test

int wmain(int argc, wchar_t** argv) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  int rc = 2;
  using namespace novaflux::com_test;
  std::string inputs;
  if (mode == L"rate" || mode == L"apartments")
    for (std::string line; std::getline(std::cin, line);) inputs += line + "\n";
  if (mode == L"rate") rc = rate(argc > 2, inputs);
  else if (mode == L"typelib" && argc > 2) rc = typelib(argv[2]);
  else if (mode == L"unload" && argc > 2) rc = unload(argv[2]);
  else if (mode == L"apartments") rc = apartments(inputs);
  else if (mode == L"formula" && argc > 2) rc = formula(argv[2]);
  std::cout.flush();
  CoUninitialize();
  return rc;
}
