#pragma once
// Property values between the component and Python, by the interface table: Booleans as bool,
// Double and Single as float, Integer and the enumerations as int, the variants as None, float
// or str. The Python layer wraps the enumerations in their IntEnum classes.
#include <pybind11/pybind11.h>

#include <string>

#include "component/interface_table.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux::python {

namespace py = pybind11;

py::object property_value(const KivClass& object, const detail::PropertyInfo& property);
py::object variant_value(const Variant& value);

// The Python RunError (novaflux.RunError) for a failure number and description, raised.
[[noreturn]] void raise_run_error(int number, const std::string& description);

// Runs body; a RunError or other failure of the component becomes a Python RunError.
template <class Body>
decltype(auto) guarded(Body&& body);

void register_run_error_translator();

}  // namespace novaflux::python

#include "common/run_error.hpp"

template <class Body>
decltype(auto) novaflux::python::guarded(Body&& body) {
  try {
    return body();
  } catch (const RunError&) {
    throw;  // the registered translator turns it into novaflux.RunError
  } catch (const py::error_already_set&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    throw RunError(static_cast<ErrorNumber>(1), e.what());
  }
}
