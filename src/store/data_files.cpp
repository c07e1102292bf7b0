#include "store/data_files.h"

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

SaveOutcome saveData(const AppState& state, const SaveProbe* probe) {
  const SaveResult ledger = saveLedger(state.ledger, state.ledgerPath(), probe);
  if (ledger != SaveResult::Ok) return {ledger, kLedgerFileName};
  // Only a saved ledger is followed by its tickets: the two files must not
  // drift apart more than one failed write.
  const SaveResult tickets = saveTickets(state.tickets, state.ticketPath(), probe);
  if (tickets != SaveResult::Ok) return {tickets, kTicketFileName};
  return {};
}

std::string saveFailureText(const SaveOutcome& outcome) {
  if (outcome.ok()) return {};
  std::string text(outcome.file);
  text += ": ";
  text += saveResultText(outcome.result);
  // The files' generations then differ by one; the user going back to an
  // older version needs to know.
  if (outcome.file == kTicketFileName) {
    text += "\n(";
    text += kLedgerFileName;
    text += " は保存されました)";
  }
  return text;
}

void removeSaveLeftoversIn(const std::filesystem::path& dataDir) {
  tamrel::removeSaveLeftovers(dataDir / kLedgerFileName);
  tamrel::removeSaveLeftovers(dataDir / kTicketFileName);
}

void resetYear(YearLedger& ledger, TicketStore& tickets) {
  resetLedger(ledger);
  clearTickets(tickets);
}

}  // namespace tamrel
