#include "catalogue/catalogue_source.hpp"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "common/run_error.hpp"

namespace novaflux::catalogue_source {

[[noreturn]] void fail(const std::string& where, const std::string& defect) {
  throw RunError(ErrorNumber::Catalogue, where + ": " + defect);
}

std::string quoted_name(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}


std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) fail(path, errno == ENOENT ? "no such file" : std::strerror(errno));
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) fail(path, "cannot be read");
  return std::move(text).str();
}

}  // namespace novaflux::catalogue_source
