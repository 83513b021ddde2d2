#include "server/multipart_form.hpp"

#include <cctype>
#include <optional>
#include <stdexcept>

namespace novaflux::server {

namespace {

// A form here has a unit, a weather file and a few options; more parts are not a form of ours.
constexpr size_t kMaxParts = 32;

[[noreturn]] void bad(const std::string& why) { throw std::invalid_argument("multipart/form-data body: " + why); }

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The parameter of a header value ("form-data; name=\"unit\"; filename=\"a.json\""), quoted
// or not; nullopt when absent.
std::optional<std::string> header_parameter(std::string_view value, std::string_view name) {
  size_t i = value.find(';');
  while (i != std::string_view::npos && i < value.size()) {
    ++i;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    const size_t eq = value.find('=', i);
    if (eq == std::string_view::npos) return std::nullopt;
    const std::string_view key = trimmed(value.substr(i, eq - i));
    std::string text;
    size_t j = eq + 1;
    if (j < value.size() && value[j] == '"') {
      for (++j; j < value.size() && value[j] != '"'; ++j) {
        if (value[j] == '\\' && j + 1 < value.size()) ++j;
        text.push_back(value[j]);
      }
      if (j >= value.size()) bad("an unclosed quote in a header parameter");
      ++j;
    } else {
      const size_t end = value.find(';', j);
      text = std::string(trimmed(value.substr(j, end == std::string_view::npos ? std::string_view::npos : end - j)));
      j = end == std::string_view::npos ? value.size() : end;
    }
    if (iequals(key, name)) return text;
    i = value.find(';', j);
  }
  return std::nullopt;
}

FormPart part_of(std::string_view headers, std::string_view body) {
  FormPart part;
  part.body = body;
  bool disposition = false;
  while (!headers.empty()) {
    const size_t end = headers.find("\r\n");
    const std::string_view line = headers.substr(0, end);
    headers = end == std::string_view::npos ? std::string_view() : headers.substr(end + 2);
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) bad("a part header without a colon");
    const std::string_view key = trimmed(line.substr(0, colon));
    const std::string_view value = trimmed(line.substr(colon + 1));
    if (iequals(key, "Content-Disposition")) {
      disposition = true;
      part.name = header_parameter(value, "name").value_or("");
      part.filename = header_parameter(value, "filename").value_or("");
    } else if (iequals(key, "Content-Type")) {
      part.content_type = std::string(value);
    }
  }
  if (!disposition || part.name.empty()) bad("a part without a field name (Content-Disposition: form-data; name=...)");
  return part;
}

}  // namespace

std::vector<FormPart> parse_multipart_form(std::string_view content_type, std::string_view body) {
  const size_t semicolon = content_type.find(';');
  if (!iequals(trimmed(content_type.substr(0, semicolon)), "multipart/form-data"))
    throw std::invalid_argument("expected a multipart/form-data body, got \"" + std::string(content_type.substr(0, 100)) + "\"");
  const std::string boundary = header_parameter(content_type, "boundary").value_or("");
  if (boundary.empty() || boundary.size() > 200) bad("the Content-Type names no usable boundary");
  const std::string delimiter = "--" + boundary;

  std::vector<FormPart> parts;
  size_t pos = body.rfind(delimiter, 0) == 0 ? 0 : body.find("\r\n" + delimiter);
  if (pos == std::string_view::npos) bad("no part starts with the boundary");
  if (pos != 0) pos += 2;
  for (;;) {
    pos += delimiter.size();
    if (body.substr(pos, 2) == "--") return parts;  // the closing delimiter
    const size_t line_end = body.find("\r\n", pos);
    if (line_end == std::string_view::npos) bad("the body ends inside a boundary line");
    const size_t headers_start = line_end + 2;
    // A part without headers starts with its blank line at once.
    const size_t headers_end = body.substr(headers_start, 2) == "\r\n" ? headers_start : body.find("\r\n\r\n", headers_start);
    if (headers_end == std::string_view::npos) bad("a part's headers never end");
    const size_t content = headers_end + (headers_end == headers_start ? 2 : 4);
    const size_t next = body.find("\r\n" + delimiter, content);
    if (next == std::string_view::npos) bad("the body does not end with the closing boundary");
    if (parts.size() == kMaxParts) bad("more than " + std::to_string(kMaxParts) + " parts");
    parts.push_back(part_of(body.substr(headers_start, headers_end - headers_start), body.substr(content, next - content)));
    pos = next + 2;
  }
}

const FormPart* find_part(const std::vector<FormPart>& parts, std::string_view name) {
  for (const auto& p : parts)
    if (p.name == name) return &p;
  return nullptr;
}

}  // namespace novaflux::server
