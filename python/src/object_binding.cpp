// novaflux._core.Object: one KivClass, its properties by their index in the interface table.
// The Python class KivClass (novaflux/_kivclass.py) gives them their names and types.
#include <pybind11/stl.h>

#include <cmath>
#include <string>

#include "bindings.hpp"
#include "common/module_state.hpp"
#include "novaflux/result_view.hpp"
#include "values.hpp"

namespace novaflux::python {

namespace {

const detail::PropertyInfo& property_at(size_t index) {
  const auto props = detail::properties();
  if (index >= props.size()) throw py::index_error("no property at index " + std::to_string(index));
  return props[index];
}

// A put that fails names the property: "Overflow" alone does not say which write was refused.
template <class Body>
void put_guarded(const detail::PropertyInfo& p, Body&& body) {
  try {
    body();
  } catch (const RunError& e) {
    throw RunError(e.number(), "property " + std::string(p.name) + ": " + e.what());
  }
}

Variant variant_from(const py::handle& value) {
  if (value.is_none()) return Variant{};
  if (py::isinstance<py::str>(value)) return Variant(value.cast<std::string>());
  return Variant(value.cast<double>());
}

using Method = void (*)(KivClass&);
Method parameterless_method(const std::string& name) {
  if (name == "CalculateOutput") return [](KivClass& k) { k.CalculateOutput(); };
  if (name == "CalculateOutputModel") return [](KivClass& k) { k.CalculateOutputModel(); };
  if (name == "EffectivenessCalculate") return [](KivClass& k) { k.EffectivenessCalculate(); };
  if (name == "EffectivenessCalculateold") return [](KivClass& k) { k.EffectivenessCalculateold(); };
  if (name == "EATRValue") return [](KivClass& k) { k.EATRValue(); };
  throw py::value_error("KivClass has no method " + name + " without parameters");
}

// The engineer's view of a rating (the tool's table and datasheet) as plain Python data.
py::dict view_data(const ResultView& view) {
  py::list sections, warnings;
  for (const auto& t : view.sections)
    sections.append(py::dict(py::arg("title") = t.title, py::arg("headings") = t.headings,
                             py::arg("rows") = t.rows));
  for (const auto& w : view.warnings)
    warnings.append(py::dict(py::arg("code") = w.code, py::arg("text") = w.text,
                             py::arg("explanation") = w.explanation));
  py::object failure = py::none();
  if (view.failure)
    failure = py::dict(py::arg("number") = view.failure->number,
                       py::arg("description") = view.failure->description);
  return py::dict(py::arg("si") = view.si, py::arg("model") = view.model,
                  py::arg("sections") = sections, py::arg("warnings") = warnings,
                  py::arg("failure") = failure);
}

}  // namespace

void bind_object(py::module_& m) {
  py::class_<KivClass>(m, "Object")
      .def(py::init<>())
      .def("get", [](const KivClass& k, size_t i) { return property_value(k, property_at(i)); })
      .def("values",
           [](const KivClass& k) {
             py::list out;
             for (const auto& p : detail::properties()) out.append(property_value(k, p));
             return out;
           })
      .def("put_number",
           [](KivClass& k, size_t i, double value) {
             const auto& p = property_at(i);
             put_guarded(p, [&] { detail::write_number(k, p, value); });
           })
      .def("put_text",
           [](KivClass& k, size_t i, const std::string& text) {
             const auto& p = property_at(i);
             put_guarded(p, [&] { detail::write_text(k, p, text); });
           })
      .def("put_empty",
           [](KivClass& k, size_t i) {
             const auto& p = property_at(i);
             put_guarded(p, [&] { detail::write_empty(k, p); });
           })
      .def("view",
           [](const KivClass& k, int failure_number, const std::string& failure_text) {
             std::optional<RunFailure> failure;
             if (failure_number != 0) failure = RunFailure{failure_number, failure_text};
             return view_data(result_view(k, failure));
           },
           py::arg("failure_number") = 0, py::arg("failure_text") = "")
      .def("call",
           [](KivClass& k, const std::string& name) {
             const Method method = parameterless_method(name);
             py::gil_scoped_release unlocked;
             guarded([&] { method(k); });
           })
      .def("PdropOtherCalculate",
           [](KivClass& k, const py::object& vs, const py::object& vr, double face_area_net) {
             const Variant s = variant_from(vs), r = variant_from(vr);
             py::gil_scoped_release unlocked;
             return guarded([&] { return k.PdropOtherCalculate(s, r, face_area_net); });
           })
      .def("FormulaInterpulation",
           [](KivClass& k, std::string bracket, const py::object& x1, const py::object& x2,
              std::string main_value) {
             Variant a = variant_from(x1), b = variant_from(x2);
             py::gil_scoped_release unlocked;
             return guarded([&] { return k.FormulaInterpulation(bracket, a, b, main_value); });
           });

  m.def("reset_thread_state", [] { reset_between_cases(); },
        "Make this thread's shared state what a new thread starts with (the catalogue stays loaded).");
}

}  // namespace novaflux::python
