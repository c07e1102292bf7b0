#pragma once
// Resetting the year: an empty ledger and an empty ticket store, in memory.

#include "ledger/ledger_records.h"

namespace tamrel {

struct TicketStore;

// Every record gets its identifier, "," separators and zero amounts.
void resetLedger(YearLedger& ledger);

// The in-memory part of "ﾃﾞｰﾀ初期化": resetLedger and clearTickets.
void resetYear(YearLedger& ledger, TicketStore& tickets);

}  // namespace tamrel
