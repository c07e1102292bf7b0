#pragma once
// Both stores together: loading and saving the two data files in the order
// the program relies on, and resetting the year.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "store/app_state.h"

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

// How saving both files ended: Ok, or which file failed and why.
struct SaveOutcome {
  SaveResult result = SaveResult::Ok;
  std::string_view file;  // kLedgerFileName or kTicketFileName; empty when Ok

  bool ok() const { return result == SaveResult::Ok; }
};

// Saves the ledger, then, only if that succeeded, the tickets.
SaveOutcome saveData(const AppState& state, const SaveProbe* probe = nullptr);

// Why a save failed, for the informative text beside "ファイル書き込みエラー"
// (UTF-8): the file, the reason, and whether the ledger was saved before the
// tickets failed. Empty when it did not fail.
std::string saveFailureText(const SaveOutcome& outcome);

// What saves cut short by a crash left in `dataDir` (see removeSaveLeftovers);
// only with the directory's lock held.
void removeSaveLeftoversIn(const std::filesystem::path& dataDir);

// The in-memory part of "ﾃﾞｰﾀ初期化": an empty ledger and an empty ticket
// store.
void resetYear(YearLedger& ledger, TicketStore& tickets);

}  // namespace tamrel
