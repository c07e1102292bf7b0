#pragma once
// The text of a file to take in, as UTF-8 for readImportRecords: UTF-8 as it
// stands, or Shift_JIS converted as Windows writes it (CP932: the NEC and
// IBM extension characters such as ①, ㈱ and ～ included), by the encoding
// sniffImport finds or the one the user chooses.

#include <string>
#include <string_view>
#include <variant>

#include "import/import_engine.h"

namespace tamrel {

// The encodings the user can choose; Auto detects.
enum class ImportDecoding { Auto, Utf8, ShiftJis };

// UTF-8 text to read, and the limits to read it by: a file's own, or for
// Shift_JIS, whose bytes were held to those before converting, three times
// them (a byte of it grows to at most three of UTF-8), so that a file
// within the limits is never refused as beyond them once converted.
struct ImportText {
  std::string utf8;
  ImportLimits limits;
};

// The bytes as UTF-8 text (a leading BOM left out), or why they cannot be
// read: sniffImport's refusals when detecting, and for Shift_JIS the limits
// and the line of the first byte that is no character of it. UTF-8, chosen
// or found, is given as it stands, for readImportRecords to check line by
// line.
std::variant<ImportText, ImportRefusal> decodeImportText(std::string_view bytes,
                                                         ImportDecoding choice);

}  // namespace tamrel
