#pragma once
// The stores and where they come from, owned by the data session
// (state/data_session.h); nothing of it is global. Whether a window is open
// is found in the work area, never kept here.

#include <string>

#include "detail/ticket_records.h"
#include "ledger/ledger_file.h"
#include "ledger/ledger_records.h"

namespace tamrel {

struct AppState {
  // Stores.
  YearLedger ledger;
  TicketStore tickets;

  // Data and start-up.
  bool DataChanged = false;
  // ﾃﾞｰﾀ初期化 emptied the year in memory: the working windows stay shut
  // until the next start, or until the reset is undone.
  bool YearReset = false;
  LoadCode LoadResult = LoadCode::Ok;
  bool DataDirSwitched = false;
  std::string DataDir;

  std::filesystem::path ledgerPath() const {
    return dataFilePath(DataDirSwitched, DataDir, kLedgerFileName);
  }
  std::filesystem::path ticketPath() const {
    return dataFilePath(DataDirSwitched, DataDir, kTicketFileName);
  }
};

}  // namespace tamrel
