#pragma once
// Comma-separated values as RFC 4180 writes them: fields separated by commas, records ended by
// CRLF or LF, a field in double quotes may hold commas, line breaks and doubled quotes ("").
// The reader streams: it holds one record at a time, whatever the size of the input.
#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace novaflux {

// A defect of the input text, with the line (1-based, counting every line break of the file)
// and the field (1-based) where it was found.
class CsvError : public std::runtime_error {
public:
  CsvError(uint64_t line, size_t column, const std::string& message)
      : std::runtime_error(message), line_(line), column_(column) {}
  uint64_t line() const noexcept { return line_; }
  size_t column() const noexcept { return column_; }

private:
  uint64_t line_;
  size_t column_;
};

class CsvReader {
public:
  explicit CsvReader(std::istream& in);

  // Reads the next record into `fields`; false at the end of the input. Empty lines are not
  // records and are skipped; a UTF-8 byte-order mark before the first record is dropped.
  // Throws CsvError on a quote that is never closed, text after a closing quote, or a quote
  // inside a field that does not start with one.
  bool next(std::vector<std::string>& fields);

  // The line on which the record last returned starts.
  uint64_t record_line() const noexcept { return record_line_; }
  // Bytes of the input consumed so far (for progress against the size of a file).
  uint64_t bytes_consumed() const noexcept { return consumed_; }

private:
  int get();   // next byte, or -1 at the end
  int peek();

  std::istream& in_;
  std::vector<char> buffer_;
  size_t pos_ = 0;
  size_t end_ = 0;
  bool eof_ = false;
  uint64_t line_ = 1;
  uint64_t record_line_ = 0;
  uint64_t consumed_ = 0;
  bool started_ = false;
};

// Appends one field, quoted when it holds a comma, a quote, a line break or blanks at either
// end (which some readers would otherwise trim).
void append_csv_field(std::string& out, std::string_view field);

}  // namespace novaflux
