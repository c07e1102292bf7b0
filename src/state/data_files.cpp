#include "state/data_files.h"

#include "detail/detail_file.h"
#include "ledger/ledger_init.h"

namespace tamrel {

LoadOutcome loadData(AppState& state) {
  LoadOutcome outcome;
  const LoadReport ledger = loadLedgerFile(state.ledger, state.ledgerPath());
  // The ticket file is read even when the ledger failed, so that both
  // stores hold whatever could be read.
  const LoadReport tickets = loadTicketFile(state.tickets, state.ticketPath());
  outcome.ledger = ledger.code;
  outcome.tickets = tickets.code;
  for (const LoadReport& report : {ledger, tickets}) {
    if (!report.ok()) outcome.refused.push_back(report);
  }
  return outcome;
}

std::string LoadOutcome::detail() const {
  std::string text;
  for (const LoadReport& report : refused) {
    if (!text.empty()) text += "\n\n";
    text += loadFailureDetail(report);
  }
  return text;
}

SaveResult saveData(const AppState& state) {
  if (saveLedger(state.ledger, state.ledgerPath()) != SaveResult::Ok) return SaveResult::WriteError;
  // Only a saved ledger is followed by its tickets: the two files must not
  // drift apart more than one failed write.
  if (saveTickets(state.tickets, state.ticketPath()) != SaveResult::Ok) {
    return SaveResult::WriteError;
  }
  return SaveResult::Ok;
}

void resetYear(YearLedger& ledger, TicketStore& tickets) {
  resetLedger(ledger);
  clearTickets(tickets);
}

}  // namespace tamrel
