#include "detail/detail_file.h"

#include <algorithm>
#include <cstring>

#include "base/file_io.h"

namespace tamrel {

namespace {

constexpr std::size_t kRecordWidth = TicketRecord::kWidth;
constexpr std::size_t kLineBytes = kRecordWidth + 3 + 2;  // record, three NULs, CR LF

// The record of a line: its first 47 characters, blanks where it is shorter.
void takeRecord(TicketRecord& record, std::string_view line) {
  // Nearly every line is full width: a copy of known length is a few moves.
  if (line.size() >= kRecordWidth) {
    std::memcpy(record.text.data(), line.data(), kRecordWidth);
    return;
  }
  std::memcpy(record.text.data(), line.data(), line.size());
  std::memset(record.text.data() + line.size(), ' ', kRecordWidth - line.size());
}

// 1..12 for a ticket line's prefix, 0 for the header, -1 for anything else.
int linePrefix(std::string_view line) {
  if (line.size() < 2) return -1;
  const char a = line[0];
  const char b = line[1];
  if (b < '0' || b > '9') return -1;
  if (a == '0') return b - '0';
  if (a == '1' && b <= '2') return 10 + (b - '0');
  return -1;
}

void emptyMonths(TicketStore& store) {
  for (MonthTickets& m : store.months) {
    m.count = 0;
    m.records[0].markBlank();
  }
}

// Calls `onRecord` for each record a save writes, in file order: the header,
// then the live records of January to December.
template <typename OnRecord>
void forEachWritten(const TicketStore& store, OnRecord&& onRecord) {
  onRecord(store.header);
  for (const MonthTickets& m : store.months) {
    const int count = std::clamp<int>(m.count, 0, kMaxMonthTickets);
    for (int i = 0; i < count; ++i) {
      const TicketRecord& record = m.records[static_cast<std::size_t>(i)];
      if (!record.isBlank()) onRecord(record);
    }
  }
}

void appendLine(std::string& out, const TicketRecord& record) {
  out.append(record.text.data(), record.text.size());
  out.append("\0\0\0\r\n", 5);
}

}  // namespace

LoadReport loadTicketFile(TicketStore& store, const std::filesystem::path& path) {
  ReadFailure why{};
  const auto file = readWholeFile(path, why);
  LoadReport report = refusal(LoadCode::Unreadable, faultOf(why));
  if (file) {
    report = loadTicketText(store, file->bytes(), file->complete);
  } else {
    emptyMonths(store);
  }
  report.path = path;
  return report;
}

LoadCode loadTickets(TicketStore& store, const std::filesystem::path& path) {
  return loadTicketFile(store, path).code;
}

LoadCode loadTicketBytes(TicketStore& store, std::string_view bytes, bool complete) {
  return loadTicketText(store, bytes, complete).code;
}

LoadReport loadTicketText(TicketStore& store, std::string_view bytes, bool complete) {
  emptyMonths(store);
  // The month being filled and its count are held here, and stored when
  // another month's line comes: a count kept in the store would make every
  // line wait for the previous line's write of it.
  int current = 0;
  int count = 0;
  std::array<char, 2> currentPrefix{};
  const auto putBack = [&] {
    if (current > 0) store.month(current).count = static_cast<std::int16_t>(count);
  };
  int fullMonth = 0;  // the month whose 500th line came
  forEachLine(
      bytes,
      [&](std::string_view line) {
        // Nearly every line is of the month before it: two bytes tell.
        const bool sameMonth = current > 0 && line.size() >= 2 && line[0] == currentPrefix[0] &&
                               line[1] == currentPrefix[1];
        const int prefix = sameMonth ? current : linePrefix(line);
        if (prefix == 0) {
          takeRecord(store.header, line);
          return true;
        }
        if (prefix < 0) return true;
        if (prefix != current) {
          putBack();
          current = prefix;
          currentPrefix = twoDigits(current);
          count = store.month(current).count;
        }
        if (count >= kMaxMonthTickets) {
          fullMonth = current;
          return false;
        }
        takeRecord(store.month(current).slot(count), line);
        ++count;
        return true;
      },
      kLineBytes);
  putBack();
  // The end markers once at the end, not after every line: the slot after a
  // line is the next line's, written over anyway.
  for (MonthTickets& month : store.months) month.slot(month.count).markBlank();
  if (fullMonth > 0) {
    return refusal(LoadCode::Unreadable, LoadFault::TooManyTickets, fullMonth);
  }
  if (!complete) return refusal(LoadCode::Unreadable, LoadFault::CutShort);
  return {};
}

std::string ticketFileText(const TicketStore& store) {
  std::size_t lines = 0;
  forEachWritten(store, [&](const TicketRecord&) { ++lines; });
  std::string out;
  out.reserve(lines * kLineBytes);
  forEachWritten(store, [&](const TicketRecord& record) { appendLine(out, record); });
  return out;
}

std::optional<std::string> ticketSaveText(const TicketStore& store) {
  bool split = false;
  forEachWritten(store,
                 [&](const TicketRecord& record) { split = split || breaksLine(record.view()); });
  if (split) return std::nullopt;
  return ticketFileText(store);
}

SaveResult saveTickets(const TicketStore& store, const std::filesystem::path& path,
                       const SaveProbe* probe) {
  return saveDataFile(
      path, [&] { return ticketSaveText(store); }, probe);
}

}  // namespace tamrel
