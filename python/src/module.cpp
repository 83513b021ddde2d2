// novaflux._core: the component's object, its interface table and the rating of whole tables
// of cases, for the pure-Python package novaflux.
#include <pybind11/pybind11.h>

#include "bindings.hpp"
#include "component/interface_table.hpp"
#include "novaflux/version.hpp"
#include "values.hpp"

namespace py = pybind11;

PYBIND11_MODULE(_core, m) {
  m.doc() = "The novaflux rating component (libnovaflux.so) for Python.";
  novaflux::python::register_run_error_translator();
  novaflux::python::bind_object(m);
  novaflux::python::bind_frames(m);
  novaflux::python::bind_annual(m);
  m.def("version", [] { return std::string(novaflux::version()); },
        "The component's release, as kiv_version() gives it.");
  m.def("describe", [] { return novaflux::detail::describe_json(); },
        "The interface table as JSON text.");
  m.def("set_catalogue", [](const std::string& path) { novaflux::set_catalogue_path(path); },
        "Use this catalogue file instead of NOVAFLUX.db beside the component (\"\": the default).");
  m.def("catalogue", [] { return novaflux::catalogue_path(); },
        "The catalogue override in use (\"\" for the default file beside the component).");
}
