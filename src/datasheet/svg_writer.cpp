#include "datasheet/svg_writer.hpp"

#include <charconv>
#include <cmath>

namespace novaflux {

std::string coordinate(double x) {
  const double rounded = std::round(x * 100.0) / 100.0;
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, rounded == 0.0 ? 0.0 : rounded,
                                 std::chars_format::fixed, 2);
  std::string s(buf, res.ptr);
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

std::string xml_escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

void XmlWriter::start_tag(std::string_view tag, const Attributes& attributes) {
  out_ += '<';
  out_ += tag;
  for (const auto& [name, value] : attributes) out_ += " " + name + "=\"" + xml_escaped(value) + "\"";
}

void XmlWriter::open(std::string_view tag, const Attributes& attributes) {
  start_tag(tag, attributes);
  out_ += ">\n";
  open_.emplace_back(tag);
}

void XmlWriter::close() {
  if (open_.empty()) return;
  out_ += "</" + open_.back() + ">\n";
  open_.pop_back();
}

void XmlWriter::element(std::string_view tag, const Attributes& attributes, std::string_view text) {
  start_tag(tag, attributes);
  if (text.empty()) {
    out_ += "/>\n";
    return;
  }
  out_ += ">" + xml_escaped(text) + "</" + std::string(tag) + ">\n";
}

void XmlWriter::raw(std::string_view markup) { out_ += markup; }

std::string XmlWriter::finish() {
  while (!open_.empty()) close();
  return std::move(out_);
}

}  // namespace novaflux
