#pragma once
// A small writer of SVG (and any XML) text: elements with attributes, escaped text, and
// coordinates with two decimals whatever the locale.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace novaflux {

using Attributes = std::vector<std::pair<std::string, std::string>>;

// x with two decimals, trailing zeros dropped ("12.5", "-3", "0.25").
std::string coordinate(double x);

// Text made safe inside an element or a quoted attribute.
std::string xml_escaped(std::string_view text);

class XmlWriter {
public:
  // Opens an element; close() ends the innermost open one.
  void open(std::string_view tag, const Attributes& attributes = {});
  void close();
  // A complete element, empty or with text content.
  void element(std::string_view tag, const Attributes& attributes, std::string_view text = {});
  // Markup written as it is (already well-formed).
  void raw(std::string_view markup);
  // The text written so far, with every open element closed.
  std::string finish();

private:
  void start_tag(std::string_view tag, const Attributes& attributes);
  std::string out_;
  std::vector<std::string> open_;
};

}  // namespace novaflux
