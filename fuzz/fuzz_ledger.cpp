// Any bytes as "tosidata.dat". Whatever loads with code 0 saves to bytes that
// load again with code 0, to the same records (the saved text holds every
// column of every record) and so to the same bytes. The day sums read
// every slot as summing its amounts one by one by the exact amount rule
// would (never through the stored form's quick reading), and reading only the
// days' sums gives the load's report and, after a load that is ok, the sums
// of every slot in date order. The loader's fast way through usual day lines
// gives the records and code the plain rule gives.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/amount.h"
#include "base/file_io.h"
#include "fuzz_check.h"
#include "ledger/ledger_file.h"
#include "ledger/ledger_records.h"

using namespace tamrel;

namespace {

// A quantity of every bet type by the general amount rule alone.
std::optional<std::array<std::int32_t, kBetTypeCount>> byRule(const LedgerRecord& r, Quantity q) {
  std::array<std::int32_t, kBetTypeCount> values{};
  for (const BetTypeInfo& bt : kBetTypes) {
    const auto value = amount_detail::parseLeadingAmount(r.fieldText(fileField(q, bt.type)));
    if (!value) return std::nullopt;
    values[static_cast<std::size_t>(index(bt.type))] = *value;
  }
  return values;
}

void sameSumsAsOneByOne(const LedgerRecord& r) {
  const DaySums sums = daySums(r);
  const auto stakes = byRule(r, Quantity::Stake);
  const auto payouts = byRule(r, Quantity::Payout);
  FUZZ_REQUIRE(betAmounts(r).has_value() == (stakes && payouts));
  if (!stakes || !payouts) {
    FUZZ_REQUIRE(sums.racing && !sums.stake && !sums.payout);
    return;
  }
  const auto nonZero = [](std::int32_t v) { return v != 0; };
  FUZZ_REQUIRE(sums.racing == (std::any_of(stakes->begin(), stakes->end(), nonZero) ||
                               std::any_of(payouts->begin(), payouts->end(), nonZero)));
  FUZZ_REQUIRE(sums.stake == checkedSum(*stakes));
  FUZZ_REQUIRE(sums.payout == checkedSum(*payouts));
}

void sameDaysAsTheLoad(std::string_view bytes, const YearLedger& ledger, LoadCode code) {
  auto days = std::make_unique<YearDaySums>();
  FUZZ_REQUIRE(readLedgerDayText(bytes, true, *days).code == code);
  if (code != LoadCode::Ok) return;
  for (int m = 1; m <= 12; ++m) {
    for (int d = 1; d <= kSlotsPerMonth; ++d) {
      const DaySums& read = (*days)[static_cast<std::size_t>((m - 1) * kSlotsPerMonth + d - 1)];
      const DaySums loaded = daySums(daySlot(ledger, m, d));
      FUZZ_REQUIRE(read == loaded);
    }
  }
}

// The plain rule, line by line: S once, twelve M lines, 186 D lines in each
// half placed by position.
void sameAsPlainRule(std::string_view bytes, const YearLedger& ledger, LoadCode code) {
  std::vector<std::string_view> years, months, firstHalf, secondHalf;
  bool stopped = false;
  forEachLine(bytes, [&](std::string_view line) {
    if (line.empty()) return true;
    if (line.front() == 'S') years.push_back(line);
    if (line.front() == 'M') months.push_back(line);
    if (line.front() == 'D') {
      if (months.empty()) stopped = true;
      (months.size() <= 6 ? firstHalf : secondHalf).push_back(line);
    }
    stopped = stopped || months.size() > 12 || firstHalf.size() > kSlotsPerHalf ||
              secondHalf.size() > kSlotsPerHalf;
    return !stopped;
  });
  const bool whole = !stopped && !years.empty() && months.size() == 12 &&
                     firstHalf.size() == kSlotsPerHalf && secondHalf.size() == kSlotsPerHalf;
  FUZZ_REQUIRE(whole == (code == LoadCode::Ok));
  if (!whole) return;
  const auto same = [](const LedgerRecord& record, std::string_view line) {
    LedgerRecord expected;
    std::copy_n(line.begin(), std::min(line.size(), LedgerRecord::kWidth), expected.text.begin());
    return record.text == expected.text;
  };
  FUZZ_REQUIRE(same(ledger.year, years.front()));
  for (std::size_t i = 0; i < 12; ++i) FUZZ_REQUIRE(same(ledger.months[i], months[i]));
  for (std::size_t i = 0; i < kSlotsPerHalf; ++i) {
    FUZZ_REQUIRE(same(ledger.firstHalf[i], firstHalf[i]));
    FUZZ_REQUIRE(same(ledger.secondHalf[i], secondHalf[i]));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto ledger = std::make_unique<YearLedger>();
  const LoadCode code = loadLedgerBytes(*ledger, bytes);

  // Whatever was read, however broken, can be shown.
  (void)betAmounts(ledger->year);
  for (int m = 1; m <= 12; ++m) {
    (void)betAmounts(ledger->month(m));
    for (int d = 1; d <= kSlotsPerMonth; ++d) sameSumsAsOneByOne(daySlot(*ledger, m, d));
  }
  sameDaysAsTheLoad(bytes, *ledger, code);
  sameAsPlainRule(bytes, *ledger, code);
  if (code != LoadCode::Ok) return 0;

  const auto saved = ledgerSaveText(*ledger);
  // A loaded record cannot hold an LF, the one thing a save refuses.
  FUZZ_REQUIRE(saved.has_value());
  auto again = std::make_unique<YearLedger>();
  FUZZ_REQUIRE(loadLedgerBytes(*again, *saved) == LoadCode::Ok);
  FUZZ_REQUIRE(ledgerFileText(*again) == *saved);
  return 0;
}
