#include "batch_columns.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "common/numeric.hpp"
#include "csv.hpp"
#include "json_io.hpp"
#include "novaflux/result_view.hpp"

namespace novaflux::tool {

using detail::PropertyInfo;
using detail::PropType;

namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool same_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

// Shortest text that reads back as the same double ("23.86", "10000", "1e+20").
std::string shortest_text(double x) {
  if (std::isnan(x)) return "nan";
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, res.ptr);
}

}  // namespace

const DerivedColumn kDerivedColumns[1] = {
    {"frost_risk",
     [](const KivClass& k, int failure_number) -> std::string {
       if (failure_number != 0) return {};
       const bool risk = frost_risk(k.KivoutEaW_DBT, k.KivoutEaW_RH, k.KivoutEaW_AbsHum,
                                    k.get_KivunitSI(), k.KivinputAltitude);
       return risk ? "true" : "false";
     }},
};

InputColumns::InputColumns(const std::vector<std::string>& header, uint64_t line) {
  for (size_t i = 0; i < header.size(); ++i) {
    const size_t column = i + 1;
    const std::string_view name = trimmed(header[i]);
    if (name.empty()) throw CsvError(line, column, "the column has no name");
    const PropertyInfo* p = detail::find_property(name);
    if (!p) {
      std::string message = "unknown property " + quoted(name);
      for (const auto& candidate : detail::properties()) {
        if (same_ignoring_case(candidate.name, name)) {
          message += " (did you mean " + std::string(candidate.name) + "?)";
          break;
        }
      }
      throw CsvError(line, column, message + "; `novaflux describe` lists the properties");
    }
    if (p->role == detail::Role::Out)
      throw CsvError(line, column, std::string(p->name) + " is an output of the rating, not an input");
    for (size_t j = 0; j < columns_.size(); ++j) {
      if (columns_[j] == p)
        throw CsvError(line, column, std::string(p->name) + " is already column " + std::to_string(j + 1));
    }
    columns_.push_back(p);
  }
}

void InputColumns::convert(const std::vector<std::string>& fields, uint64_t line, BatchRow& row) {
  if (fields.size() != columns_.size()) {
    const size_t column = std::min(fields.size(), columns_.size()) + 1;
    throw CsvError(line, column,
                   "the row has " + std::to_string(fields.size()) + " fields, the header " +
                       std::to_string(columns_.size()));
  }
  row.line = line;
  row.values.assign(columns_.size(), std::nullopt);
  for (size_t i = 0; i < columns_.size(); ++i) {
    const PropertyInfo& p = *columns_[i];
    const std::string_view text = trimmed(fields[i]);
    if (text.empty()) continue;
    const auto bad = [&](const std::string& why) -> CsvError {
      return CsvError(line, i + 1, std::string(p.name) + ": " + why);
    };
    double value = 0.0;
    if (p.type == PropType::Boolean) {
      if (same_ignoring_case(text, "true")) value = -1.0;
      else if (same_ignoring_case(text, "false")) value = 0.0;
      else if (!parse_double(text, value))
        throw bad(quoted(text) + " is neither true, false nor a number");
    } else if (p.type == PropType::Modelall) {
      const auto model = parse_model(std::string(text));
      if (!model) throw bad(quoted(text) + " is neither a model name nor a model number");
      value = static_cast<double>(static_cast<int32_t>(*model));
    } else if (!parse_double(text, value)) {
      throw bad(quoted(text) + " is not a number");
    }
    // Store it once the way the run's object will, so that a value the property cannot hold
    // (an Integer beyond 16 bits, a Single beyond the float range) is reported here.
    try {
      detail::write_number(scratch_, p, value);
    } catch (const std::exception& e) {
      throw bad(quoted(text) + " cannot be stored: " + e.what());
    }
    row.values[i] = value;
  }
}

void InputColumns::apply(const BatchRow& row, KivClass& object) const {
  for (size_t i = 0; i < columns_.size() && i < row.values.size(); ++i) {
    if (row.values[i]) detail::write_number(object, *columns_[i], *row.values[i]);
  }
}

std::string cell_text(const KivClass& k, const PropertyInfo& p) {
  switch (p.type) {
    case PropType::Variant: {
      const Variant& v = k.*std::get<Variant KivClass::*>(p.accessor);
      if (v.is_number()) return shortest_text(v.number());
      return v.is_text() ? v.text() : std::string();
    }
    case PropType::Single: {
      const float f = k.*std::get<float KivClass::*>(p.accessor);
      return std::isnan(f) ? std::string("nan") : single_text(f);
    }
    case PropType::Boolean: {
      double value = 0.0;
      detail::read_number(k, p, value);
      return value != 0.0 ? "true" : "false";
    }
    case PropType::Double: return shortest_text(k.*std::get<double KivClass::*>(p.accessor));
    case PropType::Integer:
    case PropType::Modelall:
    case PropType::SeriesList: {
      double value = 0.0;
      detail::read_number(k, p, value);
      return std::to_string(static_cast<int64_t>(value));
    }
  }
  return {};
}

std::string output_header() {
  std::string out;
  for (const auto& p : detail::properties()) {
    append_csv_field(out, p.name);
    out += ',';
  }
  out += kFailureNumberColumn;
  out += ',';
  out += kFailureTextColumn;
  for (const auto& c : kDerivedColumns) {
    out += ',';
    out += c.name;
  }
  out += '\n';
  return out;
}

void append_output_row(std::string& out, const KivClass& k, int failure_number,
                       std::string_view failure_text) {
  for (const auto& p : detail::properties()) {
    append_csv_field(out, cell_text(k, p));
    out += ',';
  }
  out += std::to_string(failure_number);
  out += ',';
  append_csv_field(out, failure_text);
  for (const auto& c : kDerivedColumns) {
    out += ',';
    append_csv_field(out, c.cell(k, failure_number));
  }
  out += '\n';
}

}  // namespace novaflux::tool
