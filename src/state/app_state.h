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
  BetAmounts dayBaseline;  // the shown day's amounts, the base of postDay
  TicketStore tickets;
  DayTicketList dayTickets;
  DayBetTotals dayBetTotals;

  // Data and start-up.
  bool DataChanged = false;
  LoadCode LoadResult = LoadCode::Ok;
  bool DataDirSwitched = false;
  std::string DataDir;

  // Kept by the entry windows alone until they hold their day and their
  // open state themselves; nothing else reads or writes these.
  int OpenWindowCount = 0;
  bool EntryWindowOpen = false;
  int CurrentMonth = 0;  // the day the entry windows work on (0: none chosen)
  int CurrentDay = 0;

  // Hand-over between the daily entry window and the ticket window.
  bool TicketWindowOpen = false;
  bool TicketTotalsPending = false;
  bool DayListEdited = false;

  std::filesystem::path ledgerPath() const {
    return dataFilePath(DataDirSwitched, DataDir, kLedgerFileName);
  }
  std::filesystem::path ticketPath() const {
    return dataFilePath(DataDirSwitched, DataDir, kTicketFileName);
  }
};

}  // namespace tamrel
