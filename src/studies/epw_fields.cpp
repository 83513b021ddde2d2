#include "studies/epw_fields.hpp"

#include "studies/weather_file.hpp"

namespace novaflux {

namespace {

std::string_view trimmed(std::string_view s) {
  if (s.empty() || (s.front() != ' ' && s.front() != '\t' && s.back() != ' ' && s.back() != '\t')) return s;
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The length of the UTF-8 sequence starting at s[i], or 0 when it is not one.
size_t utf8_sequence(std::string_view s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = byte(i);
  if (c < 0x80) return 1;
  size_t n = 0;
  if ((c & 0xE0) == 0xC0 && c >= 0xC2) n = 2;
  else if ((c & 0xF0) == 0xE0) n = 3;
  else if ((c & 0xF8) == 0xF0 && c <= 0xF4) n = 4;
  else return 0;
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  return n;
}

}  // namespace

const std::vector<std::string_view>& FieldSplitter::split(std::string_view line, const std::string& name,
                                                          uint64_t line_number) {
  fields_.clear();
  if (!unquoted_.empty()) unquoted_.clear();
  size_t pos = 0;
  for (;;) {
    const size_t field = fields_.size() + 1;
    size_t start = pos;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    if (start < line.size() && line[start] == '"') {
      std::string text;
      size_t i = start + 1;
      for (;; ++i) {
        if (i >= line.size())
          throw WeatherFileError(weather_message(name, line_number, field, "", "a quoted field is never closed"),
                                 line_number, field);
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            text += '"';
            ++i;
            continue;
          }
          break;
        }
        text += line[i];
      }
      size_t end = i + 1;
      while (end < line.size() && (line[end] == ' ' || line[end] == '\t')) ++end;
      if (end < line.size() && line[end] != ',')
        throw WeatherFileError(
            weather_message(name, line_number, field, "", "text after the closing quote of a field"),
            line_number, field);
      unquoted_.push_back(std::string(trimmed(text)));
      fields_.push_back(unquoted_.back());
      if (end >= line.size()) return fields_;
      pos = end + 1;
      continue;
    }
    // A plain loop: the fields of an hourly row are a few characters each, too short for a
    // library search to pay for its call.
    size_t comma = pos;
    while (comma < line.size() && line[comma] != ',') ++comma;
    fields_.push_back(trimmed(line.substr(pos, comma - pos)));
    if (comma == line.size()) return fields_;
    pos = comma + 1;
  }
}

std::string utf8_text(std::string_view bytes) {
  bool valid = true;
  for (size_t i = 0; i < bytes.size() && valid;) {
    const size_t n = utf8_sequence(bytes, i);
    valid = n != 0;
    i += n;
  }
  if (valid) return std::string(bytes);
  std::string out;
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string weather_message(const std::string& name, uint64_t line, size_t field, std::string_view what,
                            const std::string& message) {
  std::string out = name;
  if (line != 0) out += ", line " + std::to_string(line);
  if (field != 0) {
    out += ", field " + std::to_string(field);
    if (!what.empty()) out += " (" + std::string(what) + ")";
  }
  return out + ": " + message;
}

}  // namespace novaflux
