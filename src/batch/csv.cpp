#include "batch/csv.hpp"

namespace novaflux {

namespace {
constexpr size_t kBufferSize = 1 << 16;
}  // namespace

CsvReader::CsvReader(std::istream& in) : in_(in), buffer_(kBufferSize) {}

int CsvReader::peek() {
  if (pos_ == end_) {
    if (eof_) return -1;
    in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    end_ = static_cast<size_t>(in_.gcount());
    pos_ = 0;
    if (end_ == 0) {
      eof_ = true;
      return -1;
    }
    if (!started_) {
      started_ = true;
      // A spreadsheet's UTF-8 export often starts with a byte-order mark; it is not data.
      if (end_ >= 3 && static_cast<unsigned char>(buffer_[0]) == 0xEF &&
          static_cast<unsigned char>(buffer_[1]) == 0xBB &&
          static_cast<unsigned char>(buffer_[2]) == 0xBF) {
        pos_ = 3;
        consumed_ += 3;
        if (pos_ == end_) return peek();
      }
    }
  }
  return static_cast<unsigned char>(buffer_[pos_]);
}

int CsvReader::get() {
  const int c = peek();
  if (c != -1) {
    ++pos_;
    ++consumed_;
  }
  return c;
}

bool CsvReader::next(std::vector<std::string>& fields) {
  fields.clear();
  // Empty lines carry no record.
  for (;;) {
    const int c = peek();
    if (c == -1) return false;
    if (c == '\n') {
      get();
      ++line_;
    } else if (c == '\r') {
      get();
      if (peek() == '\n') get();
      ++line_;
    } else {
      break;
    }
  }
  record_line_ = line_;
  for (;;) {
    const size_t column = fields.size() + 1;
    std::string field;
    int c = peek();
    if (c == '"') {
      get();
      const uint64_t opening_line = line_;
      for (;;) {
        c = get();
        if (c == -1) throw CsvError(opening_line, column, "a quoted field is never closed");
        if (c == '"') {
          if (peek() != '"') break;
          get();
        } else if (c == '\n') {
          ++line_;
        } else if (c == '\r' && peek() != '\n') {
          ++line_;
        }
        field += static_cast<char>(c);
      }
      c = peek();
      if (c != ',' && c != '\n' && c != '\r' && c != -1)
        throw CsvError(line_, column, "text after the closing quote of a field");
    } else {
      for (;;) {
        c = peek();
        if (c == ',' || c == '\n' || c == '\r' || c == -1) break;
        if (c == '"')
          throw CsvError(line_, column, "a quote inside a field that does not start with one");
        field += static_cast<char>(get());
      }
    }
    fields.push_back(std::move(field));
    c = get();
    if (c == ',') continue;
    if (c == '\r') {
      if (peek() == '\n') get();
      ++line_;
    } else if (c == '\n') {
      ++line_;
    }
    return true;
  }
}

void append_csv_field(std::string& out, std::string_view field) {
  bool quote = !field.empty() && (field.front() == ' ' || field.front() == '\t' ||
                                  field.back() == ' ' || field.back() == '\t');
  for (const char c : field) {
    if (c == ',' || c == '"' || c == '\n' || c == '\r') {
      quote = true;
      break;
    }
  }
  if (!quote) {
    out += field;
    return;
  }
  out += '"';
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace novaflux
