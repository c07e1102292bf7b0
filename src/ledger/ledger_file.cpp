#include "ledger/ledger_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <utility>

#include "base/file_io.h"

namespace tamrel {

namespace {

constexpr std::string_view kCorrupt = "データファイルが破損しています";
constexpr std::size_t kLineBytes = LedgerRecord::kWidth + 2;  // record, CR LF

// A line becomes a record as it stands: columns beyond the record are
// dropped, missing ones stay blank (a blank amount reads as 0).
void copyLine(LedgerRecord& record, std::string_view line) {
  // Nearly every line is full width: then there is nothing to blank.
  if (line.size() >= LedgerRecord::kWidth) {
    std::copy_n(line.begin(), LedgerRecord::kWidth, record.text.begin());
    return;
  }
  record.text.fill(' ');
  std::copy_n(line.begin(), line.size(), record.text.begin());
}

void appendLine(std::string& out, const LedgerRecord& record) {
  out.append(record.view());
  out.append("\r\n");
}

// Where the reading of the file puts the lines it takes: the ledger's
// records, for a load.
struct StoreLines {
  YearLedger& ledger;

  void year(std::string_view line) { copyLine(ledger.year, line); }
  void month(int m, std::string_view line) { copyLine(ledger.month(m), line); }
  void day(bool firstHalf, int slot, std::string_view line) {
    auto& block = firstHalf ? ledger.firstHalf : ledger.secondHalf;
    copyLine(block[static_cast<std::size_t>(slot)], line);
  }
};

// Or only each day's sums.
struct DayLines {
  YearDaySums& days;

  void year(std::string_view) {}
  void month(int, std::string_view) {}
  void day(bool firstHalf, int slot, std::string_view line) {
    DaySums& sums = days[static_cast<std::size_t>((firstHalf ? 0 : kSlotsPerHalf) + slot)];
    if (line.size() >= LedgerRecord::kWidth) {
      readDaySums(line.data(), sums);
      return;
    }
    LedgerRecord record;
    copyLine(record, line);
    readDaySums(record.text.data(), sums);
  }
};

// Whether the line at `p`, with `left` bytes from it to the end, may be a
// usual day line: a record and CR LF.
bool usualDayLine(const char* p, std::size_t left) {
  return left >= kLineBytes && p[0] == 'D' && p[LedgerRecord::kWidth] == '\r' &&
         p[LedgerRecord::kWidth + 1] == '\n' && !holdsLineFeed(p, LedgerRecord::kWidth);
}

// The one reading of the ledger file: which line is which record, and where
// the reading stops. The load and the day sums both read through it, so they
// take and refuse the same lines. Day lines are placed by position (the
// identifier is carried, not interpreted); they come in date order, as the
// months' lines only ever count up. Lines are as nextLine takes them; the
// day lines that follow a day line are taken in a tight loop for as long as
// they are usual ones.
template <typename Lines>
LoadReport readLedgerLines(std::string_view bytes, bool complete, Lines lines) {
  int totalLines = 0;
  int monthLines = 0;
  std::array<int, 2> dayLines{};  // months 1..6, 7..12
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  while (p != end) {
    const std::string_view line = nextLine(p, end, kLineBytes);
    if (line.empty()) continue;

    switch (line.front()) {
      case 'S':
        // The first year-total line counts; later ones are ignored.
        if (totalLines == 0) lines.year(line);
        totalLines = 1;
        break;
      case 'M':
        if (monthLines == 12) return refusal(LoadCode::Unreadable, LoadFault::TooManyMonths);
        ++monthLines;
        lines.month(monthLines, line);
        break;
      case 'D': {
        if (monthLines == 0) return refusal(LoadCode::DayBeforeMonth, LoadFault::DayBeforeMonth);
        const bool first = monthLines <= 6;
        int& count = dayLines[first ? 0 : 1];
        if (count == kSlotsPerHalf) {
          return refusal(LoadCode::Unreadable, first ? LoadFault::TooManyFirstHalfDays
                                                     : LoadFault::TooManySecondHalfDays);
        }
        lines.day(first, count, line);
        ++count;
        while (count < kSlotsPerHalf && usualDayLine(p, static_cast<std::size_t>(end - p))) {
          lines.day(first, count, {p, LedgerRecord::kWidth});
          ++count;
          p += kLineBytes;
        }
        break;
      }
      default:
        break;
    }
  }

  if (!complete) return refusal(LoadCode::Unreadable, LoadFault::CutShort);
  if (totalLines == 0) return refusal(LoadCode::NoYearTotal, LoadFault::NoYearTotal);
  if (monthLines != 12) {
    return refusal(LoadCode::MonthCount, LoadFault::MonthCount, monthLines);
  }
  if (dayLines[0] != kSlotsPerHalf) {
    return refusal(LoadCode::FirstHalfDays, LoadFault::FirstHalfDays, dayLines[0]);
  }
  if (dayLines[1] != kSlotsPerHalf) {
    return refusal(LoadCode::SecondHalfDays, LoadFault::SecondHalfDays, dayLines[1]);
  }
  return {};
}

}  // namespace

std::string loadCodeMessage(LoadCode code) {
  switch (code) {
    case LoadCode::Ok:
      return {};
    case LoadCode::DayBeforeMonth:
    case LoadCode::MonthCount:
      return std::string(kCorrupt) + "月ﾚｺｰﾄﾞ";
    case LoadCode::NoYearTotal:
      return std::string(kCorrupt) + "総合ﾚｺｰﾄﾞ";
    case LoadCode::FirstHalfDays:
      return std::string(kCorrupt) + "日(上期)ﾚｺｰﾄﾞ";
    case LoadCode::SecondHalfDays:
      return std::string(kCorrupt) + "日(下期)ﾚｺｰﾄﾞ";
    case LoadCode::Unreadable:
      return "データファイルが存在しません";
  }
  return "データファイルが存在しません";
}

std::string loadFaultText(const LoadReport& report) {
  const std::string n = std::to_string(report.count);
  switch (report.fault) {
    case LoadFault::None:
      return {};
    case LoadFault::Missing:
      return "ファイルがありません";
    case LoadFault::NotRegularFile:
      return "通常のファイルではありません（フォルダ、FIFO、デバイスなど）";
    case LoadFault::TooLarge:
      return "8MBを超えています";
    case LoadFault::Unreadable:
      return "読み取れません（権限がない、または読み取り中に変わりました）";
    case LoadFault::CutShort:
      return "読み取りの途中でエラーになりました";
    case LoadFault::DayBeforeMonth:
      return "最初の月の行より前に日の行があります";
    case LoadFault::NoYearTotal:
      return "総合の行がありません";
    case LoadFault::MonthCount:
      return "月の行が" + n + "行です（12行のはずです）";
    case LoadFault::FirstHalfDays:
      return "1～6月の日の行が" + n + "行です（186行のはずです）";
    case LoadFault::SecondHalfDays:
      return "7～12月の日の行が" + n + "行です（186行のはずです）";
    case LoadFault::TooManyMonths:
      return "月の行が12行を超えています";
    case LoadFault::TooManyFirstHalfDays:
      return "1～6月の日の行が186行を超えています";
    case LoadFault::TooManySecondHalfDays:
      return "7～12月の日の行が186行を超えています";
    case LoadFault::TooManyTickets:
      return n + "月の馬券が499件を超えています";
  }
  return {};
}

std::string loadFailureDetail(const LoadReport& report) {
  if (report.ok()) return {};
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(report.path, ec);
  if (ec) full = report.path;
  return "ファイル: " + full.lexically_normal().string() + "\n理由: " + loadFaultText(report);
}

std::filesystem::path dataFilePath(bool dataDirSwitched, const std::string& dataDir,
                                   std::string_view fileName) {
  const std::filesystem::path name{std::string(fileName)};
  if (!dataDirSwitched) return name;
  return std::filesystem::path(dataDir) / name;
}

LoadFault faultOf(ReadFailure failure) {
  switch (failure) {
    case ReadFailure::None:
      return LoadFault::None;
    case ReadFailure::Missing:
      return LoadFault::Missing;
    case ReadFailure::NotRegularFile:
      return LoadFault::NotRegularFile;
    case ReadFailure::TooLarge:
      return LoadFault::TooLarge;
    case ReadFailure::Unreadable:
      return LoadFault::Unreadable;
  }
  return LoadFault::Unreadable;
}

LoadReport loadLedgerFile(YearLedger& ledger, const std::filesystem::path& path) {
  return readDataFile(path, [&](std::string_view bytes, bool complete) {
    return loadLedgerText(ledger, bytes, complete);
  });
}

LoadCode loadLedger(YearLedger& ledger, const std::filesystem::path& path) {
  return loadLedgerFile(ledger, path).code;
}

LoadCode loadLedgerBytes(YearLedger& ledger, std::string_view bytes, bool complete) {
  return loadLedgerText(ledger, bytes, complete).code;
}

LoadReport loadLedgerText(YearLedger& ledger, std::string_view bytes, bool complete) {
  return readLedgerLines(bytes, complete, StoreLines{ledger});
}

LoadReport readLedgerDays(std::filesystem::path path, YearDaySums& days) {
  return readDataFile(std::move(path), [&](std::string_view bytes, bool complete) {
    return readLedgerDayText(bytes, complete, days);
  });
}

LoadReport readLedgerDayText(std::string_view bytes, bool complete, YearDaySums& days) {
  return readLedgerLines(bytes, complete, DayLines{days});
}

std::string ledgerFileText(const YearLedger& ledger) {
  std::string out;
  out.reserve((1 + 12 + 2 * kSlotsPerHalf) * (LedgerRecord::kWidth + 2));
  appendLine(out, ledger.year);
  for (int m = 1; m <= 12; ++m) {
    appendLine(out, ledger.month(m));
    for (int d = 1; d <= kSlotsPerMonth; ++d) appendLine(out, daySlot(ledger, m, d));
  }
  return out;
}

std::optional<std::string> ledgerSaveText(const YearLedger& ledger) {
  const std::span<const LedgerRecord> blocks[] = {
      {&ledger.year, 1}, ledger.months, ledger.firstHalf, ledger.secondHalf};
  for (const auto block : blocks) {
    for (const LedgerRecord& r : block) {
      if (breaksLine(r.view())) return std::nullopt;
    }
  }
  return ledgerFileText(ledger);
}

SaveResult saveLedger(const YearLedger& ledger, const std::filesystem::path& path,
                      const SaveProbe* probe) {
  return saveDataFile(
      path, [&] { return ledgerSaveText(ledger); }, probe);
}

}  // namespace tamrel
