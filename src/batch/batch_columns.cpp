#include "batch/batch_columns.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "common/numeric.hpp"
#include "batch/csv.hpp"
#include "rating_json/rating_json.hpp"

namespace novaflux {

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

// The cells of a row are written into a buffer on the stack and handed to the output text a
// few kilobytes at a time; only a text cell, of any length, goes straight to the text.
class CellWriter {
public:
  explicit CellWriter(std::string& out) : out_(out) {}
  CellWriter(const CellWriter&) = delete;
  CellWriter& operator=(const CellWriter&) = delete;

  // Room for one cell of at most kShortestTextSize characters, written by the caller up to
  // the pointer it hands to done().
  char* room() {
    if (end_ + kShortestTextSize > buffer_ + sizeof buffer_) flush();
    return end_;
  }
  void done(char* end) { end_ = end; }
  void put(char c) { *room() = c, ++end_; }
  void put(std::string_view fixed) { done(std::copy(fixed.begin(), fixed.end(), room())); }
  // Shortest text that reads back as the same value ("23.86", "10000", "1e+05"); never quoted.
  template <class T>
  void number(T x) {
    if (std::isnan(x)) put("nan");
    else done(shortest_chars(room(), x));
  }
  void integer(int64_t x) {
    char* at = room();
    done(std::to_chars(at, at + kShortestTextSize, x).ptr);
  }
  void text(std::string_view field) {
    flush();
    append_csv_field(out_, field);
  }
  void flush() {
    out_.append(buffer_, end_);
    end_ = buffer_;
  }

private:
  std::string& out_;
  char buffer_[4096];
  char* end_ = buffer_;
};

// A property's cell, quoted where its text needs it (only a text can).
void write_cell(CellWriter& out, const KivClass& k, const PropertyInfo& p) {
  switch (p.type) {
    case PropType::Variant: {
      const Variant& v = k.*std::get<Variant KivClass::*>(p.accessor);
      if (v.is_number()) out.number(v.number());
      else if (v.is_text()) out.text(v.text());
      return;
    }
    case PropType::Single: return out.number(k.*std::get<float KivClass::*>(p.accessor));
    case PropType::Double: return out.number(k.*std::get<double KivClass::*>(p.accessor));
    case PropType::Boolean:
    case PropType::Integer:
    case PropType::Modelall:
    case PropType::SeriesList: {
      double value = 0.0;
      detail::read_number(k, p, value);
      if (p.type == PropType::Boolean) out.put(value != 0.0 ? "true" : "false");
      else out.integer(static_cast<int64_t>(value));
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
  CellWriter writer(out);
  write_cell(writer, k, p);
  writer.flush();
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
  CellWriter writer(out);
  bool first = true;
  for (const auto& column : detail::result_columns()) {
    if (!first) writer.put(',');
    first = false;
    if (column.property) {
      write_cell(writer, k, *column.property);
      continue;
    }
    const detail::CellValue value = column.value(k, outcome);
    if (const auto* i = std::get_if<int64_t>(&value)) writer.integer(*i);
    else if (const auto* t = std::get_if<std::string>(&value)) writer.text(*t);
    else if (const auto* b = std::get_if<bool>(&value)) writer.put(*b ? "true" : "false");
    else writer.number(std::get<double>(value));
  }
  writer.put('\n');
  writer.flush();
}

void append_output_row(std::string& out, const KivClass& k, int failure_number,
                       std::string_view failure_text) {
  append_output_row(out, k, detail::CaseOutcome{failure_number, std::string(failure_text)});
}

}  // namespace novaflux
