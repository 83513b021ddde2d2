#include "rating_input.hpp"

#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

#include "common/run_error.hpp"
#include "json_io.hpp"

namespace novaflux::tool {

std::string read_all(const std::string& path) {
  if (path == "-") return std::string(std::istreambuf_iterator<char>(std::cin), {});
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

nlohmann::json read_json_input(const std::string& path) {
  try {
    return nlohmann::json::parse(read_all(path));
  } catch (const nlohmann::json::parse_error& e) {
    throw std::runtime_error((path == "-" ? std::string("standard input") : path) +
                             " is not valid JSON: " + e.what());
  }
}

std::optional<Modelall> requested_model(const std::string& option) {
  if (option.empty()) return std::nullopt;
  const auto model = parse_model(option);
  if (!model) throw std::runtime_error("unknown model \"" + option + "\"");
  return model;
}

nlohmann::json run_rating(KivClass& k, bool model_run) {
  try {
    if (model_run) k.CalculateOutputModel();
    else k.CalculateOutput();
  } catch (const RunError& e) {
    return {{"number", e.code()}, {"description", e.what()}};
  } catch (const std::exception& e) {
    return {{"number", 1}, {"description", e.what()}};
  }
  return nullptr;
}

void write_output(const std::string& path, const std::string& text) {
  if (path == "-") {
    std::cout << text;
    return;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace novaflux::tool
