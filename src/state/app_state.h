#pragma once
// Everything the windows share: the stores and the flags through which the
// windows tell each other what is open. Owned by the main window and handed
// to every window by reference; nothing of it is global.

#include <string>

#include "analysis/category_totals.h"
#include "detail/ticket_records.h"
#include "ledger/ledger_file.h"
#include "ledger/ledger_records.h"

namespace tamrel {

struct AppState {
  // Stores.
  YearLedger ledger;
  TicketStore tickets;
  CategoryTotals categoryTotals;  // as the analysis window last computed them

  // Data and start-up.
  bool DataChanged = false;
  LoadCode LoadResult = LoadCode::Ok;
  bool StartupNoticePending = false;
  bool DataDirSwitched = false;
  std::string DataDir;

  // Open windows.
  int OpenWindowCount = 0;
  bool YearBrowseOpen = false;
  bool MonthBrowseOpen = false;
  bool MonthGraphOpen = false;
  bool AnalysisOpen = false;
  int CategoryGraphKind = 0;  // 0 none, 1 racecourse, 2 race number, 3 class

  // The month and day the browse windows work on (0: none chosen).
  int CurrentMonth = 0;
  int CurrentDay = 0;

  std::filesystem::path ledgerPath() const {
    return dataFilePath(DataDirSwitched, DataDir, kLedgerFileName);
  }
  std::filesystem::path ticketPath() const {
    return dataFilePath(DataDirSwitched, DataDir, kTicketFileName);
  }
};

}  // namespace tamrel
