#include "files.hpp"

#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

#include "rating_json/rating_request.hpp"

namespace novaflux::tool {

std::string read_all(const std::string& path) {
  if (path == "-") return std::string(std::istreambuf_iterator<char>(std::cin), {});
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

nlohmann::json read_json_input(const std::string& path) {
  return parse_json_text(read_all(path), path == "-" ? std::string("standard input") : path);
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
