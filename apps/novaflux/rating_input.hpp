#pragma once
// What the rating verbs (rate, report, chart, select) share: reading the JSON input, the model
// a run is asked for, and running the rating with its failure as JSON.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "novaflux/kiv_class.hpp"

namespace novaflux::tool {

// The whole of a file, or of standard input for "-".
std::string read_all(const std::string& path);

// The JSON object of a file or standard input; throws naming the input when it is not JSON.
nlohmann::json read_json_input(const std::string& path);

// The model of a --model option (enumeration name or number); nullopt when none was given.
std::optional<Modelall> requested_model(const std::string& option);

// Runs CalculateOutput, or CalculateOutputModel for a model run; the failure that ended it as
// {"number", "description"}, or null.
nlohmann::json run_rating(KivClass& object, bool model_run);

// Writes text to a file, or to standard output for "-"; throws when it cannot.
void write_output(const std::string& path, const std::string& text);

}  // namespace novaflux::tool
