#include "component/result_columns.hpp"

#include <exception>
#include <vector>

#include "common/module_state.hpp"
#include "common/run_error.hpp"

namespace novaflux::detail {

namespace {

CellValue failure_number(const KivClass&, const CaseOutcome& o) { return int64_t{o.failure_number}; }
CellValue failure_text(const KivClass&, const CaseOutcome& o) { return o.failure_text; }

std::vector<ResultColumn> build_columns() {
  std::vector<ResultColumn> columns;
  for (const auto& p : properties()) columns.push_back({p.name, CellType::Property, &p, nullptr});
  columns.push_back({"failure_number", CellType::Integer, nullptr, failure_number});
  columns.push_back({"failure_text", CellType::Text, nullptr, failure_text});
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
