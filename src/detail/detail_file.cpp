#include "detail/detail_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "base/amount.h"
#include "base/file_io.h"
#include "base/simd.h"

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

// What the writer puts after each record: the whole of a usual line's rest.
constexpr std::string_view kLineEnding{"\0\0\0\r\n", kLineBytes - kRecordWidth};

// Whether the record at `p`, of a usual line, holds no LF; if so it is copied
// to `record`. Each byte is looked at once: the record is stored from the
// registers the look loaded.
bool takeUsualRecord(const char* p, char* record) {
  static_assert(kRecordWidth > 32 && kRecordWidth <= 48);
#if TAMREL_SSE2
  const auto load = [p](std::size_t at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
  };
  const __m128i lineFeeds = _mm_set1_epi8('\n');
  const __m128i head = load(0);
  const __m128i middle = load(16);
  const __m128i tail = load(kRecordWidth - 16);
  const __m128i found =
      _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(head, lineFeeds), _mm_cmpeq_epi8(middle, lineFeeds)),
                   _mm_cmpeq_epi8(tail, lineFeeds));
  if (_mm_movemask_epi8(found) != 0) return false;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(record), head);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(record + 16), middle);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(record + kRecordWidth - 16), tail);
  return true;
#else
  if (holdsLineFeed(p, kRecordWidth)) return false;
  std::memcpy(record, p, kRecordWidth);
  return true;
#endif
}

// Where the reading of the file puts the lines it takes: the store's
// records, for a load.
struct StoreLines {
  struct Gathered {};
  TicketStore& store;
  MonthTickets* month = nullptr;

  void header(std::string_view line) { takeRecord(store.header, line); }
  void startMonth(int m) { month = &store.month(m); }
  void ticket(int slot, std::string_view line, Gathered&) { takeRecord(month->slot(slot), line); }
  bool usualTicket(int slot, const char* p, Gathered&) {
    return takeUsualRecord(p, month->slot(slot).text.data());
  }
  void finish(const std::array<int, 12>& counts, const Gathered&) {
    for (std::size_t m = 0; m < counts.size(); ++m) {
      store.months[m].count = static_cast<std::int16_t>(counts[m]);
    }
  }
};

// Or only how many there are and how many pay out, the records themselves
// never kept: the year comparison reads other years' files for that alone.
struct TallyLines {
  static constexpr FieldSpan kPayout = fieldSpan(TicketField::Payout);
  // What the reading gathers, held by it (in registers) for the whole file.
  struct Gathered {
    int hits = 0;
    int strange = 0;  // nonzero once a usual line's payout was not in the stored form
  };
  TicketCounts& counts;
  // Whether a payout of a usual line may not be in the stored form (ten
  // digits from 0 or 1 on), which the quick test below takes as read: the
  // caller then counts again by the exact rule.
  bool& unsure;
  bool exact = false;  // every payout by the exact rule

  void header(std::string_view) {}
  void startMonth(int) {}
  void ticket(int, std::string_view line, Gathered& gathered) {
    TicketRecord record;
    takeRecord(record, line);
    gathered.hits += positiveAmount(record.field(TicketField::Payout));
  }
  bool usualTicket(int, const char* p, Gathered& gathered) {
    if (holdsLineFeed(p, kRecordWidth)) return false;
    const char* payout = p + kPayout.column - 1;
#if TAMREL_SSE2
    if (!exact) {
      // A stored payout pays out unless its ten digits are all 0. Whether
      // each was one is gathered without a branch and looked at once for the
      // whole file: a test per ticket would cost more than the rest of its
      // reading. (The first digit 0 or 1, the other nine digits; the five
      // characters after the field may be anything.)
      const __m128i limits = _mm_setr_epi8(1, 9, 9, 9, 9, 9, 9, 9, 9, 9, -1, -1, -1, -1, -1, -1);
      const __m128i digits = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(payout)),
                                          _mm_set1_epi8('0'));
      const __m128i capped = _mm_max_epu8(digits, limits);
      gathered.strange |= _mm_movemask_epi8(_mm_cmpeq_epi8(capped, limits)) ^ 0xFFFF;
      const int zeros = _mm_movemask_epi8(_mm_cmpeq_epi8(digits, _mm_setzero_si128()));
      gathered.hits += (zeros & 0x3FF) != 0x3FF;
      return true;
    }
#endif
    gathered.hits += positiveAmount({payout, kPayout.width});
    return true;
  }
  void finish(const std::array<int, 12>& monthCounts, const Gathered& gathered) {
    counts = {};
    for (const int n : monthCounts) counts.count += n;
    counts.hits = gathered.hits;
    unsure = gathered.strange != 0;
  }
};

// Whether the line at `p`, with `left` bytes from it to the end, may be a
// usual one: a record and the writer's ending.
bool usualEnding(const char* p, std::size_t left) {
  return left >= kLineBytes &&
         std::string_view(p + kRecordWidth, kLineEnding.size()) == kLineEnding;
}

// The one reading of the ticket file: which lines are tickets, of which
// month and slot, and where the reading stops. The load and the tally both
// read through it, so they take and refuse the same lines.
//
// Lines are as nextLine takes them. Nearly every line is the usual one
// of the month before it: after each ticket line the lines that follow are
// taken in a tight loop for as long as they are, each told from its ending
// and its first two bytes and taken by `lines` in one look at its record.
// Any other line goes the general way. (What `lines` gathers is held here,
// so that it stays in registers.)
template <typename Lines>
LoadReport readTicketLines(std::string_view bytes, bool complete, Lines lines) {
  // The month being filled and its count are held here, and stored when
  // another month's line comes: a count kept in memory would make every
  // line wait for the previous line's write of it.
  std::array<int, 12> counts{};
  int current = 0;
  int count = 0;
  int fullMonth = 0;  // the month whose 500th line came
  typename Lines::Gathered gathered;
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  while (p != end) {
    const std::string_view line = nextLine(p, end, kLineBytes);
    const int prefix = linePrefix(line);
    if (prefix == 0) lines.header(line);
    if (prefix <= 0) continue;
    if (prefix != current) {
      if (current > 0) counts[static_cast<std::size_t>(current - 1)] = count;
      current = prefix;
      count = counts[static_cast<std::size_t>(current - 1)];
      lines.startMonth(current);
    }
    if (count >= kMaxMonthTickets) {
      fullMonth = current;
      break;
    }
    lines.ticket(count, line, gathered);
    ++count;

    const char first = line[0];
    const char second = line[1];
    while (count < kMaxMonthTickets && usualEnding(p, static_cast<std::size_t>(end - p)) &&
           p[0] == first && p[1] == second && lines.usualTicket(count, p, gathered)) {
      ++count;
      p += kLineBytes;
    }
  }
  if (current > 0) counts[static_cast<std::size_t>(current - 1)] = count;
  lines.finish(counts, gathered);
  if (fullMonth > 0) {
    return refusal(LoadCode::Unreadable, LoadFault::TooManyTickets, fullMonth);
  }
  if (!complete) return refusal(LoadCode::Unreadable, LoadFault::CutShort);
  return {};
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
  // Emptied first, so that a file that cannot be read leaves no month.
  emptyMonths(store);
  return readDataFile(path, [&](std::string_view bytes, bool complete) {
    return loadTicketText(store, bytes, complete);
  });
}

LoadCode loadTickets(TicketStore& store, const std::filesystem::path& path) {
  return loadTicketFile(store, path).code;
}

LoadCode loadTicketBytes(TicketStore& store, std::string_view bytes, bool complete) {
  return loadTicketText(store, bytes, complete).code;
}

LoadReport loadTicketText(TicketStore& store, std::string_view bytes, bool complete) {
  emptyMonths(store);
  const LoadReport report = readTicketLines(bytes, complete, StoreLines{store});
  // The end markers once at the end, not after every line: the slot after a
  // line is the next line's, written over anyway.
  for (MonthTickets& month : store.months) month.slot(month.count).markBlank();
  return report;
}

LoadReport tallyTicketText(std::string_view bytes, bool complete, TicketCounts& counts) {
  bool unsure = false;
  const LoadReport report = readTicketLines(bytes, complete, TallyLines{counts, unsure});
  if (!unsure) return report;
  return readTicketLines(bytes, complete, TallyLines{counts, unsure, true});
}

LoadReport tallyTicketFile(std::filesystem::path path, TicketCounts& counts) {
  counts = {};
  return readDataFile(std::move(path), [&](std::string_view bytes, bool complete) {
    return tallyTicketText(bytes, complete, counts);
  });
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
