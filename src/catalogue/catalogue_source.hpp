#pragma once
// What building and checking a catalogue share: the defect report that names where a source
// is wrong, SQL names as literals, and the CSV reader of the source tables.
#include <string>
#include <string_view>
#include <vector>

namespace novaflux::catalogue_source {

// Throws the catalogue's RunError: "<where>: <defect>".
[[noreturn]] void fail(const std::string& where, const std::string& defect);

// A table or column name as an SQL identifier literal ("x", doubled quotes inside).
std::string quoted_name(std::string_view name);
std::string lower(std::string_view s);

// The whole of a source file; fails naming the file.
std::string read_file(const std::string& path);

// CSV (RFC 4180; LF or CRLF line ends; blank lines skipped)

struct CsvField {
  std::string text;
  bool quoted = false;
};

class CsvReader {
public:
  CsvReader(std::string text, std::string file) : text_(std::move(text)), file_(std::move(file)) {
    if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;  // a byte order mark
  }

  // The next record and the line it starts on; false at the end of the text.
  bool next(std::vector<CsvField>& fields, int& line) {
    fields.clear();
    for (;;) {
      if (pos_ >= text_.size()) return false;
      if (text_[pos_] == '\n' || text_[pos_] == '\r') {  // blank line
        skip_line_end();
        continue;
      }
      break;
    }
    line = line_;
    for (;;) {
      fields.push_back(field(line, static_cast<int>(fields.size()) + 1));
      if (pos_ >= text_.size()) return true;
      const char c = text_[pos_];
      if (c == ',') {
        ++pos_;
        if (pos_ >= text_.size()) {  // a trailing comma at the end of the text: one more field
          fields.emplace_back();
          return true;
        }
        continue;
      }
      skip_line_end();
      return true;
    }
  }

  const std::string& file() const { return file_; }

private:
  CsvField field(int record_line, int column) {
    CsvField f;
    if (pos_ < text_.size() && text_[pos_] == '"') {
      f.quoted = true;
      const int start_line = line_;
      ++pos_;
      for (;;) {
        if (pos_ >= text_.size())
          fail(where(start_line, column), "quoted field not closed before the end of the file");
        const char c = text_[pos_++];
        if (c == '"') {
          if (pos_ < text_.size() && text_[pos_] == '"') {
            f.text += '"';
            ++pos_;
            continue;
          }
          break;
        }
        if (c == '\n') ++line_;
        f.text += c;
      }
      if (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '\n' && text_[pos_] != '\r')
        fail(where(line_, column), "text after the closing quote of a quoted field");
      return f;
    }
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == ',' || c == '\n' || c == '\r') break;
      if (c == '"') fail(where(record_line, column), "quote inside an unquoted field");
      f.text += c;
      ++pos_;
    }
    return f;
  }

  void skip_line_end() {
    if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    ++line_;
  }

  std::string where(int line, int column) const {
    return file_ + ": line " + std::to_string(line) + ", column " + std::to_string(column);
  }

  std::string text_;
  std::string file_;
  size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace novaflux::catalogue_source
