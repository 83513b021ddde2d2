#include "batch_columns.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "common/numeric.hpp"
#include "csv.hpp"
#include "json_io.hpp"

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

// Shortest text that reads back as the same value ("23.86", "10000", "1e+05"); never quoted.
template <class T>
void append_number(std::string& out, T x) {
  if (std::isnan(x)) {
    out += "nan";
    return;
  }
  char buf[kShortestTextSize];
  out.append(buf, shortest_chars(buf, x));
}

void append_integer(std::string& out, int64_t x) {
  char buf[24];
  out.append(buf, std::to_chars(buf, buf + sizeof buf, x).ptr);
}

// A property's cell, quoted where its text needs it (only a text can).
void append_cell(std::string& out, const KivClass& k, const PropertyInfo& p) {
  switch (p.type) {
    case PropType::Variant: {
      const Variant& v = k.*std::get<Variant KivClass::*>(p.accessor);
      if (v.is_number()) append_number(out, v.number());
      else if (v.is_text()) append_csv_field(out, v.text());
      return;
    }
    case PropType::Single: return append_number(out, k.*std::get<float KivClass::*>(p.accessor));
    case PropType::Double: return append_number(out, k.*std::get<double KivClass::*>(p.accessor));
    case PropType::Boolean:
    case PropType::Integer:
    case PropType::Modelall:
    case PropType::SeriesList: {
      double value = 0.0;
      detail::read_number(k, p, value);
      if (p.type == PropType::Boolean) out += value != 0.0 ? "true" : "false";
      else append_integer(out, static_cast<int64_t>(value));
      return;
    }
  }
}

}  // namespace

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
  if (p.type == PropType::Variant) {
    const Variant& v = k.*std::get<Variant KivClass::*>(p.accessor);
    if (v.is_text()) return v.text();  // the only cell that may need quotes
  }
  std::string out;
  append_cell(out, k, p);
  return out;
}

std::string output_header() {
  std::string out;
  for (const auto& column : detail::result_columns()) {
    if (!out.empty()) out += ',';
    append_csv_field(out, column.name);
  }
  out += '\n';
  return out;
}

void append_output_row(std::string& out, const KivClass& k, const detail::CaseOutcome& outcome) {
  bool first = true;
  for (const auto& column : detail::result_columns()) {
    if (!first) out += ',';
    first = false;
    if (column.property) {
      append_cell(out, k, *column.property);
      continue;
    }
    const detail::CellValue value = column.value(k, outcome);
    if (const auto* i = std::get_if<int64_t>(&value)) append_integer(out, *i);
    else if (const auto* t = std::get_if<std::string>(&value)) append_csv_field(out, *t);
    else if (const auto* b = std::get_if<bool>(&value)) out += *b ? "true" : "false";
    else append_number(out, std::get<double>(value));
  }
  out += '\n';
}

void append_output_row(std::string& out, const KivClass& k, int failure_number,
                       std::string_view failure_text) {
  append_output_row(out, k, detail::CaseOutcome{failure_number, std::string(failure_text)});
}

}  // namespace novaflux::tool
