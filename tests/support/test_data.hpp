#pragma once
// Reference cases kept as data under tests/data/.
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

namespace novaflux::test_support {

inline std::string data_path(const std::string& name) {
  return std::string(NOVAFLUX_SOURCE_DIR) + "/tests/data/" + name;
}

inline nlohmann::ordered_json load_json(const std::string& name) {
  std::ifstream in(data_path(name));
  if (!in) throw std::runtime_error("cannot open tests/data/" + name);
  return nlohmann::ordered_json::parse(in, nullptr, true, /*ignore_comments=*/true);
}

// The members of `group` in a data file, for ::testing::ValuesIn.
inline std::vector<nlohmann::ordered_json> rows(const std::string& name, const std::string& group) {
  const nlohmann::ordered_json all = load_json(name);
  return std::vector<nlohmann::ordered_json>(all.at(group).begin(), all.at(group).end());
}

// Rows of a CSV file without quoting: '#' lines are comments, the first other line the header.
struct CsvTable {
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
  size_t column(const std::string& name) const {
    for (size_t i = 0; i < columns.size(); ++i)
      if (columns[i] == name) return i;
    throw std::runtime_error("no column " + name);
  }
};

inline CsvTable read_csv(const std::string& path, char delimiter = ',') {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot open " + path);
  CsvTable t;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cells(1);
    for (char c : line) c == delimiter ? (void)cells.emplace_back() : cells.back().push_back(c);
    (t.columns.empty() ? t.columns : t.rows.emplace_back()) = cells;
  }
  return t;
}

}  // namespace novaflux::test_support
