#include "detail/detail_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "ledger/atomic_file.h"

namespace tamrel {

namespace {

constexpr std::size_t kRecordWidth = TicketRecord::kWidth;
constexpr std::size_t kLineBytes = kRecordWidth + 3 + 2;  // record, three NULs, CR LF

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Reads the whole file; `failed` is set when a read error cut it short.
bool readWholeFile(const std::filesystem::path& path, std::string& content, bool& failed) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  failed = false;
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  // One byte more than the expected size, so the end is seen in one read.
  content.resize(ec ? std::size_t{1} << 16 : static_cast<std::size_t>(size) + 1);
  std::size_t used = 0;
  for (;;) {
    if (used == content.size()) content.resize(content.size() * 2);
    const std::size_t want = content.size() - used;
    const std::size_t got = std::fread(content.data() + used, 1, want, file.get());
    used += got;
    if (got < want) {
      failed = std::ferror(file.get()) != 0;
      break;
    }
  }
  content.resize(used);
  return true;
}

// The record of a line: its first 47 characters, blanks where it is shorter.
void takeRecord(TicketRecord& record, std::string_view line) {
  const std::size_t n = std::min(line.size(), kRecordWidth);
  std::memcpy(record.text.data(), line.data(), n);
  std::memset(record.text.data() + n, ' ', kRecordWidth - n);
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

void appendLine(std::string& out, const TicketRecord& record) {
  out.append(record.text.data(), record.text.size());
  out.append("\0\0\0\r\n", 5);
}

}  // namespace

LoadCode loadTickets(TicketStore& store, const std::filesystem::path& path) {
  emptyMonths(store);

  std::string content;
  bool readFailed = false;
  if (!readWholeFile(path, content, readFailed)) return LoadCode::Unreadable;

  std::string_view rest(content);
  if (readFailed) {
    // Only whole lines count as read; the cut-off tail is dropped.
    const std::size_t lastLf = rest.rfind('\n');
    rest = lastLf == std::string_view::npos ? std::string_view() : rest.substr(0, lastLf + 1);
  }

  while (!rest.empty()) {
    const char* start = rest.data();
    const void* lf = std::memchr(start, '\n', rest.size());
    std::size_t length =
        lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) : rest.size();
    rest.remove_prefix(lf ? length + 1 : length);
    if (length > 0 && start[length - 1] == '\r') --length;
    const std::string_view line(start, length);

    const int prefix = linePrefix(line);
    if (prefix == 0) {
      takeRecord(store.header, line);
    } else if (prefix > 0) {
      MonthTickets& month = store.month(prefix);
      if (month.count >= kMaxMonthTickets) return LoadCode::Unreadable;
      takeRecord(month.records[static_cast<std::size_t>(month.count)], line);
      ++month.count;
      month.records[static_cast<std::size_t>(month.count)].markBlank();
    }
  }
  return readFailed ? LoadCode::Unreadable : LoadCode::Ok;
}

std::string ticketFileText(const TicketStore& store) {
  std::size_t lines = 1;
  for (const MonthTickets& m : store.months) {
    lines += static_cast<std::size_t>(std::clamp<int>(m.count, 0, kMaxMonthTickets));
  }
  std::string out;
  out.reserve(lines * kLineBytes);
  appendLine(out, store.header);
  for (const MonthTickets& m : store.months) {
    const int count = std::clamp<int>(m.count, 0, kMaxMonthTickets);
    for (int i = 0; i < count; ++i) {
      const TicketRecord& record = m.records[static_cast<std::size_t>(i)];
      if (!record.isBlank()) appendLine(out, record);
    }
  }
  return out;
}

SaveResult saveTickets(const TicketStore& store, const std::filesystem::path& path) {
  return writeFileAtomically(path, ticketFileText(store)) ? SaveResult::Ok : SaveResult::WriteError;
}

}  // namespace tamrel
