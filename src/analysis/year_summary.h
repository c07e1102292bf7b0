#pragma once
// Years side by side: users keep one folder per year, and the folders of one
// parent folder are summarised here, each read through the same loaders as
// the program's own data (the same size and file-type limits) but read only:
// no lock is taken and nothing is written. Qt-free, for the year comparison
// window and the report command alike.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "detail/ticket_records.h"
#include "ledger/ledger_file.h"
#include "ledger/ledger_records.h"

namespace tamrel {

// The figures of one year (the definitions of the trend and cross figures).
// An amount that cannot be computed is empty, never wrapped.
struct YearFigures {
  int racingDays = 0;                       // 開催日数
  std::optional<std::int32_t> stake;        // 投資金額
  std::optional<std::int32_t> payout;       // 払戻金額
  std::optional<std::int32_t> profit;       // 利益金額
  std::optional<float> rate;                // 回収率: 0 for a zero stake
  int tickets = 0;                          // 件数
  int hits = 0;                             // tickets with a payout above 0
  std::optional<std::int32_t> maxDrawdown;  // 最大ドローダウン
  // The highest and lowest the running profit stood, from 0 at the year's
  // start: what a fall across the turn of the year is measured by. Set with
  // maxDrawdown.
  std::int32_t runningHigh = 0;
  std::int32_t runningLow = 0;
  // 的中率: hits / tickets, 0 without a ticket.
  float hitRate() const {
    return tickets == 0 ? 0.0f : static_cast<float>(hits) / static_cast<float>(tickets);
  }
};

// One year folder: its figures, or why its files did not load.
struct YearSummary {
  std::filesystem::path folder;
  std::string name;      // the folder's own name, as listed
  bool current = false;  // the data directory in use, figured from memory
  std::optional<YearFigures> figures;
  std::vector<LoadReport> refused;  // set when figures are not
};

// The year's figures from data in memory.
YearFigures summariseYear(const YearLedger& ledger, const TicketStore& tickets);

// One folder read only, through the loaders' own reading of both files, its
// figures taken as the lines are read (readLedgerDays, tallyTicketFile):
// nothing of it is kept but the figures. A folder whose files do not load
// gets the reports instead.
YearSummary summariseFolder(const std::filesystem::path& folder);

// The direct subfolders of `parent` holding an entry named "tosidata.dat" and
// one named "info.dat" (whatever they are: a FIFO is listed, and refused when
// read; so is a folder the user may not look into), in name order. None when
// `parent` cannot be listed, and `error` says why.
std::vector<std::filesystem::path> yearFolders(const std::filesystem::path& parent,
                                               std::error_code& error);

// Why a folder could not be listed, as a user reads it.
std::string listingFaultText(const std::error_code& error);

// Whether two paths name the same folder (links and "." resolved).
bool sameFolder(const std::filesystem::path& a, const std::filesystem::path& b);

// Every year folder of `parent`, read one after the other. None when
// `parent` cannot be listed, and `error` says why.
std::vector<YearSummary> summariseYears(const std::filesystem::path& parent,
                                        std::error_code& error);

// The 合計 row: sums over the folders with figures (amounts checked, the
// rates from the sums); 最大ドローダウン is the deepest fall of the running
// profit carried from year to year in the order given, as if the years were
// one long ledger. nullopt when no folder has figures.
std::optional<YearFigures> yearTotals(const std::vector<YearSummary>& years);

// Why a folder did not load, one line per refused file ("info.dat: ファイル
// がありません").
std::string refusalText(const YearSummary& year);

}  // namespace tamrel
