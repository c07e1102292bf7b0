#pragma once
// "tosidata.dat": the ledger's file of 385 fixed-width lines.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

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

// Why a file was refused, finer than its code: what a user needs to mend it.
enum class LoadFault : std::int8_t {
  None,
  Missing,
  NotRegularFile,
  TooLarge,
  Unreadable,      // no permission, no memory, it changed while read
  CutShort,        // a read error after some lines
  DayBeforeMonth,  // ledger: a day line before the first month line
  NoYearTotal,     // ledger: no year-total line
  MonthCount,      // ledger: `count` month lines, not 12
  FirstHalfDays,   // ledger: `count` day lines in months 1..6, not 186
  SecondHalfDays,  // ledger: `count` day lines in months 7..12, not 186
  TooManyMonths,   // ledger: a 13th month line
  TooManyFirstHalfDays,
  TooManySecondHalfDays,
  TooManyTickets,  // tickets: month `count` has a 500th ticket
};

// The result of loading one file: its code for the program's logic, and for
// the user which file it was and why it was refused.
struct LoadReport {
  std::filesystem::path path;
  LoadCode code = LoadCode::Ok;
  LoadFault fault = LoadFault::None;
  int count = 0;  // the lines found, or the month, as the fault says
  bool ok() const { return code == LoadCode::Ok; }
};

// A refusal without its path: the loaders of bytes give these.
inline LoadReport refusal(LoadCode code, LoadFault fault, int count = 0) {
  LoadReport report;
  report.code = code;
  report.fault = fault;
  report.count = count;
  return report;
}

// Why the file was refused, in words (UTF-8), e.g. "月の行が11行です（12行の
// はずです）"; empty for a file that loaded.
std::string loadFaultText(const LoadReport& report);

// The file's full path and the reason, two lines, for a message's
// informative text; empty for a file that loaded.
std::string loadFailureDetail(const LoadReport& report);

// Where a data file lives: its bare name in the working directory until the
// user has switched to a data directory, then inside that directory.
std::filesystem::path dataFilePath(bool dataDirSwitched, const std::string& dataDir,
                                   std::string_view fileName);

// Fills the ledger from the file. Records are not cleared first: a load that
// stops early leaves what it read, and the rest keeps its previous content.
LoadReport loadLedgerFile(YearLedger& ledger, const std::filesystem::path& path);
LoadCode loadLedger(YearLedger& ledger, const std::filesystem::path& path);

// The same from the file's bytes; `complete` false when a read error cut them
// short. The report's path is left empty.
LoadReport loadLedgerText(YearLedger& ledger, std::string_view bytes, bool complete = true);
LoadCode loadLedgerBytes(YearLedger& ledger, std::string_view bytes, bool complete = true);

// The sums of every day slot of a year, month by month, day 1..31:
// (month - 1) * kSlotsPerMonth + (day - 1).
using YearDaySums = std::array<DaySums, 12 * kSlotsPerMonth>;

// Reads the file as loadLedgerFile does, with the same report, but keeps no
// records: only each day line's sums, taken as the line is read. For the
// figures of years whose ledgers are not loaded (the year comparison). The
// sums are whole only when the report is ok.
LoadReport readLedgerDays(std::filesystem::path path, YearDaySums& days);
LoadReport readLedgerDayText(std::string_view bytes, bool complete, YearDaySums& days);

// The fault of a file that could not be read at all.
LoadFault faultOf(ReadFailure failure);

// Reads the file at `path` whole and hands its bytes to
// `readText(bytes, complete)`: the report is that call's, or why the file
// could not be read at all, and carries the path. Every reading of a data
// file goes through here, so all take the same limits.
template <typename ReadText>
LoadReport readDataFile(std::filesystem::path path, ReadText&& readText) {
  ReadFailure why{};
  const auto file = readWholeFile(path, why);
  LoadReport report =
      file ? readText(file->bytes(), file->complete) : refusal(LoadCode::Unreadable, faultOf(why));
  report.path = std::move(path);
  return report;
}

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
