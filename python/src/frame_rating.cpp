// Rating a whole table of cases: input columns in, the result columns of the library
// (component/result_columns.hpp) out as NumPy arrays, the cases spread over worker threads
// that run without the interpreter lock.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "bindings.hpp"
#include "component/result_columns.hpp"
#include "values.hpp"
#include "worker_pool.hpp"

namespace novaflux::python {

namespace {

using detail::CellType;
using detail::CellValue;
using detail::PropType;
using detail::ResultColumn;

// One output column: a NumPy array written in place for numbers, or the values kept here and
// turned into Python objects once all rows are rated.
struct OutputColumn {
  const ResultColumn* column = nullptr;
  py::array array;
  void* data = nullptr;
  std::vector<Variant> variants;
  std::vector<std::string> texts;
};

py::dtype dtype_of(const ResultColumn& c) {
  if (c.property) {
    switch (c.property->type) {
      case PropType::Double: return py::dtype::of<double>();
      case PropType::Single: return py::dtype::of<float>();
      case PropType::Integer: return py::dtype::of<int16_t>();
      case PropType::Boolean: return py::dtype::of<bool>();
      case PropType::Modelall:
      case PropType::SeriesList: return py::dtype::of<int32_t>();
      case PropType::Variant: return py::dtype("object");
    }
  }
  switch (c.type) {
    case CellType::Integer: return py::dtype::of<int64_t>();
    case CellType::Boolean: return py::dtype::of<bool>();
    case CellType::Number: return py::dtype::of<double>();
    default: return py::dtype("object");
  }
}

struct CellNumber {
  double operator()(const std::string&) const { return 0.0; }
  template <class T> double operator()(T v) const { return static_cast<double>(v); }
};
// The text of a non-text value in a text column.
struct CellText {
  std::string operator()(const std::string& s) const { return s; }
  std::string operator()(bool b) const { return b ? "true" : "false"; }
  std::string operator()(int64_t i) const { return std::to_string(i); }
  std::string operator()(double d) const {
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, d).ptr);
  }
};

template <class T>
void put(void* data, size_t row, T value) {
  static_cast<T*>(data)[row] = value;
}

void store(OutputColumn& out, size_t row, const KivClass& k, const detail::CaseOutcome& outcome) {
  if (const auto* p = out.column->property) {
    switch (p->type) {
      case PropType::Double: return put(out.data, row, k.*std::get<double KivClass::*>(p->accessor));
      case PropType::Single: return put(out.data, row, k.*std::get<float KivClass::*>(p->accessor));
      case PropType::Variant:
        out.variants[row] = k.*std::get<Variant KivClass::*>(p->accessor);
        return;
      default: {
        double value = 0.0;
        detail::read_number(k, *p, value);
        if (p->type == PropType::Boolean) return put(out.data, row, value != 0.0);
        if (p->type == PropType::Integer) return put(out.data, row, static_cast<int16_t>(value));
        return put(out.data, row, static_cast<int32_t>(value));
      }
    }
  }
  // The cell takes the column's type whatever the value function gives: a run's column may
  // leave its cell empty (text "") on a failed row, which reads as 0, False or NaN here.
  const CellValue value = out.column->value(k, outcome);
  const auto* text = std::get_if<std::string>(&value);
  const double number = text ? std::nan("") : std::visit(CellNumber{}, value);
  switch (out.column->type) {
    case CellType::Integer: return put(out.data, row, text ? int64_t{0} : static_cast<int64_t>(number));
    case CellType::Boolean: return put(out.data, row, !text && number != 0.0);
    case CellType::Number: return put(out.data, row, number);
    default: out.texts[row] = text ? *text : std::visit(CellText{}, value);
  }
}

// Fills an object array; repeated texts (model names, warnings) share one Python string.
void fill_objects(OutputColumn& out, size_t rows) {
  auto** slots = static_cast<PyObject**>(out.data);
  std::unordered_map<std::string, py::object> interned;
  const auto text_object = [&](const std::string& text) {
    auto [it, fresh] = interned.try_emplace(text);
    if (fresh) it->second = py::str(text);
    return it->second;
  };
  for (size_t row = 0; row < rows; ++row) {
    py::object value;
    if (!out.variants.empty()) {
      const Variant& v = out.variants[row];
      value = v.is_text() ? text_object(v.text()) : variant_value(v);
    } else {
      value = text_object(out.texts[row]);
    }
    Py_XDECREF(slots[row]);
    slots[row] = value.release().ptr();
  }
}

py::tuple rate_columns(const std::vector<std::string>& names,
                       const std::vector<py::array_t<double, py::array::c_style | py::array::forcecast>>& inputs,
                       bool model_run, unsigned threads) {
  if (names.size() != inputs.size()) throw py::value_error("one array per input name");
  std::vector<const detail::PropertyInfo*> properties;
  std::vector<const double*> values;
  size_t rows = 0;
  for (size_t i = 0; i < names.size(); ++i) {
    const auto* p = detail::find_property(names[i]);
    if (!p) throw py::key_error("unknown property " + names[i]);
    if (inputs[i].ndim() != 1) throw py::value_error(names[i] + ": a column of values is one-dimensional");
    if (i > 0 && static_cast<size_t>(inputs[i].shape(0)) != rows)
      throw py::value_error(names[i] + ": every column has the same number of rows");
    rows = static_cast<size_t>(inputs[i].shape(0));
    properties.push_back(p);
    values.push_back(inputs[i].data());
  }

  std::vector<OutputColumn> outputs;
  for (const auto& c : detail::result_columns()) {
    OutputColumn out;
    out.column = &c;
    out.array = py::array(dtype_of(c), std::vector<py::ssize_t>{static_cast<py::ssize_t>(rows)});
    out.data = out.array.mutable_data();
    if (c.property && c.property->type == PropType::Variant) out.variants.resize(rows);
    else if (!c.property && c.type == CellType::Text) out.texts.resize(rows);
    outputs.push_back(std::move(out));
  }

  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  constexpr size_t kChunk = 64;
  const unsigned workers = static_cast<unsigned>(std::min<size_t>(threads, (rows + kChunk - 1) / kChunk));
  {
    py::gil_scoped_release unlocked;
    std::atomic<size_t> next{0};
    run_on_workers(std::max(1u, workers), [&](unsigned) {
      for (size_t begin; (begin = next.fetch_add(kChunk)) < rows;) {
        const size_t end = std::min(rows, begin + kChunk);
        for (size_t row = begin; row < end; ++row) {
          KivClass k;
          const detail::CaseOutcome outcome = detail::rate_case(k, model_run, [&](KivClass& object) {
            for (size_t i = 0; i < properties.size(); ++i) {
              const double v = values[i][row];
              if (!std::isnan(v)) detail::write_number(object, *properties[i], v);
            }
          });
          for (auto& out : outputs) store(out, row, k, outcome);
        }
      }
    });
  }

  py::list column_names, arrays;
  for (auto& out : outputs) {
    if (!out.variants.empty() || !out.texts.empty()) fill_objects(out, rows);
    column_names.append(py::str(out.column->name.data(), out.column->name.size()));
    arrays.append(out.array);
  }
  return py::make_tuple(column_names, arrays);
}

py::list result_column_names() {
  py::list names;
  for (const auto& c : detail::result_columns()) names.append(py::str(c.name.data(), c.name.size()));
  return names;
}

}  // namespace

void bind_frames(py::module_& m) {
  m.def("rate_columns", &rate_columns, py::arg("names"), py::arg("columns"), py::arg("model_run"),
        py::arg("threads"),
        "Rate one case per row of the input columns (NaN: the property keeps the value of a new "
        "object). Returns (names, arrays) of the result columns.");
  m.def("result_columns", &result_column_names, "The names of the result columns, in order.");
}

}  // namespace novaflux::python
