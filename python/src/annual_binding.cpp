// The annual study for Python: the library's study (src/studies) run without the interpreter
// lock; the hourly table comes back as the CSV text the tool writes (when asked for), the
// summary as its JSON.
#include <pybind11/stl.h>

#include <map>
#include <sstream>
#include <string>

#include "bindings.hpp"
#include "rating_json/rating_request.hpp"
#include "studies/annual_study.hpp"
#include "values.hpp"

namespace novaflux::python {

namespace {

// (hourly CSV text, summary JSON text); the text is empty without `hourly`. Options by the
// tool's flag names.
py::tuple annual(const std::string& unit_json, const std::string& weather_path,
                 const std::map<std::string, std::string>& options, bool with_hourly) {
  AnnualOptions o;
  for (const auto& [name, value] : options) set_annual_option(o, name, value);
  const nlohmann::json unit = parse_json_text(unit_json, "the unit");
  std::string hourly, summary;
  try {
    py::gil_scoped_release unlocked;
    const WeatherFile weather = read_epw_file(weather_path);
    const AnnualStudy study = run_annual_study(unit, weather, o);
    if (with_hourly) {
      std::ostringstream out;
      write_hourly_csv(study, out);
      hourly = std::move(out).str();
    }
    summary = annual_json(study).dump();
  } catch (const WeatherFileError& e) {
    const py::object error = py::module_::import("novaflux._errors").attr("WeatherFileError")(e.what(), e.line(), e.field());
    PyErr_SetObject(error.get_type().ptr(), error.ptr());
    throw py::error_already_set();
  }
  return py::make_tuple(hourly, summary);
}

}  // namespace

void bind_annual(py::module_& m) {
  m.def("annual", &annual, py::arg("unit_json"), py::arg("weather_path"), py::arg("options"),
        py::arg("hourly") = true,
        "Run the annual study of a unit (JSON text) at the site of an EPW file. Returns (hourly CSV, "
        "or empty without hourly; summary JSON). Bad options or units raise ValueError, a bad weather file WeatherFileError, "
        "a unit that cannot be rated RunError.");
}

}  // namespace novaflux::python
