#pragma once
// "info.dat": a header line, then one 50-character line per ticket.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "detail/ticket_records.h"
#include "ledger/ledger_file.h"

namespace tamrel {

// Empties the months (header kept), then reads the file: Ok at its end,
// Unreadable when it cannot be read or a month's 500th line arrives (what was
// read before stays).
LoadReport loadTicketFile(TicketStore& store, const std::filesystem::path& path);
LoadCode loadTickets(TicketStore& store, const std::filesystem::path& path);

// The same from the file's bytes; `complete` false when a read error cut them
// short. The report's path is left empty.
LoadReport loadTicketText(TicketStore& store, std::string_view bytes, bool complete = true);
LoadCode loadTicketBytes(TicketStore& store, std::string_view bytes, bool complete = true);

// What loadTicketFile would put in the store, counted without keeping it:
// the same lines are taken, with the same report. (The year comparison reads
// other years' files for their counts alone.)
LoadReport tallyTicketFile(std::filesystem::path path, TicketCounts& counts);
LoadReport tallyTicketText(std::string_view bytes, bool complete, TicketCounts& counts);

// The file's bytes: header, then months in calendar order, slot order within
// a month; each line 47 characters, three NUL bytes, CR LF.
std::string ticketFileText(const TicketStore& store);

// What a save writes: ticketFileText, or nullopt when a record written holds
// an LF, which would split its line.
std::optional<std::string> ticketSaveText(const TicketStore& store);

// Replaces the file atomically, keeping the previous one as "info.dat.1"
// (older ones up to ".3"); see writeFileAtomically.
SaveResult saveTickets(const TicketStore& store, const std::filesystem::path& path,
                       const SaveProbe* probe = nullptr);

}  // namespace tamrel
