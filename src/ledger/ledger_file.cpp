#include "ledger/ledger_file.h"

#include <algorithm>
#include <span>

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
  ReadFailure why{};
  const auto file = readWholeFile(path, why);
  LoadReport report = refusal(LoadCode::Unreadable, faultOf(why));
  if (file) report = loadLedgerText(ledger, file->bytes(), file->complete);
  report.path = path;
  return report;
}

LoadCode loadLedger(YearLedger& ledger, const std::filesystem::path& path) {
  return loadLedgerFile(ledger, path).code;
}

LoadCode loadLedgerBytes(YearLedger& ledger, std::string_view bytes, bool complete) {
  return loadLedgerText(ledger, bytes, complete).code;
}

LoadReport loadLedgerText(YearLedger& ledger, std::string_view bytes, bool complete) {
  int totalLines = 0;
  int monthLines = 0;
  int firstHalfLines = 0;
  int secondHalfLines = 0;
  std::optional<LoadReport> stopped;
  const auto stop = [&](LoadCode code, LoadFault fault) {
    stopped = refusal(code, fault);
    return false;
  };

  forEachLine(
      bytes,
      [&](std::string_view line) {
        if (line.empty()) return true;
        switch (line.front()) {
          case 'S':
            // The first year-total line counts; later ones are ignored.
            if (totalLines == 0) copyLine(ledger.year, line);
            totalLines = 1;
            break;
          case 'M':
            if (monthLines == 12) return stop(LoadCode::Unreadable, LoadFault::TooManyMonths);
            ++monthLines;
            copyLine(ledger.month(monthLines), line);
            break;
          case 'D': {
            if (monthLines == 0) return stop(LoadCode::DayBeforeMonth, LoadFault::DayBeforeMonth);
            // Placed by position: the identifier is carried, not interpreted.
            const bool first = monthLines <= 6;
            int& count = first ? firstHalfLines : secondHalfLines;
            auto& block = first ? ledger.firstHalf : ledger.secondHalf;
            if (count == kSlotsPerHalf) {
              return stop(LoadCode::Unreadable, first ? LoadFault::TooManyFirstHalfDays
                                                      : LoadFault::TooManySecondHalfDays);
            }
            copyLine(block[static_cast<std::size_t>(count)], line);
            ++count;
            break;
          }
          default:
            break;
        }
        return true;
      },
      kLineBytes);

  if (stopped) return *stopped;
  if (!complete) return refusal(LoadCode::Unreadable, LoadFault::CutShort);
  if (totalLines == 0) return refusal(LoadCode::NoYearTotal, LoadFault::NoYearTotal);
  if (monthLines != 12) {
    return refusal(LoadCode::MonthCount, LoadFault::MonthCount, monthLines);
  }
  if (firstHalfLines != kSlotsPerHalf) {
    return refusal(LoadCode::FirstHalfDays, LoadFault::FirstHalfDays, firstHalfLines);
  }
  if (secondHalfLines != kSlotsPerHalf) {
    return refusal(LoadCode::SecondHalfDays, LoadFault::SecondHalfDays, secondHalfLines);
  }
  return {};
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
