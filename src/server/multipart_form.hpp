#pragma once
// A multipart/form-data body (RFC 7578), as a browser's form or `curl -F` sends files.
#include <string>
#include <string_view>
#include <vector>

namespace novaflux::server {

struct FormPart {
  std::string name;          // the form field
  std::string filename;      // "" when the part is not a file
  std::string content_type;  // "" when the part names none
  std::string_view body;     // into the request body, which must outlive the parts
};

// The parts of a body whose Content-Type is `content_type` ("multipart/form-data;
// boundary=..."). Throws std::invalid_argument saying what is wrong: another content type, no
// boundary, a part without a name, a body that does not end with the closing boundary.
std::vector<FormPart> parse_multipart_form(std::string_view content_type, std::string_view body);

// The part of that field name, or nullptr.
const FormPart* find_part(const std::vector<FormPart>& parts, std::string_view name);

}  // namespace novaflux::server
