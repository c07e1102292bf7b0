// Any bytes as "info.dat". Whatever loads with code 0 saves to bytes that load
// again with code 0 and save to the same bytes (the saved text holds every
// column of the header and of every live record). Taking one day of a month
// into the working list and storing it back keeps the month's records.
//
// The loader's fast way through usual lines gives what the plain rule gives
// (each line split at LF, a CR before it dropped, the record its first 47
// characters padded with blanks), and the tally counts what the load keeps.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/amount.h"
#include "base/file_io.h"
#include "detail/detail_file.h"
#include "detail/month_transfer.h"
#include "detail/ticket_records.h"
#include "fuzz_check.h"

using namespace tamrel;

namespace {

std::vector<std::string> sortedRecords(const MonthTickets& m) {
  std::vector<std::string> out;
  for (int i = 0; i < m.count; ++i) out.emplace_back(m.slot(i).view());
  std::sort(out.begin(), out.end());
  return out;
}

// The day of the first ticket of the first month that has one goes to the
// list and back.
void transferRoundTrip(TicketStore& store) {
  const auto first = std::find_if(store.months.begin(), store.months.end(),
                                  [](const MonthTickets& m) { return m.count > 0; });
  if (first == store.months.end()) return;
  const int month = static_cast<int>(first - store.months.begin()) + 1;
  MonthTickets& m = *first;
  const std::string_view dd = m.slot(0).field(TicketField::Day);
  if (dd[0] < '0' || dd[0] > '3' || dd[1] < '0' || dd[1] > '9') return;
  const int day = (dd[0] - '0') * 10 + (dd[1] - '0');
  auto list = std::make_unique<DayTicketList>();
  if (loadDayTickets(store, month, day, *list) != TransferResult::Ok) return;
  const std::vector<std::string> before = sortedRecords(m);
  FUZZ_REQUIRE(storeDayTickets(store, month, day, *list) == TransferResult::Ok);
  FUZZ_REQUIRE(sortedRecords(m) == before);
  FUZZ_REQUIRE(m.slot(m.count).isBlank());
}

// The plain rule, line by line, for the fast loader to be held against.
struct PlainLoad {
  TicketRecord header;
  std::vector<std::vector<TicketRecord>> months = std::vector<std::vector<TicketRecord>>(12);
  int fullMonth = 0;
};

PlainLoad plainLoad(std::string_view bytes) {
  PlainLoad out;
  forEachLine(bytes, [&](std::string_view line) {
    TicketRecord record;
    std::copy_n(line.begin(), std::min(line.size(), TicketRecord::kWidth), record.text.begin());
    const bool digits =
        line.size() >= 2 && line[0] >= '0' && line[0] <= '9' && line[1] >= '0' && line[1] <= '9';
    const int month = digits ? (line[0] - '0') * 10 + (line[1] - '0') : -1;
    if (month == 0) out.header = record;
    if (month < 1 || month > 12) return true;
    std::vector<TicketRecord>& m = out.months[static_cast<std::size_t>(month - 1)];
    if (m.size() == kMaxMonthTickets) {
      out.fullMonth = month;
      return false;
    }
    m.push_back(record);
    return true;
  });
  return out;
}

void sameAsPlainRule(std::string_view bytes, const TicketStore& store, LoadCode code) {
  const PlainLoad plain = plainLoad(bytes);
  FUZZ_REQUIRE((code == LoadCode::Ok) == (plain.fullMonth == 0));
  FUZZ_REQUIRE(store.header == plain.header);
  TicketCounts kept;
  for (std::size_t m = 0; m < 12; ++m) {
    const MonthTickets& month = store.months[m];
    FUZZ_REQUIRE(static_cast<std::size_t>(month.count) == plain.months[m].size());
    for (int i = 0; i < month.count; ++i) {
      FUZZ_REQUIRE(month.slot(i) == plain.months[m][static_cast<std::size_t>(i)]);
      ++kept.count;
      // A hit by the exact amount rule, never the stored form's quick test.
      const auto payout =
          amount_detail::parseLeadingAmount(month.slot(i).field(TicketField::Payout));
      kept.hits += payout.value_or(0) > 0;
    }
  }
  TicketCounts tally;
  const LoadReport tallied = tallyTicketText(bytes, true, tally);
  FUZZ_REQUIRE(tallied.code == code &&
               tallied.fault ==
                   (code == LoadCode::Ok ? LoadFault::None : LoadFault::TooManyTickets));
  FUZZ_REQUIRE(tally.count == kept.count && tally.hits == kept.hits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto store = std::make_unique<TicketStore>();
  const LoadCode code = loadTicketBytes(*store, bytes);
  for (const MonthTickets& m : store->months) {
    FUZZ_REQUIRE(m.count >= 0 && m.count <= kMaxMonthTickets);
    FUZZ_REQUIRE(m.slot(m.count).isBlank());
    // Whatever was read, however broken, can be shown.
    for (int i = 0; i < m.count; ++i) {
      (void)amountField(m.slot(i), TicketField::Purchase);
      (void)amountField(m.slot(i), TicketField::Payout);
    }
  }
  sameAsPlainRule(bytes, *store, code);
  if (code != LoadCode::Ok) return 0;

  const auto saved = ticketSaveText(*store);
  // A loaded record cannot hold an LF, the one thing a save refuses.
  FUZZ_REQUIRE(saved.has_value());
  auto again = std::make_unique<TicketStore>();
  FUZZ_REQUIRE(loadTicketBytes(*again, *saved) == LoadCode::Ok);
  FUZZ_REQUIRE(ticketFileText(*again) == *saved);

  transferRoundTrip(*store);
  return 0;
}
