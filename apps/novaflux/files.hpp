#pragma once
// The tool's inputs and outputs: files, or standard input and output for "-".
#include <nlohmann/json.hpp>
#include <string>

namespace novaflux::tool {

// The whole of a file, or of standard input for "-".
std::string read_all(const std::string& path);

// The JSON of a file or standard input; throws naming the input when it is not JSON.
nlohmann::json read_json_input(const std::string& path);

// Writes text to a file, or to standard output for "-"; throws when it cannot.
void write_output(const std::string& path, const std::string& text);

}  // namespace novaflux::tool
