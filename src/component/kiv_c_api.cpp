// The C interface: every failure becomes a status code here, with its text kept on the object.
#include "novaflux/kiv.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "common/fp_state.hpp"
#include "common/run_error.hpp"
#include "component/interface_table.hpp"
#include "novaflux/kiv_class.hpp"

struct KivObject {
  novaflux::KivClass object;
  std::string last_error;
  int last_error_number = 0;
};

namespace {

thread_local std::string g_thread_error;

constexpr int kOk = 0;
constexpr int kFailed = 1;

int fail(KivObject* o, int number, std::string text) {
  if (o) {
    o->last_error = std::move(text);
    o->last_error_number = number;
  } else {
    g_thread_error = std::move(text);
  }
  return number > 0 ? number : kFailed;
}

// Runs a body in the default floating-point state (the host's comes back on return) and turns
// whatever it throws into a status code and a kept message.
template <class Body>
int guarded(KivObject* o, Body&& body) {
  if (!o) return fail(nullptr, kFailed, "null object");
  const novaflux::FpStateGuard fp;
  try {
    body();
    o->last_error.clear();
    o->last_error_number = 0;
    return kOk;
  } catch (const novaflux::RunError& e) {
    return fail(o, e.code(), e.what());
  } catch (const std::bad_alloc&) {
    return fail(o, 7, "Out of memory");
  } catch (const std::exception& e) {
    return fail(o, kFailed, e.what());
  }
}

const novaflux::detail::PropertyInfo& property_or_throw(const char* name) {
  if (!name) throw novaflux::RunError(novaflux::ErrorNumber::InvalidArgument, "null property name");
  const auto* p = novaflux::detail::find_property(name);
  if (!p)
    throw novaflux::RunError(novaflux::ErrorNumber::InvalidArgument,
                             std::string("unknown property \"") + name + "\"");
  return *p;
}

const novaflux::detail::PropertyInfo& property_or_throw(int dispid) {
  const auto* p = novaflux::detail::find_property_by_dispid(dispid);
  if (!p) {
    char text[48];
    std::snprintf(text, sizeof text, "unknown property DISPID 0x%X", static_cast<unsigned>(dispid));
    throw novaflux::RunError(novaflux::ErrorNumber::InvalidArgument, text);
  }
  return *p;
}

// The numeric access of kiv_put / kiv_get and their by-DISPID twins, with the same failures.
void put_number(KivObject* o, const novaflux::detail::PropertyInfo& p, double value) {
  try {
    novaflux::detail::write_number(o->object, p, value);
  } catch (const novaflux::RunError& e) {
    // "Overflow" alone does not tell a host which of its writes was refused.
    throw novaflux::RunError(e.number(), "property " + std::string(p.name) + ": " + e.what());
  }
}

void get_number(KivObject* o, const novaflux::detail::PropertyInfo& p, double* value) {
  if (!value) throw novaflux::RunError(novaflux::ErrorNumber::InvalidArgument, "null result pointer");
  if (!novaflux::detail::read_number(o->object, p, *value))
    throw novaflux::RunError(novaflux::ErrorNumber::TypeMismatch,
                             "property " + std::string(p.name) + " holds text; read it with kiv_get_text");
}

}  // namespace

extern "C" {

KivObject* kiv_create(void) {
  try {
    return new KivObject();
  } catch (...) {
    g_thread_error = "Out of memory";
    return nullptr;
  }
}

void kiv_destroy(KivObject* object) { delete object; }

int kiv_put(KivObject* o, const char* name, double value) {
  return guarded(o, [&] { put_number(o, property_or_throw(name), value); });
}

int kiv_get(KivObject* o, const char* name, double* value) {
  return guarded(o, [&] { get_number(o, property_or_throw(name), value); });
}

int kiv_property_id(const char* name) {
  const auto* p = name ? novaflux::detail::find_property(name) : nullptr;
  return p ? p->dispid : -1;
}

int kiv_put_id(KivObject* o, int dispid, double value) {
  return guarded(o, [&] { put_number(o, property_or_throw(dispid), value); });
}

int kiv_get_id(KivObject* o, int dispid, double* value) {
  return guarded(o, [&] { get_number(o, property_or_throw(dispid), value); });
}

int kiv_put_text(KivObject* o, const char* name, const char* text) {
  return guarded(o, [&] {
    const auto& p = property_or_throw(name);
    if (!text) throw novaflux::RunError(novaflux::ErrorNumber::InvalidArgument, "null text");
    novaflux::detail::write_text(o->object, p, text);
  });
}

int kiv_get_text(KivObject* o, const char* name, char* buf, size_t size) {
  std::string text;
  const int status = guarded(o, [&] { text = novaflux::detail::read_text(o->object, property_or_throw(name)); });
  if (status != kOk) return -status;
  if (buf && size > 0) {
    const size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
  }
  return static_cast<int>(text.size());
}

int kiv_call(KivObject* o, const char* method) {
  return guarded(o, [&] {
    const std::string_view m = method ? method : "";
    auto& k = o->object;
    if (m == "CalculateOutput") k.CalculateOutput();
    else if (m == "CalculateOutputModel") k.CalculateOutputModel();
    else if (m == "EffectivenessCalculate") k.EffectivenessCalculate();
    else if (m == "EffectivenessCalculateold") k.EffectivenessCalculateold();
    else if (m == "EATRValue") k.EATRValue();
    else if (m == "PdropOtherCalculate")
      throw novaflux::RunError(novaflux::ErrorNumber::InvalidArgument,
                               "PdropOtherCalculate takes arguments: use kiv_pdrop_other_calculate");
    else if (m == "FormulaInterpulation")
      throw novaflux::RunError(novaflux::ErrorNumber::InvalidArgument,
                               "FormulaInterpulation takes arguments: use kiv_formula_interpulation");
    else
      throw novaflux::RunError(novaflux::ErrorNumber::InvalidArgument,
                               "unknown method \"" + std::string(m) + "\"");
  });
}

int kiv_pdrop_other_calculate(KivObject* o, double vs, double vr, double face_area_net,
                              double* result) {
  return guarded(o, [&] {
    const double r = o->object.PdropOtherCalculate(vs, vr, face_area_net);
    if (result) *result = r;
  });
}

int kiv_formula_interpulation(KivObject* o, const char* sql_bracket, double x1, double x2,
                              const char* main_value, double* result) {
  return guarded(o, [&] {
    std::string sql = sql_bracket ? sql_bracket : "";
    std::string main = main_value ? main_value : "";
    novaflux::Variant v1 = x1, v2 = x2;
    const double r = o->object.FormulaInterpulation(sql, v1, v2, main);
    if (result) *result = r;
  });
}

const char* kiv_last_error(const KivObject* o) {
  return o ? o->last_error.c_str() : g_thread_error.c_str();
}

int kiv_last_error_number(const KivObject* o) { return o ? o->last_error_number : 0; }

int kiv_set_catalogue(const char* path) {
  try {
    novaflux::set_catalogue_path(path ? path : "");
    return kOk;
  } catch (const std::exception& e) {
    g_thread_error = e.what();
    return kFailed;
  }
}

const char* kiv_describe(void) { return novaflux::detail::describe_json().c_str(); }

}  // extern "C"
