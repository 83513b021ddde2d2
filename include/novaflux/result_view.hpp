#pragma once
// A rating laid out for an engineer: the inputs, the model, the air states, efficiencies,
// pressure drops, leakage and energy, grouped in labelled tables with the units of the run,
// and the warnings of the run in words (including the frost warning, which is not a property
// of the component).
#include <optional>
#include <string>
#include <vector>

#include "novaflux/kiv_class.hpp"

namespace novaflux {

// The failure that ended a run: a RunError's number and description (1 for any other failure).
struct RunFailure {
  int number = 0;
  std::string description;
};

struct ResultWarning {
  int code = 0;
  std::string text;         // the run's own message, or the tool's warning text
  std::string explanation;  // the same in plain words for a datasheet ("" when none is known)
};

// Frost warning code: outside the component's codes (4, 5, 6).
inline constexpr int kFrostRiskCode = 100;

// One table of the view: a title, column headings and rows of cells (text as shown). The first
// column holds the row labels; units stand in the headings or in a "Unit" column.
struct ViewTable {
  std::string title;
  std::vector<std::string> headings;
  std::vector<std::vector<std::string>> rows;
};

struct ResultView {
  bool si = true;
  std::string model;                   // the model name the run published ("" when none)
  std::vector<ViewTable> sections;     // in datasheet order
  std::vector<ResultWarning> warnings; // the run's warning, then the frost warning
  std::optional<RunFailure> failure;
};

// The view of an object after a run (or a failed one: what the run wrote stays, and the
// failure is shown).
ResultView result_view(const KivClass& object, const std::optional<RunFailure>& failure = std::nullopt);

// The view as aligned text: each table under its title, then the warnings and the failure.
std::string view_text(const ResultView& view);

// One table as aligned text: its title, headings and rows; labels, text and units left aligned,
// figures right aligned.
std::string table_text(const ViewTable& table);

// Views of the same inputs side by side (for example at 100 % and 75 % of the airflows): each
// table's value columns once per view, headed with the view's label; a "Unit" column once.
// The warnings are those of every view, prefixed with its label.
ResultView side_by_side(const std::vector<ResultView>& views, const std::vector<std::string>& labels);

// The run's warning (KivOutErrorCode / KivOutErrorMsg when the code is not 0) and the frost
// warning, in that order. The frost check needs the leaving states of a completed run; after a
// failed one only the run's own warning is given.
std::vector<ResultWarning> result_warnings(const KivClass& object, bool run_completed = true);

// Frost in the wheel: the winter exhaust air leaves at or below freezing (0 °C, 32 °F) and is at
// the component's saturation limit (99.9 % RH) or holds more moisture than saturated air at its
// dry bulb (it is below the frost point of its humidity ratio). Units of the run; altitude m.
bool frost_risk(double dry_bulb, double rh_percent, double humidity_ratio, bool si, double altitude_m);
// The same for the winter exhaust air leaving the wheel in an object's last run.
bool frost_risk(const KivClass& object);

// The warning for the winter exhaust state of an object, when frost_risk says so.
std::optional<ResultWarning> frost_warning(const KivClass& object);

}  // namespace novaflux
