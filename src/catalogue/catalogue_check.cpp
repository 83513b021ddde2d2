#include "catalogue/catalogue_builder.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <set>
#include <string_view>
#include <utility>

#include "catalogue/catalogue.hpp"
#include "catalogue/catalogue_file.hpp"
#include "catalogue/catalogue_source.hpp"
#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux {

namespace {
using catalogue_source::lower;
using catalogue_source::quoted_name;
using Db = catalogue_io::Connection;
using Stmt = catalogue_io::Statement;
}  // namespace

namespace {

// One cell as stored: its SQLite type and value.
struct Cell {
  int type = SQLITE_NULL;
  double number = 0.0;
  std::string text;

  bool is_number() const { return type == SQLITE_INTEGER || type == SQLITE_FLOAT; }
  std::string shown() const {
    if (type == SQLITE_NULL) return "Null";
    if (is_number()) return number_text(number);
    return "'" + text + "'";
  }
};

using Rows = std::vector<std::vector<Cell>>;

class Checker {
public:
  explicit Checker(std::string path) : path_(std::move(path)) {}

  CheckReport run() {
    // The loader names the first defect that stops it. One of the file as a whole (missing,
    // not a database, truncated, damaged) ends the check; missing tables or columns are all
    // listed below, and the tables that are complete are checked further.
    try {
      load_catalogue(path_);
    } catch (const RunError& e) {
      const std::string message = e.what();
      const bool schema = message.find(": no table ") != std::string::npos ||
                          message.find(" has no column ") != std::string::npos;
      if (!schema) {
        defect(message);
        return std::move(report_);
      }
    }

    Db db;
    if (sqlite3_open_v2(path_.c_str(), &db.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
      defect("catalogue " + path_ + ": " + (db.db ? sqlite3_errmsg(db.db) : "cannot be opened"));
      return std::move(report_);
    }
    sqlite3_busy_timeout(db.db, 2000);
    // A double-quoted name that is no column must not read as a text literal.
    sqlite3_db_config(db.db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);

    std::map<std::string, Rows> tables;
    for (const auto& table : catalogue_tables()) {
      std::vector<std::string> present;
      {
        Stmt s;
        if (sqlite3_prepare_v2(db.db, "SELECT name FROM pragma_table_info(?1)", -1, &s.stmt,
                               nullptr) == SQLITE_OK) {
          sqlite3_bind_text(s.stmt, 1, table.name.data(), int(table.name.size()), SQLITE_STATIC);
          while (sqlite3_step(s.stmt) == SQLITE_ROW)
            present.push_back(lower(reinterpret_cast<const char*>(sqlite3_column_text(s.stmt, 0))));
        }
      }
      if (present.empty()) {
        defect("no table " + std::string(table.name));
        continue;
      }
      bool complete = true;
      for (const auto& c : table.columns) {
        if (std::find(present.begin(), present.end(), lower(c.name)) == present.end()) {
          defect("table " + std::string(table.name) + " has no column " + std::string(c.name));
          complete = false;
        }
      }
      if (complete) tables[std::string(table.name)] = read(db.db, table);
    }

    for (const auto& table : catalogue_tables()) {
      const auto it = tables.find(std::string(table.name));
      if (it == tables.end()) continue;
      check_cells(table, it->second);
      note(std::string(table.name) + ": " + std::to_string(it->second.size()) + " rows");
    }
    if (auto it = tables.find("modelmast"); it != tables.end()) check_models(it->second);
    for (const char* name : {"txlmastS", "txlmastW"})
      if (auto it = tables.find(name); it != tables.end()) check_curve(name, it->second);
    if (auto it = tables.find("eatrvalue"); it != tables.end()) check_leakage(it->second);
    if (auto it = tables.find("dimension"); it != tables.end())
      check_dimension(it->second, tables.count("modelmast") ? &tables["modelmast"] : nullptr);
    if (auto it = tables.find("dewpoint"); it != tables.end() && it->second.empty())
      note("dewpoint: no rows (only the optional exhaust condensation adjustment reads it)");
    return std::move(report_);
  }

private:
  void defect(const std::string& text) { report_.defects.push_back(text); }
  void note(const std::string& text) { report_.notes.push_back(text); }

  Rows read(sqlite3* db, const CatalogueTable& table) {
    std::string columns;
    for (const auto& c : table.columns) {
      if (!columns.empty()) columns += ", ";
      columns += quoted_name(c.name);
    }
    const std::string select = "SELECT " + columns + " FROM " + quoted_name(table.name);
    Rows rows;
    Stmt s;
    if (sqlite3_prepare_v2(db, (select + " ORDER BY rowid").c_str(), -1, &s.stmt, nullptr) !=
            SQLITE_OK &&
        sqlite3_prepare_v2(db, select.c_str(), -1, &s.stmt, nullptr) != SQLITE_OK) {
      defect(std::string(table.name) + ": " + sqlite3_errmsg(db));
      return rows;
    }
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
      auto& row = rows.emplace_back();
      for (int i = 0; i < static_cast<int>(table.columns.size()); ++i) {
        Cell c;
        c.type = sqlite3_column_type(s.stmt, i);
        if (c.type == SQLITE_INTEGER || c.type == SQLITE_FLOAT) {
          c.number = sqlite3_column_double(s.stmt, i);
        } else if (c.type != SQLITE_NULL) {
          const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s.stmt, i));
          c.text.assign(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(s.stmt, i)));
        }
        row.push_back(std::move(c));
      }
    }
    if (rc != SQLITE_DONE) defect(std::string(table.name) + ": " + sqlite3_errmsg(db));
    return rows;
  }

  static std::string row_label(std::string_view table, size_t index) {
    return std::string(table) + " row " + std::to_string(index + 1);
  }

  // Nulls and text where a number belongs, Nulls where a text belongs.
  void check_cells(const CatalogueTable& table, const Rows& rows) {
    const bool leakage = table.name == "eatrvalue";
    for (size_t r = 0; r < rows.size(); ++r) {
      for (size_t c = 0; c < table.columns.size(); ++c) {
        const auto& col = table.columns[c];
        const Cell& cell = rows[r][c];
        const std::string where = row_label(table.name, r) + ": " + std::string(col.name);
        if (cell.type == SQLITE_NULL) {
          // A leakage row may carry only one of the two pressure steps.
          if (leakage && c < 2) continue;
          defect(where + " is Null" + (col.numeric ? std::string(" (matches no lookup)") : std::string()));
        } else if (col.numeric && !cell.is_number()) {
          defect(where + " holds text " + cell.shown() + " where a number belongs (read as " +
                 number_text(leading_number(cell.text)) + ")");
        }
      }
      if (leakage && rows[r][0].type == SQLITE_NULL && rows[r][1].type == SQLITE_NULL)
        defect(row_label(table.name, r) + ": neither Pressure_Differential nor Pressure_Differentialin");
    }
  }

  static bool number(const Cell& c, double& out) {
    if (!c.is_number()) return false;
    out = c.number;
    return true;
  }

  void check_models(const Rows& rows) {
    // Duplicate ids.
    std::map<double, size_t> first_row;
    for (size_t r = 0; r < rows.size(); ++r) {
      double id = 0;
      if (!number(rows[r][0], id)) continue;
      const auto [it, inserted] = first_row.emplace(id, r);
      if (!inserted)
        defect("modelmast: modelid " + number_text(id) + " in row " + std::to_string(it->second + 1) +
               " and row " + std::to_string(r + 1));
    }

    // Rows of one type in ascending order of either area.
    for (size_t c : {size_t(3), size_t(4)}) {
      const std::string column = c == 3 ? "netarearot" : "wonetarearot";
      std::map<std::string, std::pair<double, size_t>> last;  // by type: area, row
      for (size_t r = 0; r < rows.size(); ++r) {
        double area = 0;
        if (!number(rows[r][c], area)) continue;
        if (area <= 0)
          defect(row_label("modelmast", r) + ": " + column + " " + number_text(area) +
                 " is not a face area (the face velocity divides by it)");
        const std::string type = rows[r][1].type == SQLITE_TEXT ? rows[r][1].text : "";
        const auto it = last.find(type);
        if (it != last.end()) {
          const auto [previous, previous_row] = it->second;
          if (area < previous)
            defect(row_label("modelmast", r) + ": " + column + " " + number_text(area) +
                   " below the " + number_text(previous) + " of row " +
                   std::to_string(previous_row + 1) + " of type '" + type +
                   "' (rows of one type must ascend in area)");
          else if (area == previous)
            note(row_label("modelmast", r) + ": " + column + " " + number_text(area) +
                 " equals that of row " + std::to_string(previous_row + 1) +
                 " (a required area equal to it selects neither model directly)");
        }
        last[type] = {area, r};
      }
    }
    for (size_t r = 0; r < rows.size(); ++r) {
      double with = 0, without = 0;
      if (number(rows[r][3], with) && number(rows[r][4], without) && without < with)
        note(row_label("modelmast", r) + ": wonetarearot " + number_text(without) +
             " below netarearot " + number_text(with) + " (the purge sector takes face area)");
    }

    // The models of the model list.
    struct Model {
      const char* name;
      int id;
      int diameter;
    };
    static constexpr Model kModels[] = {
#define NOVAFLUX_CHECK_MODEL(name, value, diameter) {#name, value, diameter},
        NOVAFLUX_MODELS(NOVAFLUX_CHECK_MODEL)
#undef NOVAFLUX_CHECK_MODEL
    };
    for (const auto& m : kModels) {
      const auto it = first_row.find(m.id);
      if (it == first_row.end()) {
        defect("modelmast: no row for model " + std::to_string(m.id) + " (" + m.name + ")");
        continue;
      }
      const auto& row = rows[it->second];
      if (row[1].type != SQLITE_TEXT || row[1].text != "E")
        defect(row_label("modelmast", it->second) + ": model " + std::to_string(m.id) +
               " has type " + row[1].shown() + ", the selection reads type 'E'");
      double dia = 0;
      if (number(row[2], dia) && dia != m.diameter)
        note(row_label("modelmast", it->second) + ": model " + std::to_string(m.id) +
             " has rotor_dia " + number_text(dia) + ", its name says " + std::to_string(m.diameter));
    }
  }

  static std::string key_text(const std::vector<Cell>& row) {
    return "rotor depth " + (row[1].is_number() ? number_text(row[1].number) : row[1].shown()) +
           ", series " + (row[2].type == SQLITE_TEXT ? row[2].text : row[2].shown()) +
           ", type " + (row[3].type == SQLITE_TEXT ? row[3].text : row[3].shown());
  }

  void check_curve(const std::string& table, const Rows& rows) {
    struct KeyState {
      double last_velocity = 0;
      size_t last_row = 0;
      std::map<double, size_t> seen;
    };
    std::map<std::string, KeyState> keys;
    for (size_t r = 0; r < rows.size(); ++r) {
      double v = 0;
      if (!number(rows[r][0], v)) continue;
      const std::string key = key_text(rows[r]);
      auto [it, fresh] = keys.try_emplace(key);
      KeyState& k = it->second;
      if (const auto dup = k.seen.find(v); dup != k.seen.end()) {
        defect(row_label(table, r) + ": velocityfpm " + number_text(v) + " again (row " +
               std::to_string(dup->second + 1) + ") for " + key +
               " (an exact lookup at that velocity finds two rows)");
      } else if (!fresh && v < k.last_velocity) {
        defect(row_label(table, r) + ": velocityfpm " + number_text(v) + " below the " +
               number_text(k.last_velocity) + " of row " + std::to_string(k.last_row + 1) +
               " for " + key + " (rows must ascend in velocity)");
      }
      k.seen.emplace(v, r);
      k.last_velocity = v;
      k.last_row = r;
    }
    const std::string required = "rotor depth 200, series F2, type N";
    const auto it = keys.find(required);
    if (it == keys.end()) {
      defect(table + ": no curve for " + required + " (every run reads it)");
    } else {
      const auto& seen = it->second.seen;
      const double low = seen.begin()->first, high = seen.rbegin()->first;
      if (low > 200 || high < 1100)
        note(table + ": the curve for " + required + " spans " + number_text(low) + " to " +
             number_text(high) + " fpm; velocities outside it are scaled from the end row");
    }
  }

  void check_leakage(const Rows& rows) {
    static constexpr double kSi[] = {0, 50, 100, 125, 200, 300, 400, 500, 600, 700, 750};
    static constexpr double kIp[] = {0, 0.4, 0.5, 0.8, 1.2, 1.6, 2, 2.5, 2.75, 3};
    const auto check_steps = [&](size_t column, std::span<const double> steps, const char* name,
                                 const char* unit) {
      std::map<double, size_t> at;
      double last = 0;
      bool any = false;
      bool ascending = true;
      for (size_t r = 0; r < rows.size(); ++r) {
        double p = 0;
        if (!number(rows[r][column], p)) continue;
        const auto [it, inserted] = at.emplace(p, r);
        if (!inserted)
          defect(row_label("eatrvalue", r) + ": " + name + " " + number_text(p) + " again (row " +
                 std::to_string(it->second + 1) + ")");
        if (any && p < last) ascending = false;
        last = p;
        any = true;
      }
      for (double step : steps)
        if (!at.count(step))
          defect(std::string("eatrvalue: no row for ") + number_text(step) + " " + unit + " (" +
                 name + ")");
      if (!ascending)
        note(std::string("eatrvalue: ") + name + " is not in ascending order");
    };
    check_steps(0, kSi, "Pressure_Differential", "Pa");
    check_steps(1, kIp, "Pressure_Differentialin", "in. w.g.");
  }

  void check_dimension(const Rows& rows, const Rows* models) {
    std::map<std::string, size_t> seen;
    std::set<double> rotors;  // of series F2, type E, depth 200
    for (size_t r = 0; r < rows.size(); ++r) {
      const auto& row = rows[r];
      const std::string key =
          "rotor " + row[0].shown() + ", series " + row[1].shown() + ", type " + row[2].shown() +
          ", rotor depth " + row[3].shown();
      const auto [it, inserted] = seen.emplace(key, r);
      if (!inserted)
        defect(row_label("dimension", r) + ": a second row for " + key + " (row " +
               std::to_string(it->second + 1) + ")");
      double dia = 0, depth = 0;
      if (number(row[0], dia) && number(row[3], depth) && depth == 200 &&
          row[1].type == SQLITE_TEXT && row[1].text == "F2" && row[2].type == SQLITE_TEXT &&
          row[2].text == "E")
        rotors.insert(dia);
    }
    if (!models) return;
    for (size_t r = 0; r < models->size(); ++r) {
      const auto& m = (*models)[r];
      double dia = 0;
      if (m[1].type == SQLITE_TEXT && m[1].text == "E" && number(m[2], dia) && !rotors.count(dia))
        note("dimension: no cassette data for rotor " + number_text(dia) +
             " (series F2, type E, depth 200); its runs keep the previous cassette outputs");
    }
  }

  std::string path_;
  CheckReport report_;
};

}  // namespace

CheckReport check_catalogue(const std::string& path) { return Checker(path).run(); }

}  // namespace novaflux
