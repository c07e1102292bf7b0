#include "ledger/ledger_records.h"

#include <algorithm>
#include <cassert>
#include <limits>

namespace tamrel {

namespace {

[[maybe_unused]] bool validField(int k) { return k >= 1 && k <= LedgerRecord::kFieldCount; }

std::optional<std::int32_t> sumOf(const std::array<std::int32_t, kBetTypeCount>& values) {
  return checkedSum(std::span<const std::int32_t>(values));
}

// stored + newSum - baseSum, exact; nullopt unless the result is a 32-bit
// value. The intermediate is 64-bit so only the stored result can overflow.
std::optional<std::int32_t> shifted(std::int32_t stored, std::int32_t newValue,
                                    std::int32_t baseValue) {
  const std::int64_t r = std::int64_t{stored} + newValue - baseValue;
  if (r < std::numeric_limits<std::int32_t>::min() ||
      r > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(r);
}

bool setShifted(LedgerRecord& r, int field, std::int32_t newValue, std::int32_t baseValue) {
  const auto stored = r.field(field);
  if (!stored) return false;
  const auto next = shifted(*stored, newValue, baseValue);
  return next && r.setField(field, *next);
}

}  // namespace

std::string_view LedgerRecord::fieldText(int k) const {
  assert(validField(k));
  return view().substr(LedgerRecord::fieldOffset(k), kAmountWidth);
}

bool LedgerRecord::setField(int k, std::int32_t value) {
  assert(validField(k));
  const auto stored = amountText(value);
  if (!stored) return false;
  std::copy(stored->begin(), stored->end(),
            text.begin() + static_cast<std::ptrdiff_t>(LedgerRecord::fieldOffset(k)));
  return true;
}

std::optional<std::int32_t> LedgerRecord::field(int k) const { return parseAmount(fieldText(k)); }

std::optional<std::int32_t> amount(const LedgerRecord& r, Quantity q, BetType t) {
  return r.field(fileField(q, t));
}

bool setAmount(LedgerRecord& r, Quantity q, BetType t, std::int32_t value) {
  return r.setField(fileField(q, t), value);
}

std::optional<BetAmounts> betAmounts(const LedgerRecord& r) {
  // The trend and the year comparison read every day slot of the year
  // through here: the fields are taken from the text at their offsets.
  const auto read = [&r](Quantity q, BetType t, std::int32_t& value) {
    return readAmount(r.view().substr(LedgerRecord::fieldOffset(fileField(q, t)), kAmountWidth),
                      value);
  };
  BetAmounts out;
  // Unrolled over the seven bet types, so that every field's offset is a
  // constant.
#pragma GCC unroll 7
  for (const BetTypeInfo& bt : kBetTypes) {
    const auto i = static_cast<std::size_t>(index(bt.type));
    if (!read(Quantity::Stake, bt.type, out.stake[i]) ||
        !read(Quantity::Payout, bt.type, out.payout[i])) {
      return std::nullopt;
    }
  }
  return out;
}

namespace {}  // namespace

DaySums ledger_detail::daySumsByRule(const char* record) {
  LedgerRecord r;
  std::copy_n(record, LedgerRecord::kWidth, r.text.begin());
  const std::optional<BetAmounts> amounts = betAmounts(r);
  DaySums out;
  out.racing = true;
  if (!amounts) return out;
  const auto nonZero = [](std::int32_t v) { return v != 0; };
  out.racing = std::any_of(amounts->stake.begin(), amounts->stake.end(), nonZero) ||
               std::any_of(amounts->payout.begin(), amounts->payout.end(), nonZero);
  out.stake = sumOf(amounts->stake);
  out.payout = sumOf(amounts->payout);
  return out;
}

int slotIndex(int month, int day) {
  assert(month >= 1 && month <= 12 && day >= 1 && day <= kSlotsPerMonth);
  return ((month - 1) % 6) * kSlotsPerMonth + day;
}

LedgerRecord& daySlot(YearLedger& ledger, int month, int day) {
  auto& block = month <= 6 ? ledger.firstHalf : ledger.secondHalf;
  return block[static_cast<std::size_t>(slotIndex(month, day) - 1)];
}

const LedgerRecord& daySlot(const YearLedger& ledger, int month, int day) {
  const auto& block = month <= 6 ? ledger.firstHalf : ledger.secondHalf;
  return block[static_cast<std::size_t>(slotIndex(month, day) - 1)];
}

std::optional<Figures> deriveFigures(const BetAmounts& amounts) {
  Figures f;
  std::array<std::int32_t, kBetTypeCount> profits{};
  for (std::size_t i = 0; i < kBetTypeCount; ++i) {
    Figure& b = f.bets[i];
    b.stake = amounts.stake[i];
    b.payout = amounts.payout[i];
    const auto p = profit(b.stake, b.payout);
    if (!p) return std::nullopt;
    b.profit = *p;
    b.rate = recoveryRate(b.stake, b.payout);
    profits[i] = *p;
  }
  const auto stakeTotal = sumOf(amounts.stake);
  const auto payoutTotal = sumOf(amounts.payout);
  const auto profitTotal = sumOf(profits);
  if (!stakeTotal || !payoutTotal || !profitTotal) return std::nullopt;
  f.total.stake = *stakeTotal;
  f.total.payout = *payoutTotal;
  f.total.profit = *profitTotal;
  f.total.rate = recoveryRate(*stakeTotal, *payoutTotal);
  return f;
}

std::optional<Figures> showDay(const YearLedger& ledger, BetAmounts& dayBaseline, int month,
                               int day) {
  const auto amounts = betAmounts(daySlot(ledger, month, day));
  if (!amounts) return std::nullopt;
  auto figures = deriveFigures(*amounts);
  if (!figures) return std::nullopt;
  dayBaseline = *amounts;
  return figures;
}

PostResult postDay(YearLedger& ledger, BetAmounts& dayBaseline, int month, int day,
                   const BetAmounts& values) {
  const auto newStakes = sumOf(values.stake);
  const auto newPayouts = sumOf(values.payout);
  const auto baseStakes = sumOf(dayBaseline.stake);
  const auto basePayouts = sumOf(dayBaseline.payout);
  if (!newStakes || !newPayouts || !baseStakes || !basePayouts) return PostResult::Overflow;

  // Work on copies; the ledger is touched only once every value fits.
  LedgerRecord dayRec = daySlot(ledger, month, day);
  LedgerRecord monthRec = ledger.month(month);
  LedgerRecord yearRec = ledger.year;

  bool ok = setShifted(dayRec, LedgerRecord::kStakeTotalField, *newStakes, *baseStakes) &&
            setShifted(dayRec, LedgerRecord::kPayoutTotalField, *newPayouts, *basePayouts);
  for (std::size_t i = 0; ok && i < kBetTypeCount; ++i) {
    const auto t = static_cast<BetType>(i);
    const std::int32_t ns = values.stake[i];
    const std::int32_t np = values.payout[i];
    const std::int32_t bs = dayBaseline.stake[i];
    const std::int32_t bp = dayBaseline.payout[i];
    ok = setAmount(dayRec, Quantity::Stake, t, ns) && setAmount(dayRec, Quantity::Payout, t, np) &&
         setShifted(yearRec, fileField(Quantity::Stake, t), ns, bs) &&
         setShifted(yearRec, fileField(Quantity::Payout, t), np, bp) &&
         setShifted(monthRec, fileField(Quantity::Stake, t), ns, bs) &&
         setShifted(monthRec, fileField(Quantity::Payout, t), np, bp);
  }
  ok = ok && setShifted(monthRec, LedgerRecord::kStakeTotalField, *newStakes, *baseStakes) &&
       setShifted(monthRec, LedgerRecord::kPayoutTotalField, *newPayouts, *basePayouts);
  if (!ok) return PostResult::Overflow;

  daySlot(ledger, month, day) = dayRec;
  ledger.month(month) = monthRec;
  ledger.year = yearRec;
  dayBaseline = values;
  return PostResult::Ok;
}

}  // namespace tamrel
