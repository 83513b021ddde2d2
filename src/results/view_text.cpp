// The datasheet view as plain text: every table with its columns aligned.
#include <algorithm>
#include <sstream>
#include <string>

#include "novaflux/result_view.hpp"

namespace novaflux {

namespace {

// Display width of UTF-8 text: code points, not bytes (°, ³ and — take one column).
size_t width(const std::string& s) {
  return static_cast<size_t>(std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string padded(const std::string& s, size_t w, bool right) {
  const std::string fill(w > width(s) ? w - width(s) : 0, ' ');
  return right ? fill + s : s + fill;
}

}  // namespace

std::string table_text(const ViewTable& t) {
  std::ostringstream out;
  std::vector<size_t> widths(t.headings.size(), 0);
  for (size_t c = 0; c < t.headings.size(); ++c) widths[c] = width(t.headings[c]);
  for (const auto& row : t.rows)
    for (size_t c = 0; c < row.size() && c < widths.size(); ++c) widths[c] = std::max(widths[c], width(row[c]));
  // Units, names and words read best left aligned like the labels; figures right aligned.
  const auto left = [&](size_t c) {
    const std::string& h = t.headings[c];
    return c == 0 || h == "Unit" || h == "Value" || h == "Model" || h == "Warnings" || h.empty();
  };
  const auto line = [&](const std::vector<std::string>& cells) {
    std::string text = " ";
    for (size_t c = 0; c < widths.size(); ++c)
      text += " " + padded(c < cells.size() ? cells[c] : std::string(), widths[c], !left(c));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out << text << "\n";
  };
  out << t.title << "\n";
  line(t.headings);
  for (const auto& row : t.rows) line(row);
  out << "\n";
  return out.str();
}

std::string view_text(const ResultView& view) {
  std::ostringstream out;
  for (const auto& t : view.sections) out << table_text(t);
  out << "Warnings\n";
  if (view.warnings.empty()) out << "  none\n";
  for (const auto& w : view.warnings) out << "  " << w.code << ": " << w.text << "\n";
  if (view.failure)
    out << "\nRating failed\n  " << view.failure->number << ": " << view.failure->description << "\n";
  return out.str();
}

}  // namespace novaflux
