// Several views of one rating's inputs merged column by column.
#include "novaflux/result_view.hpp"

namespace novaflux {

ResultView side_by_side(const std::vector<ResultView>& views, const std::vector<std::string>& labels) {
  if (views.empty()) return {};
  ResultView out;
  out.si = views.front().si;
  out.model = views.front().model;
  for (size_t s = 0; s < views.front().sections.size(); ++s) {
    const ViewTable& first = views.front().sections[s];
    ViewTable merged{first.title, {first.headings.front()}, {}};
    const bool has_unit = first.headings.back() == "Unit";
    const size_t value_columns = first.headings.size() - 1 - (has_unit ? 1 : 0);
    for (size_t v = 0; v < views.size(); ++v)
      for (size_t c = 1; c <= value_columns; ++c)
        merged.headings.push_back(first.headings[c] == "Value" ? labels[v] : first.headings[c] + " (" + labels[v] + ")");
    if (has_unit) merged.headings.push_back("Unit");
    for (size_t r = 0; r < first.rows.size(); ++r) {
      std::vector<std::string> row{first.rows[r].front()};
      // Rows are matched by their label: a view may lack one (a fixed-model run publishes no
      // atmospheric pressure), which then shows empty cells.
      for (const auto& view : views) {
        const std::vector<std::string>* cells = nullptr;
        if (s < view.sections.size())
          for (const auto& candidate : view.sections[s].rows)
            if (!candidate.empty() && candidate.front() == first.rows[r].front()) cells = &candidate;
        for (size_t c = 1; c <= value_columns; ++c)
          row.push_back(cells && c < cells->size() ? (*cells)[c] : std::string());
      }
      if (has_unit) row.push_back(first.rows[r].back());
      merged.rows.push_back(std::move(row));
    }
    out.sections.push_back(std::move(merged));
  }
  for (size_t v = 0; v < views.size(); ++v) {
    for (auto w : views[v].warnings) {
      w.text = labels[v] + ": " + w.text;
      out.warnings.push_back(std::move(w));
    }
    if (views[v].failure && !out.failure) {
      out.failure = views[v].failure;
      out.failure->description = labels[v] + ": " + out.failure->description;
    }
  }
  return out;
}

}  // namespace novaflux
