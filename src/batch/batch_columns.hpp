#pragma once
// The columns of a batch, driven by the interface table: an input file's header names input
// properties; the output has the result columns of component/result_columns.hpp (every
// property in interface order, then the run's failure).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "component/interface_table.hpp"
#include "component/result_columns.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux {

// One input row, converted and checked: a value per input column, empty where the cell was
// empty (the property then keeps the value of a new object).
struct BatchRow {
  uint64_t line = 0;  // where the record starts in the input
  std::vector<std::optional<double>> values;
};

class InputColumns {
public:
  // Binds a header to the properties it names. Throws CsvError (the header's line, the
  // column) on an empty, unknown, repeated or output-only name.
  InputColumns(const std::vector<std::string>& header, uint64_t line);

  size_t size() const noexcept { return columns_.size(); }
  const detail::PropertyInfo& property(size_t column) const { return *columns_[column]; }

  // Converts one record. Booleans take true/false (any case) or a number, nonzero meaning
  // True; KivinputModel takes the model's name or number; every other property a finite
  // number (nan, inf and 1e999 are not numbers here). Throws CsvError
  // on a record whose field count differs from the header's, or a cell that is not a value of
  // its property (naming line, column and property). Not thread-safe: one reader calls it.
  void convert(const std::vector<std::string>& fields, uint64_t line, BatchRow& row);

  // Writes a row's values into an object.
  void apply(const BatchRow& row, KivClass& object) const;

private:
  std::vector<const detail::PropertyInfo*> columns_;
  KivClass scratch_;  // every converted value is stored here once, as a check
};

// The header line (with its line break) of a batch output.
std::string output_header();

// One output line (with its line break): every result column of the object and its outcome.
void append_output_row(std::string& out, const KivClass& object, const detail::CaseOutcome& outcome);
void append_output_row(std::string& out, const KivClass& object, int failure_number,
                       std::string_view failure_text);

// The text of a property in an output cell, before quoting: Booleans true/false, numbers the
// shortest text that reads back as the same value (of a float for Single properties),
// enumerations their number, variants their number or text ("" when empty).
std::string cell_text(const KivClass& object, const detail::PropertyInfo& property);

}  // namespace novaflux
