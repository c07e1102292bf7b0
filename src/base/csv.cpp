#include "base/csv.h"

namespace tamrel {

namespace {

bool needsQuotes(std::string_view field) {
  for (const char c : field) {
    if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
  }
  return false;
}

void appendField(std::string& out, std::string_view field) {
  if (!needsQuotes(field)) {
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

// Reports run to thousands of records: each field goes straight into the
// text, without a string of its own.
template <typename Fields>
void appendRecord(std::string& out, const Fields& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    appendField(out, fields[i]);
  }
  out += "\r\n";
}

}  // namespace

std::string csvField(std::string_view field) {
  std::string out;
  appendField(out, field);
  return out;
}

void appendCsvField(std::string& out, std::string_view field) { appendField(out, field); }

std::string csvRecord(const std::vector<std::string>& fields) {
  std::string record;
  appendRecord(record, fields);
  return record;
}

void appendCsvRecord(std::string& out, const std::vector<std::string>& fields) {
  appendRecord(out, fields);
}

void appendCsvRecord(std::string& out, std::span<const std::string_view> fields) {
  appendRecord(out, fields);
}

}  // namespace tamrel
