#include "ledger/ledger_file.h"

#include <algorithm>
#include <span>

#include "base/file_io.h"

namespace tamrel {

namespace {

constexpr std::string_view kCorrupt = "データファイルが破損しています";

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

std::filesystem::path dataFilePath(bool dataDirSwitched, const std::string& dataDir,
                                   std::string_view fileName) {
  const std::filesystem::path name{std::string(fileName)};
  if (!dataDirSwitched) return name;
  return std::filesystem::path(dataDir) / name;
}

LoadCode loadLedger(YearLedger& ledger, const std::filesystem::path& path) {
  const auto file = readWholeFile(path);
  if (!file) return LoadCode::Unreadable;
  return loadLedgerBytes(ledger, file->bytes(), file->complete);
}

LoadCode loadLedgerBytes(YearLedger& ledger, std::string_view bytes, bool complete) {
  int totalLines = 0;
  int monthLines = 0;
  int firstHalfLines = 0;
  int secondHalfLines = 0;
  std::optional<LoadCode> stopped;

  forEachLine(bytes, [&](std::string_view line) {
    if (line.empty()) return true;
    switch (line.front()) {
      case 'S':
        // The first year-total line counts; later ones are ignored.
        if (totalLines == 0) copyLine(ledger.year, line);
        totalLines = 1;
        break;
      case 'M':
        if (monthLines == 12) {
          stopped = LoadCode::Unreadable;
          return false;
        }
        ++monthLines;
        copyLine(ledger.month(monthLines), line);
        break;
      case 'D': {
        if (monthLines == 0) {
          stopped = LoadCode::DayBeforeMonth;
          return false;
        }
        // Placed by position: the identifier is carried, not interpreted.
        int& count = monthLines <= 6 ? firstHalfLines : secondHalfLines;
        auto& block = monthLines <= 6 ? ledger.firstHalf : ledger.secondHalf;
        if (count == kSlotsPerHalf) {
          stopped = LoadCode::Unreadable;
          return false;
        }
        copyLine(block[static_cast<std::size_t>(count)], line);
        ++count;
        break;
      }
      default:
        break;
    }
    return true;
  });

  if (stopped) return *stopped;
  if (!complete) return LoadCode::Unreadable;
  if (totalLines == 0) return LoadCode::NoYearTotal;
  if (monthLines != 12) return LoadCode::MonthCount;
  if (firstHalfLines != kSlotsPerHalf) return LoadCode::FirstHalfDays;
  if (secondHalfLines != kSlotsPerHalf) return LoadCode::SecondHalfDays;
  return LoadCode::Ok;
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
