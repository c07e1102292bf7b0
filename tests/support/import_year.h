#pragma once
// What the import tests bring a year in from and into.

#include <QString>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "detail/detail_file.h"
#include "store/data_files.h"

namespace testdata {

// A file's bytes as they are, for the engine to sniff and decode.
inline std::string fileBytes(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// An empty year on the heap: both stores are too large for a test's stack.
struct Year {
  std::unique_ptr<tamrel::YearLedger> ledger = std::make_unique<tamrel::YearLedger>();
  std::unique_ptr<tamrel::TicketStore> tickets = std::make_unique<tamrel::TicketStore>();
  Year() { tamrel::resetYear(*ledger, *tickets); }
};

}  // namespace testdata
