#pragma once
// Making a catalogue file from its sources, and checking a catalogue file for the defects that
// would make a run read wrong data or none.
#include <string>
#include <vector>

namespace novaflux {

// Creates the SQLite catalogue `out_path` from `source_dir`/schema.sql and, for every table the
// schema creates, `source_dir`/<table>.csv: RFC 4180 text, the first line naming the columns
// (any order, any subset; a column left out stays Null). An empty field is Null (a quoted empty
// field is empty text in a text column); in a column of numeric type a number is stored as
// INTEGER or REAL and anything else as the text it is; in a text column everything is text.
// The file is written under a temporary name and renamed over `out_path` only when complete,
// so a failed build leaves no new file (and any earlier one as it was). Throws RunError
// (ErrorNumber::Catalogue) naming the file, line and column of the defect.
void build_catalogue(const std::string& source_dir, const std::string& out_path);

struct CheckReport {
  std::vector<std::string> defects;  // what makes runs fail or read wrong data
  std::vector<std::string> notes;    // worth knowing, harmless to the runs
  bool ok() const { return defects.empty(); }
};

// Reads a catalogue file and reports, one line each: tables or columns missing; Nulls or text
// where a number belongs; modelmast rows of one type out of ascending area order; duplicate
// model ids; a model of the model list missing; curve rows out of ascending velocity order or
// two at one velocity for a rotor depth, series and type; no curve for depth 200, series F2,
// type N in either curve table; a required leakage step missing or doubled; two cassette rows
// for one rotor. Rows are numbered from 1 in stored order (CSV line = row + 1). Never throws
// for a defect of the file.
CheckReport check_catalogue(const std::string& path);

}  // namespace novaflux
