#pragma once
// Both stores together: loading and saving the two data files in the order
// the program relies on, and resetting the year.

#include <string>
#include <vector>

#include "state/app_state.h"

namespace tamrel {

struct LoadOutcome {
  LoadCode ledger = LoadCode::Ok;
  LoadCode tickets = LoadCode::Ok;
  // The ledger's code if it failed, otherwise the ticket file's.
  LoadCode combined() const { return ledger != LoadCode::Ok ? ledger : tickets; }
  bool ok() const { return combined() == LoadCode::Ok; }
  // Each file that did not load, the ledger first: its path and why.
  std::vector<LoadReport> refused;
  // The informative text of the message of a failed load: the full path and
  // the reason of each refused file; empty when both loaded.
  std::string detail() const;
};

// Loads the ledger, then the tickets, from the state's data location; the
// second runs even when the first failed.
LoadOutcome loadData(AppState& state);

// Saves the ledger, then, only if that succeeded, the tickets. A failure of
// either is a WriteError.
SaveResult saveData(const AppState& state);

// The in-memory part of "ﾃﾞｰﾀ初期化": an empty ledger and an empty ticket
// store.
void resetYear(YearLedger& ledger, TicketStore& tickets);

}  // namespace tamrel
