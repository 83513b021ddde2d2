// Fuzz target: the input file of `novaflux rate`, taken the way the tool takes it. The text is
// parsed as JSON and written into a new object; an object that names a model (KivinputModel)
// is rated as `--model` rates it, any other with the model selection. The result is then
// printed in every format: JSON, the property listing, the datasheet text and the HTML report
// with its chart.
//
// What counts as a finding, beyond a crash, a hang or a sanitizer report:
//   - a successful rating that publishes a NaN or an infinity in a numeric property;
//   - a failed rating without a description;
//   - a result that cannot be printed.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "common/run_error.hpp"
#include "component/interface_table.hpp"
#include "findings.hpp"
#include "rating_json/rating_json.hpp"
#include "datasheet/psychro_chart.hpp"
#include "datasheet/report_html.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux::fuzz {
const char* const kTargetName = "rate_json_fuzz";
}  // namespace novaflux::fuzz

namespace {

using novaflux::KivClass;
namespace detail = novaflux::detail;

using novaflux::fuzz::check_outputs_finite;
using novaflux::fuzz::finding;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const nlohmann::json input =
      nlohmann::json::parse(data, data + size, /*callback=*/nullptr, /*allow_exceptions=*/false);
  if (input.is_discarded()) return 0;  // the tool reports "not valid JSON"

  KivClass k;
  try {
    novaflux::apply_json(k, input);
  } catch (const std::invalid_argument&) {
    return 0;  // the tool reports the property and the defect
  }

  nlohmann::json error = nullptr;
  const bool fixed_model = k.KivinputModel != novaflux::Modelall{};
  try {
    if (fixed_model) k.CalculateOutputModel();
    else k.CalculateOutput();
  } catch (const novaflux::RunError& e) {
    if (std::string(e.what()).empty()) finding("run error " + std::to_string(e.code()) + " without a description");
    error = {{"number", e.code()}, {"description", e.what()}};
  }
  if (error.is_null()) check_outputs_finite(k);

  // Printing must succeed whatever the rating left behind.
  const std::string json = novaflux::result_json(k, error).dump(2);
  const std::string table = novaflux::property_listing(k, error);
  const auto view = novaflux::result_view(k, novaflux::failure_of(error));
  const std::string sheet = novaflux::view_text(view);
  const std::string report = novaflux::report_html(view, novaflux::chart_svg(novaflux::chart_input(k)));
  if (json.empty() || table.empty() || sheet.empty() || report.empty()) finding("empty printed result");
  return 0;
}
