// A host that binds early: it calls _KivClass through the vtable of the widl header. Modes:
//   states        rates cases in floating-point states that hosts set (stdin, see states())
//   typelib DLL   the type library embedded in DLL, one line per type and per member
//   unload DLL    DllCanUnloadNow through the life of an object and a server lock
//   formula Q     FormulaInterpulation(Q, 100, 125, "110") with its by-reference arguments
//   apartments    module state shared by two objects of a thread, not across apartments
#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

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

// Numbers cross as the hexadecimal digits of their bits ("0x" and 16 or 8 digits): neither side
// converts a number to or from decimal text, which the floating-point state under test would
// change.
template <class T> std::string bits(T v) {
  std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t> u;
  std::memcpy(&u, &v, sizeof v);
  char b[24];
  std::snprintf(b, sizeof b, sizeof(T) == 8 ? "0x%016llx" : "0x%08llx", static_cast<unsigned long long>(u));
  return b;
}
// Into the destination, not as a return value: a 32-bit double return passes through the x87,
// whose precision the state under test sets (and QEMU, unlike the processor, applies to loads).
template <class T> void from_bits(const std::string& t, T& v) {
  const unsigned long long u = std::stoull(t, nullptr, 16);
  std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t> n = static_cast<decltype(n)>(u);
  std::memcpy(&v, &n, sizeof v);
}

std::string show(double v) { return bits(v); }
std::string show(float v) { return bits(v); }
std::string show(int v) { return std::to_string(v); }
std::string show(const VARIANT& v) { return V_VT(&v) == VT_R8 ? show(V_R8(&v)) : V_VT(&v) == VT_BSTR ? text(V_BSTR(&v)) : ""; }

// Text to and from the automation type of a property of C++ type C.
template <class C> void parse(const std::string& t, typename Auto<C>::type& v) {
  if constexpr (std::is_same_v<C, bool>) v = t == "True" ? VARIANT_TRUE : VARIANT_FALSE;
  else if constexpr (std::is_same_v<C, Variant>) { V_VT(&v) = VT_R8; from_bits(t, V_R8(&v)); }
  else if constexpr (std::is_floating_point_v<C>) from_bits(t, v);
  else v = static_cast<typename Auto<C>::type>(std::stoi(t));
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
#define NOVAFLUX_ROW(name, ctype, atype, ...)                                               \
  {#name,                                                                                   \
   [](_KivClass* o, const std::string& t) {                                                 \
     Auto<ctype>::type v{};                                                                 \
     parse<ctype>(t, v);                                                                    \
     return o->put_##name(v);                                                               \
   },                                                                                       \
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

HRESULT put(_KivClass* o, const std::string& assignment) {  // name=value
  for (const Row& r : kRows)
    if (assignment.rfind(std::string(r.name) + "=", 0) == 0) return r.put(o, assignment.substr(assignment.find('=') + 1));
  return E_INVALIDARG;
}

void put_all(_KivClass* o, const std::string& lines) {
  std::istringstream in(lines);
  for (std::string line; std::getline(in, line);) put(o, line);
}

std::string get(_KivClass* o, const std::string& name) {
  for (const Row& r : kRows)
    if (name == r.name) return r.get(o);
  return "?";
}

// The floating-point state as a host sets it (Set8087CW, _controlfp, a Direct3D device): x87
// control word and MXCSR; with the x87 exception flags, what a call must give back.
using FpState = std::tuple<uint16_t, uint16_t, uint32_t>;
FpState fp_state() {
  uint16_t x87, status;
  uint32_t mxcsr;
  __asm__ __volatile__("fnstcw %0\n\tfnstsw %1\n\tstmxcsr %2" : "=m"(x87), "=m"(status), "=m"(mxcsr));
  return {x87, status & 0xBF, mxcsr};
}
void set_fp_state(uint16_t x87, uint32_t mxcsr) {  // flags still pending would trap once unmasked
  __asm__ __volatile__("fnclex\n\tfldcw %0\n\tldmxcsr %1" : : "m"(x87), "m"(mxcsr) : "memory");
}

// Input (stdin), words: "state NAME X87 MXCSR" (hexadecimal), "case NAME auto|model" and
// "set name=value" for the inputs of the last case. Every case is rated in every state, each
// call checked to leave the host's state as it found it. Output, once the process's own state
// is back: "STATE|CASE|name=value" for every property and the error, and "STATE|calls=N
// changed=M" with the calls that changed the host's state.
int states(const std::string& input) {
  std::vector<std::tuple<std::string, unsigned long, unsigned long>> states;
  std::vector<std::tuple<std::string, bool, std::vector<std::string>>> cases;
  std::istringstream in(input);
  for (std::string word, a, b, c; in >> word >> a;) {
    if (word == "state" && in >> b >> c) states.emplace_back(a, std::stoul(b, nullptr, 16), std::stoul(c, nullptr, 16));
    else if (word == "case" && in >> b) cases.emplace_back(a, b == "model", std::vector<std::string>{});
    else if (word == "set" && !cases.empty()) std::get<2>(cases.back()).push_back(a);
  }
  const FpState own = fp_state();
  std::string out;
  for (const auto& [state, x87, mxcsr] : states) {
    int calls = 0, changed = 0;
    set_fp_state(uint16_t(x87), uint32_t(mxcsr));
    const auto call = [&](auto&& f) {
      const FpState before = fp_state();
      auto r = f();
      changed += fp_state() != before;
      ++calls;
      return r;
    };
    for (const auto& [name, model, inputs] : cases) {
      _KivClass* o = call([] { return create(); });
      for (const std::string& assignment : inputs) call([&] { return put(o, assignment); });
      VARIANT none;
      const HRESULT hr = call([&] { return model ? o->CalculateOutputModel(&none) : o->CalculateOutput(&none); });
      const std::string prefix = state + "|" + name + "|";
      for (const Row& r : kRows) out += prefix + r.name + "=" + call([&] { return r.get(o); }) + "\n";
      out += prefix + (FAILED(hr) ? failure(hr) : "error=") + "\n";
      call([&] { return o->Release(); });
    }
    set_fp_state(std::get<0>(own), std::get<2>(own));
    out += state + "|calls=" + std::to_string(calls) + " changed=" + std::to_string(changed) + "\n";
  }
  std::cout << out;
  return 0;
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
  if (mode == L"states" || mode == L"apartments")
    for (std::string line; std::getline(std::cin, line);) inputs += line + "\n";
  if (mode == L"states") rc = states(inputs);
  else if (mode == L"typelib" && argc > 2) rc = typelib(argv[2]);
  else if (mode == L"unload" && argc > 2) rc = unload(argv[2]);
  else if (mode == L"apartments") rc = apartments(inputs);
  else if (mode == L"formula" && argc > 2) rc = formula(argv[2]);
  std::cout.flush();
  CoUninitialize();
  return rc;
}
