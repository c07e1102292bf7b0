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

}  // namespace

std::string csvField(std::string_view field) {
  std::string out;
  appendField(out, field);
  return out;
}

std::string csvRecord(const std::vector<std::string>& fields) {
  std::string record;
  appendCsvRecord(record, fields);
  return record;
}

// Reports run to thousands of records: each field goes straight into the
// text, without a string of its own.
void appendCsvRecord(std::string& out, const std::vector<std::string>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    appendField(out, fields[i]);
  }
  out += "\r\n";
}

}  // namespace tamrel
