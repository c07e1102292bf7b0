#pragma once
// Resetting the ledger to an empty year, in memory.

#include "ledger/ledger_records.h"

namespace tamrel {

// Every record gets its identifier, "," separators and zero amounts.
void resetLedger(YearLedger& ledger);

}  // namespace tamrel
