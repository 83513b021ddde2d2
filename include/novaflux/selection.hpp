#pragma once
// Comparing wheels: every model whose face velocities suit the airflows rated with
// CalculateOutputModel, the model CalculateOutput would pick marked, filters on pressure drop
// and efficiency, and the industry's standard rating conditions (AHRI 1060) at full and part
// airflow.
#include <optional>
#include <string>
#include <vector>

#include "novaflux/kiv_class.hpp"
#include "novaflux/result_view.hpp"

namespace novaflux {

// One air stream as dry bulb and wet bulb, °F.
struct DryWetBulb {
  double dry_bulb_f = 0.0;
  double wet_bulb_f = 0.0;
};

struct RatingConditions {
  std::string name;
  DryWetBulb summer_outdoor, summer_return, winter_outdoor, winter_return;
  std::vector<double> airflow_percents;  // shares of the given airflows to rate at
  bool balanced_flows = false;           // the return airflow (or mass flow) set to the supply's
  // A regulation's minimum of the thermal efficiency (the winter supply-side sensible
  // efficiency), judged by ecodesign_verdict; 0 when the conditions set none.
  double minimum_thermal_efficiency_percent = 0.0;
};

// AHRI 1060: summer outdoor 95/78 °F, return 75/63 °F; winter outdoor 35/33 °F, return
// 70/58 °F; at 100 % and 75 % of the airflows.
const RatingConditions& ahri_1060_conditions();

// EU Ecodesign of ventilation units (Regulation (EU) No 1253/2014): the dry reference
// conditions of the thermal efficiency, outdoor 5 °C and extract 25 °C (41 and 77 °F) with wet
// bulbs of 35 and 55 °F that keep the air dry through the wheel, balanced mass flows, at 100 %;
// minimum 73 % for a non-residential unit's heat recovery other than a run-around coil.
const RatingConditions& ecodesign_conditions();

// The thermal efficiency of a rating at conditions with a minimum, and whether it meets it.
struct EcodesignVerdict {
  double thermal_efficiency_percent = 0.0;
  double minimum_percent = 0.0;
  bool meets = false;
};
std::optional<EcodesignVerdict> ecodesign_verdict(const KivClass& rated, const RatingConditions& conditions);

// Copies every input property (those a host writes, the explicit ones included) of one object
// into another.
void copy_inputs(const KivClass& from, KivClass& to);

// Replaces the outdoor and return air inputs by the conditions, given as dry bulb + wet bulb,
// in °C when the object is SI (t = (t_F − 32) / 1.8) and °F otherwise; balanced conditions set
// the return airflow to the supply airflow.
void apply_rating_conditions(KivClass& object, const RatingConditions& conditions);

// Multiplies the airflow inputs by percent / 100 (the mass flows too in mass-flow mode).
void scale_airflows(KivClass& object, double percent);

// One rating of a model at one share of the airflows.
struct ShareRating {
  double airflow_percent = 100.0;
  KivClass result;  // the object after the run
  std::optional<RunFailure> failure;
  std::vector<ResultWarning> warnings;
};

struct ModelRating {
  Modelall model{};
  double face_area_ft2 = 0.0;  // net face area of the run's purge option
  bool automatic = false;      // the model CalculateOutput picks for these inputs
  std::vector<ShareRating> ratings;  // one per airflow share, in the order asked for
};

struct Selection {
  // The models whose supply and exhaust face velocities at the first airflow share lie in the
  // band CalculateOutputModel accepts, smallest face area first.
  std::vector<ModelRating> models;
  std::optional<Modelall> automatic;      // CalculateOutput's pick (nullopt when it failed)
  std::optional<RunFailure> automatic_failure;
};

// Rates every fitting model of the inputs at each share of the airflows (default: as given).
// Each rating runs on a new object from the state of a fresh thread; the calling thread's
// shared values are those of the last rating afterwards.
Selection rate_fitting_models(const KivClass& inputs, const std::vector<double>& airflow_percents = {100.0});

// Rates the inputs at each share of the airflows: CalculateOutputModel for the given model;
// without one, CalculateOutput at the first share and the model it picks at the others.
std::vector<ShareRating> rate_at_airflows(const KivClass& inputs, const std::vector<double>& airflow_percents,
                                          std::optional<Modelall> model = std::nullopt);

struct SelectionFilter {
  std::optional<double> max_pressure_drop_pa;   // the larger of the supply and exhaust drop
  std::optional<double> min_efficiency_percent; // the supply-side sensible efficiency
};

// The larger of the supply and exhaust pressure drops of the standard-air table, Pa (an IP
// run's in. w.g. times 253.95, the component's factor).
double largest_pressure_drop_pa(const KivClass& rated);

// Whether the model's first rating completed and meets the filter.
bool meets(const ModelRating& model, const SelectionFilter& filter);

}  // namespace novaflux
