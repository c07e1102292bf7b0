// tamrel_load_probe DIR: loads the two data files of DIR, as the report
// command does, and does nothing more; the baseline of the report command's
// benchmark. Exit status 0 when both loaded.

#include <memory>

#include "detail/detail_file.h"
#include "ledger/ledger_file.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path dir = argv[1];
  auto ledger = std::make_unique<tamrel::YearLedger>();
  auto tickets = std::make_unique<tamrel::TicketStore>();
  const bool ledgerOk =
      tamrel::loadLedger(*ledger, dir / tamrel::kLedgerFileName) == tamrel::LoadCode::Ok;
  const bool ticketsOk =
      tamrel::loadTickets(*tickets, dir / tamrel::kTicketFileName) == tamrel::LoadCode::Ok;
  return ledgerOk && ticketsOk ? 0 : 3;
}
