#include "ledger/ledger_records.h"

#include <algorithm>
#include <cassert>
#include <limits>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace tamrel {

namespace {

// 0-based offset of the amount of file field k (its separator sits just
// before it).
std::size_t fieldOffset(int k) { return static_cast<std::size_t>(4 + 11 * (k - 1)); }

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
  return view().substr(fieldOffset(k), kAmountWidth);
}

bool LedgerRecord::setField(int k, std::int32_t value) {
  assert(validField(k));
  const auto stored = amountText(value);
  if (!stored) return false;
  std::copy(stored->begin(), stored->end(),
            text.begin() + static_cast<std::ptrdiff_t>(fieldOffset(k)));
  return true;
}

std::optional<std::int32_t> LedgerRecord::field(int k) const { return parseAmount(fieldText(k)); }

int fileField(Quantity q, BetType t) {
  const int i = index(t);
  const int quantity = static_cast<int>(q);
  // The file keeps the three quantities of a bet type together, with the
  // three totals between Uma and Kak.
  return i < 4 ? 1 + 3 * i + quantity : 16 + 3 * (i - 4) + quantity;
}

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
    return readAmount(r.view().substr(fieldOffset(fileField(q, t)), kAmountWidth), value);
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

namespace {

std::optional<std::int32_t> inRange(std::int64_t sum) {
  if (sum > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(sum);
}

// The exact rule: every amount read as parseAmount reads it. Out of line:
// only text not in the stored form comes here.
[[gnu::noinline]] DaySums daySumsByRule(const char* record) {
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

#if defined(__SSE2__) && defined(__x86_64__)
// Ten digit sums in the first ten byte lanes (each at most 7 x 9) as one
// number, the first the most significant: pairs, then quadruples, then all
// eight of the first eight lanes, each step in lanes wide enough for the
// sums, then the last two.
std::int64_t digitSumValue(__m128i sums) {
  constexpr std::uint64_t kEvenBytes = 0x00FF00FF00FF00FFu;
  constexpr std::uint64_t kEvenPairs = 0x0000FFFF0000FFFFu;
  const auto head = static_cast<std::uint64_t>(_mm_cvtsi128_si64(sums));
  const auto rest = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_srli_si128(sums, 8)));
  const std::uint64_t pairs = (head & kEvenBytes) * 10 + ((head >> 8) & kEvenBytes);
  const std::uint64_t quads = (pairs & kEvenPairs) * 100 + ((pairs >> 16) & kEvenPairs);
  const std::uint64_t eight = (quads & 0xFFFFFFFFu) * 10000 + (quads >> 32);
  const std::uint64_t last = (rest & 0xFF) * 10 + ((rest >> 8) & 0xFF);
  return static_cast<std::int64_t>(eight * 100 + last);
}

// Whether every lane of `highest` is at most the same lane of `limits`.
bool within(__m128i highest, __m128i limits) {
  return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(highest, limits), limits)) == 0xFFFF;
}
#endif

}  // namespace

DaySums daySums(const LedgerRecord& r) { return daySums(r.text.data()); }

DaySums daySums(const char* record) {
#if defined(__SSE2__) && defined(__x86_64__)
  // Nearly every field is ten digits from 0 or 1 on: each then lies within
  // the range and is not negative, so a sum leaves the range exactly when
  // the whole does. Such fields are summed digit by digit in byte lanes and
  // only the two sums turned into numbers; any other text takes the exact
  // rule. A bet type's stake and payout stand side by side ("SSSSSSSSSS,
  // PPPPPPPPPP"): one load holds the stake in lanes 0-9, one five bytes on
  // the payout in lanes 6-15.
  constexpr int kPayoutLane = 6;
  static_assert(kAmountWidth + 1 - kPayoutLane + 16 <= 2 * kAmountWidth + 1);
  const __m128i zeros = _mm_set1_epi8('0');
  __m128i stakeSums = _mm_setzero_si128();
  __m128i payoutSums = _mm_setzero_si128();
  __m128i stakeHighest = _mm_setzero_si128();
  __m128i payoutHighest = _mm_setzero_si128();
#pragma GCC unroll 7
  for (const BetTypeInfo& bt : kBetTypes) {
    const int stakeField = fileField(Quantity::Stake, bt.type);
    assert(fileField(Quantity::Payout, bt.type) == stakeField + 1);
    const char* text = record + fieldOffset(stakeField);
    const __m128i stake =
        _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text)), zeros);
    const __m128i payout = _mm_sub_epi8(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + kAmountWidth + 1 - kPayoutLane)),
        zeros);
    stakeSums = _mm_add_epi8(stakeSums, stake);
    payoutSums = _mm_add_epi8(payoutSums, payout);
    stakeHighest = _mm_max_epu8(stakeHighest, stake);
    payoutHighest = _mm_max_epu8(payoutHighest, payout);
  }
  // A digit less '0' is 0..9 (a byte below '0' wraps above); the first digit
  // must be 0 or 1; lanes outside the field may hold anything.
  const __m128i stakeLimits = _mm_setr_epi8(1, 9, 9, 9, 9, 9, 9, 9, 9, 9, -1, -1, -1, -1, -1, -1);
  const __m128i payoutLimits = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, 1, 9, 9, 9, 9, 9, 9, 9, 9, 9);
  if (!within(stakeHighest, stakeLimits) || !within(payoutHighest, payoutLimits)) {
    return daySumsByRule(record);
  }
  const std::int64_t stake = digitSumValue(stakeSums);
  const std::int64_t payout = digitSumValue(_mm_srli_si128(payoutSums, kPayoutLane));
  DaySums out;
  // Digits that sum to nothing are all 0.
  out.racing = stake != 0 || payout != 0;
  out.stake = inRange(stake);
  out.payout = inRange(payout);
  return out;
#else
  return daySumsByRule(record);
#endif
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
