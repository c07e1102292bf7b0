#include "base/csv.h"

namespace tamrel {

std::string csvField(std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(field);
  std::string quoted;
  quoted.reserve(field.size() + 2);
  quoted += '"';
  for (const char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string csvRecord(const std::vector<std::string>& fields) {
  std::string record;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) record += ',';
    record += csvField(fields[i]);
  }
  record += "\r\n";
  return record;
}

}  // namespace tamrel
