#pragma once
// "info.dat": a header line, then one 50-character line per ticket.

#include <filesystem>
#include <string>

#include "detail/ticket_records.h"
#include "ledger/ledger_file.h"

namespace tamrel {

// Empties the months (header kept), then reads the file: Ok at its end,
// Unreadable when it cannot be read or a month's 500th line arrives (what was
// read before stays).
LoadCode loadTickets(TicketStore& store, const std::filesystem::path& path);

// The file's bytes: header, then months in calendar order, slot order within
// a month; each line 47 characters, three NUL bytes, CR LF.
std::string ticketFileText(const TicketStore& store);

// Replaces the file atomically; on failure the previous file is untouched.
SaveResult saveTickets(const TicketStore& store, const std::filesystem::path& path);

}  // namespace tamrel
