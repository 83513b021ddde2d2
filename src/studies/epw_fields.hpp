#pragma once
// The fields of one line of a weather file: separated by commas; a field in double quotes may
// hold commas and doubled quotes (""). Header text may be UTF-8 or Latin-1.
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace novaflux {

class FieldSplitter {
public:
  // The fields of `line` (without its line break), each trimmed of blanks. The views stay valid
  // until the next call. Throws WeatherFileError (of file `name`, line `line_number`) on a
  // quote that is never closed or text after a closing quote.
  const std::vector<std::string_view>& split(std::string_view line, const std::string& name,
                                             uint64_t line_number);

private:
  std::vector<std::string_view> fields_;
  std::deque<std::string> unquoted_;  // quoted fields with doubled quotes, made plain
};

// Text as UTF-8: kept when it is valid UTF-8, otherwise read as Latin-1 (ISO 8859-1), the
// encoding of older weather files' place names.
std::string utf8_text(std::string_view bytes);

// "NAME, line L, field F (what): message", leaving out the parts that are 0 or empty.
std::string weather_message(const std::string& name, uint64_t line, size_t field, std::string_view what,
                            const std::string& message);

}  // namespace novaflux
