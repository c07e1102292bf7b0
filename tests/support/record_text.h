#pragma once
// Record text in tests: built from a string, compared as QByteArray so a
// failing comparison prints the text.

#include <QByteArray>
#include <string_view>

#include "detail/ticket_records.h"

namespace testdata {

inline QByteArray bytes(std::string_view s) {
  return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// A record holding `text` from column 1; columns beyond it stay blank.
inline tamrel::TicketRecord recordOf(std::string_view text) {
  tamrel::TicketRecord r;
  for (std::size_t i = 0; i < r.text.size() && i < text.size(); ++i) r.text[i] = text[i];
  return r;
}

}  // namespace testdata
