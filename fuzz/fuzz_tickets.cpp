// Any bytes as "info.dat". Whatever loads with code 0 saves to bytes that load
// again with code 0 and save to the same bytes (the saved text holds every
// column of the header and of every live record). Taking one day of a month
// into the working list and storing it back keeps the month's records.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
