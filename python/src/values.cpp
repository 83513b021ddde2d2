#include "values.hpp"

namespace novaflux::python {

using detail::PropType;

py::object variant_value(const Variant& v) {
  if (v.is_number()) return py::float_(v.number());
  if (v.is_text()) return py::str(v.text());
  return py::none();
}

py::object property_value(const KivClass& k, const detail::PropertyInfo& p) {
  switch (p.type) {
    case PropType::Double: return py::float_(k.*std::get<double KivClass::*>(p.accessor));
    case PropType::Single: return py::float_(k.*std::get<float KivClass::*>(p.accessor));
    case PropType::Variant: return variant_value(k.*std::get<Variant KivClass::*>(p.accessor));
    case PropType::Boolean:
    case PropType::Integer:
    case PropType::Modelall:
    case PropType::SeriesList: {
      double value = 0.0;
      detail::read_number(k, p, value);
      if (p.type == PropType::Boolean) return py::bool_(value != 0.0);
      return py::int_(static_cast<long long>(value));
    }
  }
  return py::none();
}

void raise_run_error(int number, const std::string& description) {
  const py::object cls = py::module_::import("novaflux._errors").attr("RunError");
  const py::object error = cls(number, description);
  PyErr_SetObject(cls.ptr(), error.ptr());
  throw py::error_already_set();
}

void register_run_error_translator() {
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const RunError& e) {
      try {
        raise_run_error(e.code(), e.what());
      } catch (py::error_already_set& raised) {
        raised.restore();
      }
    }
  });
}

}  // namespace novaflux::python
