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

LoadCode loadTickets(TicketStore& store, const std::filesystem::path& path) {
  const auto file = readWholeFile(path);
  if (!file) {
    emptyMonths(store);
    return LoadCode::Unreadable;
  }
  return loadTicketBytes(store, file->bytes(), file->complete);
}

LoadCode loadTicketBytes(TicketStore& store, std::string_view bytes, bool complete) {
  emptyMonths(store);
  bool monthFull = false;
  forEachLine(bytes, [&](std::string_view line) {
    const int prefix = linePrefix(line);
    if (prefix == 0) {
      takeRecord(store.header, line);
    } else if (prefix > 0) {
      MonthTickets& month = store.month(prefix);
      if (month.count >= kMaxMonthTickets) {
        monthFull = true;
        return false;
      }
      takeRecord(month.records[static_cast<std::size_t>(month.count)], line);
      ++month.count;
      month.records[static_cast<std::size_t>(month.count)].markBlank();
    }
    return true;
  });
  return monthFull || !complete ? LoadCode::Unreadable : LoadCode::Ok;
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
