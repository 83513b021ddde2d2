#pragma once
// The columns of a batch, driven by the interface table: an input file's header names input
// properties; the output has every property in interface order, then the run's failure.
//
// Output columns after the properties:
//   failure_number  0 when the run completed, else the number of the failure that ended it
//                   (a RunError's number; 1 for any other failure)
//   failure_text    "" when the run completed, else the failure's description
//   frost_risk      true when the winter exhaust air may freeze in the wheel (see
//                   novaflux/result_view.hpp; the leaving dry bulb is KivoutEaW_DBT), false
//                   when not, "" when the run failed
// Warnings of a completed run are the KivOutErrorCode / KivOutErrorMsg properties, as ever.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "component/interface_table.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux::tool {

inline constexpr std::string_view kFailureNumberColumn = "failure_number";
inline constexpr std::string_view kFailureTextColumn = "failure_text";

// Columns the tool derives from a rating, after the failure columns: a name and its cell.
struct DerivedColumn {
  std::string_view name;
  std::string (*cell)(const KivClass& object, int failure_number);
};
extern const DerivedColumn kDerivedColumns[1];

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

// One output line (with its line break): every property of the object, then the failure.
void append_output_row(std::string& out, const KivClass& object, int failure_number,
                       std::string_view failure_text);

// The text of a property in an output cell, before quoting: Booleans true/false, numbers the
// shortest text that reads back as the same value (of a float for Single properties),
// enumerations their number, variants their number or text ("" when empty).
std::string cell_text(const KivClass& object, const detail::PropertyInfo& property);

}  // namespace novaflux::tool
