#pragma once
// Comma-separated records as spreadsheets read them (RFC 4180): the one
// place where fields are quoted, for the windows' CSV files and for the
// report command alike. Text is UTF-8 throughout; the caller chooses the
// file's encoding.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamrel {

// The field as it stands in a record: quoted only when it holds a comma, a
// double quote, CR or LF, with each double quote doubled. Text that a
// spreadsheet would run as a formula (it begins with =, +, - or @ and is no
// number) is quoted and led by an apostrophe, so that it opens as the text
// it is.
std::string csvField(std::string_view field);
// The same appended to `out`, for a record written field by field.
void appendCsvField(std::string& out, std::string_view field);

// The fields joined by commas and ended by CR LF.
std::string csvRecord(const std::vector<std::string>& fields);
// The same appended to `out`, for a file of many records.
void appendCsvRecord(std::string& out, const std::vector<std::string>& fields);
void appendCsvRecord(std::string& out, std::span<const std::string_view> fields);

}  // namespace tamrel
