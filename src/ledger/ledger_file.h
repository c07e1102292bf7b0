#pragma once
// "tosidata.dat": the ledger's file of 385 fixed-width lines.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/file_io.h"
#include "ledger/ledger_records.h"

namespace tamrel {

inline constexpr std::string_view kLedgerFileName = "tosidata.dat";
inline constexpr std::string_view kTicketFileName = "info.dat";

// Result of a load. Both data files report in this code space.
enum class LoadCode : std::int16_t {
  Ok = 0,
  DayBeforeMonth = 1,  // a day line came before the first month line
  NoYearTotal = 2,
  MonthCount = 3,      // month lines != 12
  FirstHalfDays = 4,   // day lines of months 1..6 != 186
  SecondHalfDays = 5,  // day lines of months 7..12 != 186
  Unreadable = 7,      // cannot open or read, or too many lines
};

// The message the shell shows for a failed load (UTF-8); empty for Ok.
std::string loadCodeMessage(LoadCode code);

// Where a data file lives: its bare name in the working directory until the
// user has switched to a data directory, then inside that directory.
std::filesystem::path dataFilePath(bool dataDirSwitched, const std::string& dataDir,
                                   std::string_view fileName);

// Fills the ledger from the file. Records are not cleared first: a load that
// stops early leaves what it read, and the rest keeps its previous content.
LoadCode loadLedger(YearLedger& ledger, const std::filesystem::path& path);

// The same from the file's bytes; `complete` false when a read error cut them
// short.
LoadCode loadLedgerBytes(YearLedger& ledger, std::string_view bytes, bool complete = true);

// The file's bytes as loading and saving see them (385 lines, CR LF).
std::string ledgerFileText(const YearLedger& ledger);

// What a save writes: ledgerFileText, or nullopt when a record holds an LF,
// which would split its line.
std::optional<std::string> ledgerSaveText(const YearLedger& ledger);

// Replaces the file atomically, keeping the previous one as "tosidata.dat.1"
// (older ones up to ".3"); see writeFileAtomically.
SaveResult saveLedger(const YearLedger& ledger, const std::filesystem::path& path,
                      const SaveProbe* probe = nullptr);

}  // namespace tamrel
