#pragma once
// The columns of a rated case, for every consumer that lays many cases out as a table (the
// tool's batch CSV, the Python module's data frames): every property in interface order, then
// the run's own columns. Consumers format the cells; this list says what the columns are.
//
// The run's own columns:
//   failure_number  0 when the run completed, else the number of the failure that ended it
//                   (a RunError's number; 1 for any other failure)
//   failure_text    "" when the run completed, else the failure's description
//   frost_risk      whether the winter exhaust air may freeze in the wheel (frost_risk of
//                   novaflux/result_view.hpp); "" after a failed run
// Warnings of a completed run are the KivOutErrorCode / KivOutErrorMsg properties, as ever.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "component/interface_table.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux::detail {

// How one independent case ended.
struct CaseOutcome {
  int failure_number = 0;
  std::string failure_text;
};

// Rates `object` (a new object holding the case's inputs, written by `apply`) from the state a
// new thread starts with, so that the result depends on nothing rated before on this thread.
// A failure of `apply` or of the run becomes the outcome; nothing is thrown.
template <class Apply>
CaseOutcome rate_case(KivClass& object, bool model_run, Apply&& apply);

// The value of a run's own column. Cell types: Integer holds int64_t, Text std::string,
// Boolean bool, Number double.
enum class CellType { Property, Integer, Text, Boolean, Number };
using CellValue = std::variant<int64_t, std::string, bool, double>;

struct ResultColumn {
  std::string_view name;
  CellType type;
  const PropertyInfo* property;  // Property columns only
  CellValue (*value)(const KivClass&, const CaseOutcome&);  // the run's own columns only
};

std::span<const ResultColumn> result_columns();

// Implementation of rate_case: the reset and the catch shared by every table of cases.
void reset_for_case();
CaseOutcome outcome_of_current_exception();

template <class Apply>
CaseOutcome rate_case(KivClass& object, bool model_run, Apply&& apply) {
  reset_for_case();
  try {
    apply(object);
    if (model_run) object.CalculateOutputModel();
    else object.CalculateOutput();
  } catch (...) {
    return outcome_of_current_exception();
  }
  return {};
}

}  // namespace novaflux::detail
