// Rating every model that fits: the fit range is the one CalculateOutputModel checks (its
// model-record step), each model is rated by CalculateOutputModel, and the automatic pick is
// CalculateOutput's.
#include "novaflux/selection.hpp"

#include <algorithm>

#include "catalogue/catalogue.hpp"
#include "common/fp_state.hpp"
#include "common/module_state.hpp"
#include "common/run_error.hpp"
#include "component/run_steps.hpp"

namespace novaflux {

namespace {

std::optional<RunFailure> run(KivClass& k, bool model_run) {
  try {
    if (model_run) k.CalculateOutputModel();
    else k.CalculateOutput();
  } catch (const RunError& e) {
    return RunFailure{e.code(), e.what()};
  } catch (const std::exception& e) {
    return RunFailure{1, e.what()};
  }
  return std::nullopt;
}

ShareRating rate_share(const KivClass& inputs, double percent, std::optional<Modelall> model) {
  reset_between_cases();
  ShareRating r;
  r.airflow_percent = percent;
  copy_inputs(inputs, r.result);
  scale_airflows(r.result, percent);
  if (model) r.result.KivinputModel = *model;
  r.failure = run(r.result, model.has_value());
  r.warnings = result_warnings(r.result, !r.failure);
  return r;
}

struct FitRange {
  int32_t first = 0, last = 0;
  std::string type;
};

// A fixed-model run for a model below every id stops at the range check, after the selection
// and model-record steps have found the first and last fitting ids.
FitRange fit_range(const KivClass& inputs, double percent) {
  reset_between_cases();
  KivClass probe;
  copy_inputs(inputs, probe);
  scale_airflows(probe, percent);
  probe.KivinputModel = static_cast<Modelall>(-1);
  probe.CalculateOutputModel();
  auto& fields = detail::fields(probe);
  return {static_cast<int32_t>(fields.FirstModelId), static_cast<int32_t>(fields.LastModelId),
          module_state().constants.ModelTypeCode};
}

}  // namespace

std::vector<ShareRating> rate_at_airflows(const KivClass& inputs, const std::vector<double>& percents,
                                          std::optional<Modelall> model) {
  const FpStateGuard fp;
  std::vector<ShareRating> out;
  for (double p : percents) {
    out.push_back(rate_share(inputs, p, model));
    // Part-load figures belong to the wheel chosen at the first share, not to another pick.
    if (!model && !out.back().failure)
      model = static_cast<Modelall>(static_cast<int32_t>(detail::fields(out.back().result).SelectedModelId));
  }
  return out;
}

Selection rate_fitting_models(const KivClass& inputs, const std::vector<double>& percents) {
  const FpStateGuard fp;
  Selection selection;
  const std::vector<double> shares = percents.empty() ? std::vector<double>{100.0} : percents;
  {
    ShareRating automatic = rate_share(inputs, shares.front(), std::nullopt);
    selection.automatic_failure = automatic.failure;
    // Inputs that the automatic run cannot rate (unusable values, no catalogue) fail every model.
    if (automatic.failure) return selection;
    selection.automatic = static_cast<Modelall>(static_cast<int32_t>(detail::fields(automatic.result).SelectedModelId));
  }
  const FitRange range = fit_range(inputs, shares.front());
  const Catalogue& catalogue = detail::CurrentCatalogue();
  const bool without_purge = inputs.get_KivPurgeWithout();
  for (const auto& row : catalogue.modelmast) {
    if (!row.modelid || !row.type || *row.type != range.type) continue;
    const auto id = static_cast<int32_t>(*row.modelid);
    if (range.first == 0 || id < range.first || id > range.last) continue;
    ModelRating m;
    m.model = static_cast<Modelall>(id);
    m.face_area_ft2 = (without_purge ? row.wonetarearot : row.netarearot).value_or(0.0);
    m.automatic = selection.automatic && *selection.automatic == m.model;
    selection.models.push_back(std::move(m));
  }
  std::stable_sort(selection.models.begin(), selection.models.end(),
                   [](const ModelRating& a, const ModelRating& b) { return a.face_area_ft2 < b.face_area_ft2; });
  for (auto& m : selection.models) m.ratings = rate_at_airflows(inputs, shares, m.model);
  return selection;
}

}  // namespace novaflux
