#pragma once
// The product catalogue held in memory: the six tables of NOVAFLUX.db as typed rows, in the
// file's row order. A Null cell is an empty optional; a numeric column that holds text is read
// as the text's leading number.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace novaflux {

using Num = std::optional<double>;
using Text = std::optional<std::string>;

struct ModelRow {
  Num modelid;
  Text type;
  Num rotor_dia;
  Num netarearot;    // ft2, wheel with purge sector
  Num wonetarearot;  // ft2, wheel without purge sector
};

struct CurveRow {
  Num velocityfpm;
  Num rotdepth;
  Text series;
  Text type;
  Num efficiency;
  Num sefficiency;
  Num lefficiency;
  Num pdroppa;
};

struct LeakageRow {
  Num Pressure_Differential;    // Pa
  Num Pressure_Differentialin;  // in. w.g.
  Num EATRwp, OACFwp, Purge_Anglewp;
  Num EATRwop, OACFwop, Purge_Anglewop;
};

struct DimensionRow {
  Num rotor_dia;
  Text series;
  Text type;
  Num rotdepth;
  Num dimH, dimD, drivemot, Weight;
};

struct DewpointRow {
  Num grsp;  // grains/lb
  Num dewf;  // degF
};

// The rows of a curve table with one rotor depth, series and type (none of them Null) and a
// velocity, as positions in the table ordered by velocity, rows of equal velocity in table
// order: a lookup reads only its key's rows. (Every number of a loaded catalogue is finite.)
struct CurveGroup {
  double rotdepth = 0.0;
  std::string series;
  std::string type;
  std::vector<uint32_t> rows;

  bool holds(double depth, const std::string& s, const std::string& t) const {
    return rotdepth == depth && series == s && type == t;
  }
};
std::vector<CurveGroup> group_curve_rows(const std::vector<CurveRow>& rows);

struct Catalogue {
  std::string path;
  std::vector<ModelRow> modelmast;
  std::vector<CurveRow> txlmastS;
  std::vector<CurveRow> txlmastW;
  std::vector<CurveGroup> txlmastS_groups;  // filled once the table is read
  std::vector<CurveGroup> txlmastW_groups;
  std::vector<LeakageRow> eatrvalue;
  std::vector<DimensionRow> dimension;
  std::vector<DewpointRow> dewpoint;
};

// The tables and columns the component reads, in the order of the row structs' members.
struct CatalogueColumn {
  std::string_view name;
  bool numeric;  // false: a text column (type, series)
};
struct CatalogueTable {
  std::string_view name;
  std::span<const CatalogueColumn> columns;
};
std::span<const CatalogueTable> catalogue_tables();

// Reads the whole catalogue from an SQLite file opened read-only, all tables in one read
// transaction. Throws RunError (ErrorNumber::Catalogue, not ignorable) naming the file and the
// defect: missing, not a database, truncated, a table or column missing. Nothing is returned
// partially.
std::shared_ptr<const Catalogue> load_catalogue(const std::string& path);

// The per-thread connection: the loaded catalogue and what identifies the file it came from.
struct CatalogueConnection;

// The catalogue of the current file for this thread: reloaded when the file was replaced,
// rewritten or changed through SQLite (also in WAL mode) since the last call, or when the
// catalogue path was changed; otherwise the one already loaded, at the cost of a look at the
// kernel's change notifications (under a microsecond). Throws as load_catalogue.
//
// The reference stays valid until this thread's catalogue has been reloaded a few times
// (the last four snapshots are kept); hold current_catalogue() to keep one for longer.
const Catalogue& open_database();

// The snapshot open_database() returned last on this thread, shared (null before the first).
std::shared_ptr<const Catalogue> current_catalogue();

// The path the component reads: the override of set_catalogue_path, or NOVAFLUX.db in the
// component's folder.
std::string effective_catalogue_path();

// The override of set_catalogue_path as it was set ("" when the default is in use).
std::string catalogue_path_override();

namespace detail {
// Change detection through the kernel's file notifications (inotify) is on by default; off,
// every call polls the file, its WAL file and PRAGMA data_version instead. For tests of both
// ways; takes effect at the next open_database() of every thread.
void set_catalogue_change_notifications(bool enabled);
// True when this thread's catalogue is watched through notifications (snapshots of a watched
// file are shared between threads).
bool catalogue_watched();
}  // namespace detail

}  // namespace novaflux
