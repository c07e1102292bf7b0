#include "base/csv.h"

namespace tamrel {

namespace {

bool needsQuotes(std::string_view field) {
  for (const char c : field) {
    if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
  }
  return false;
}

// A number as a spreadsheet reads one: a sign, digits (grouped or not) with
// at most one point, and a percent sign at the end.
bool isNumber(std::string_view field) {
  if (!field.empty() && (field.front() == '-' || field.front() == '+')) field.remove_prefix(1);
  if (!field.empty() && field.back() == '%') field.remove_suffix(1);
  bool digit = false;
  bool point = false;
  for (const char c : field) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else if (c != ',' || !digit || point) {  // a group comma follows digits
      return false;
    }
  }
  return digit;
}

// A spreadsheet opening the file would run this field as a formula: a name
// the user typed (a folder called "=1+1") must not become a calculation.
bool looksLikeFormula(std::string_view field) {
  if (field.empty()) return false;
  const char c = field.front();
  return (c == '=' || c == '+' || c == '-' || c == '@') && !isNumber(field);
}

void appendField(std::string& out, std::string_view field) {
  const bool formula = looksLikeFormula(field);
  if (!formula && !needsQuotes(field)) {
    out += field;
    return;
  }
  out += '"';
  // The apostrophe is the spreadsheets' own mark for "text as typed".
  if (formula) out += '\'';
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
