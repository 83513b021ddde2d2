#include "component/result_columns.hpp"

#include <exception>
#include <vector>

#include "common/module_state.hpp"
#include "common/run_error.hpp"
#include "novaflux/result_view.hpp"

namespace novaflux::detail {

namespace {

CellValue failure_number(const KivClass&, const CaseOutcome& o) { return int64_t{o.failure_number}; }
CellValue failure_text(const KivClass&, const CaseOutcome& o) { return o.failure_text; }
// Empty after a failed run: its leaving states are not those of the case.
CellValue frost_risk_cell(const KivClass& k, const CaseOutcome& o) {
  if (o.failure_number != 0) return std::string{};
  return frost_risk(k);
}

std::vector<ResultColumn> build_columns() {
  std::vector<ResultColumn> columns;
  for (const auto& p : properties()) columns.push_back({p.name, CellType::Property, &p, nullptr});
  columns.push_back({"failure_number", CellType::Integer, nullptr, failure_number});
  columns.push_back({"failure_text", CellType::Text, nullptr, failure_text});
  columns.push_back({"frost_risk", CellType::Boolean, nullptr, frost_risk_cell});
  return columns;
}

}  // namespace

std::span<const ResultColumn> result_columns() {
  static const std::vector<ResultColumn> columns = build_columns();
  return columns;
}

void reset_for_case() { reset_between_cases(); }

CaseOutcome outcome_of_current_exception() {
  try {
    throw;
  } catch (const RunError& e) {
    return {e.code(), e.what()};
  } catch (const std::exception& e) {
    return {1, e.what()};
  } catch (...) {
    return {1, "unknown failure"};
  }
}

}  // namespace novaflux::detail
