#include "ledger/ledger_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "ledger/atomic_file.h"

namespace tamrel {

namespace {

constexpr std::string_view kCorrupt = "データファイルが破損しています";

// The whole file, or nullopt when it cannot be opened or read (a directory,
// a missing file, an I/O error).
std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return content;
}

// A line becomes a record as it stands: columns beyond the record are
// dropped, missing ones stay blank (a blank amount reads as 0).
void copyLine(LedgerRecord& record, std::string_view line) {
  record.text.fill(' ');
  const std::size_t n = std::min(line.size(), LedgerRecord::kWidth);
  std::copy_n(line.begin(), n, record.text.begin());
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
  const auto content = readWholeFile(path);
  if (!content) return LoadCode::Unreadable;

  int totalLines = 0;
  int monthLines = 0;
  int firstHalfLines = 0;
  int secondHalfLines = 0;

  const std::string_view text = *content;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    const bool hasNewline = end != std::string_view::npos;
    if (!hasNewline) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = hasNewline ? end + 1 : text.size();
    if (hasNewline && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;

    switch (line.front()) {
      case 'S':
        // The first year-total line counts; later ones are ignored.
        if (totalLines == 0) copyLine(ledger.year, line);
        totalLines = 1;
        break;
      case 'M':
        if (monthLines == 12) return LoadCode::Unreadable;
        ++monthLines;
        copyLine(ledger.month(monthLines), line);
        break;
      case 'D': {
        if (monthLines == 0) return LoadCode::DayBeforeMonth;
        // Placed by position: the identifier is carried, not interpreted.
        int& count = monthLines <= 6 ? firstHalfLines : secondHalfLines;
        auto& block = monthLines <= 6 ? ledger.firstHalf : ledger.secondHalf;
        if (count == kSlotsPerHalf) return LoadCode::Unreadable;
        copyLine(block[static_cast<std::size_t>(count)], line);
        ++count;
        break;
      }
      default:
        break;
    }
  }

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

SaveResult saveLedger(const YearLedger& ledger, const std::filesystem::path& path) {
  return writeFileAtomically(path, ledgerFileText(ledger)) ? SaveResult::Ok
                                                           : SaveResult::WriteError;
}

}  // namespace tamrel
