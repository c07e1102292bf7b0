#pragma once
// The year ledger in memory: one record for the year, one per month and one
// per day slot (31 per month, whether or not the calendar has the day).

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "base/amount.h"
#include "base/simd.h"

namespace tamrel {

// The seven bet types, always handled in this order.
enum class BetType : int { Tan, Fuk, Wak, Uma, Kak, UTan, Ren3 };
inline constexpr int kBetTypeCount = 7;

struct BetTypeInfo {
  BetType type;
  std::string_view suffix;        // used in control names: "Tan" .. "3Ren"
  std::string_view caption;       // code-table caption: "単勝", .., "ﾜｲﾄﾞ", "3連複"
  std::string_view labelCaption;  // what window row labels read: "ワイド", "３連複"
};

inline constexpr std::array<BetTypeInfo, kBetTypeCount> kBetTypes{{
    {BetType::Tan, "Tan", "単勝", "単勝"},
    {BetType::Fuk, "Fuk", "複勝", "複勝"},
    {BetType::Wak, "Wak", "枠連", "枠連"},
    {BetType::Uma, "Uma", "馬連", "馬連"},
    {BetType::Kak, "Kak", "ﾜｲﾄﾞ", "ワイド"},
    {BetType::UTan, "UTan", "馬単", "馬単"},
    {BetType::Ren3, "3Ren", "3連複", "３連複"},
}};

// The one name of a bet type in everything that leaves the program (reports,
// copies, CSV files): the year browse's, so that files made from different
// windows join on it. `caption` is any text shown; a code-table caption
// ("ﾜｲﾄﾞ") gives its bet type's name ("ワイド"), other text comes back as it is.
constexpr std::string_view outputName(std::string_view caption) {
  for (const BetTypeInfo& bet : kBetTypes) {
    if (caption == bet.caption) return bet.labelCaption;
  }
  return caption;
}

constexpr int index(BetType t) { return static_cast<int>(t); }
constexpr const BetTypeInfo& info(BetType t) { return kBetTypes[static_cast<std::size_t>(t)]; }

// Stake and payout of each bet type: a day's amounts, the day baseline, the
// ticket totals of a day.
struct BetAmounts {
  std::array<std::int32_t, kBetTypeCount> stake{};
  std::array<std::int32_t, kBetTypeCount> payout{};
  friend bool operator==(const BetAmounts&, const BetAmounts&) = default;
};

// Quantities of a record. Profit fields are stored and carried but never
// read for figures: profit is always derived.
enum class Quantity { Stake, Payout, Profit };

// One ledger record, held as the 267 characters of its file line, in file
// field order, so carried fields survive load and save unchanged.
struct LedgerRecord {
  static constexpr std::size_t kWidth = 267;
  static constexpr int kFieldCount = 24;
  // File fields holding the totals (1-based, as in the file).
  static constexpr int kStakeTotalField = 13;
  static constexpr int kPayoutTotalField = 14;
  static constexpr int kProfitTotalField = 15;

  std::array<char, kWidth> text;

  LedgerRecord() { text.fill(' '); }

  // 0-based offset of the amount of file field k (its separator sits just
  // before it).
  static constexpr std::size_t fieldOffset(int k) {
    return static_cast<std::size_t>(4 + 11 * (k - 1));
  }

  std::string_view view() const { return {text.data(), text.size()}; }
  std::string_view identifier() const { return view().substr(0, 3); }
  // The ten-character amount text of file field k (1..24).
  std::string_view fieldText(int k) const;
  // Stores `value` in field k; false (record unchanged) if it cannot be stored.
  bool setField(int k, std::int32_t value);
  // Reads field k; nullopt when its number is outside the 32-bit range.
  std::optional<std::int32_t> field(int k) const;
};

// The file field (1..24) that holds a quantity of a bet type. The file keeps
// the three quantities of a bet type together, with the three totals between
// Uma and Kak.
constexpr int fileField(Quantity q, BetType t) {
  const int i = index(t);
  const int quantity = static_cast<int>(q);
  return i < 4 ? 1 + 3 * i + quantity : 16 + 3 * (i - 4) + quantity;
}
// Each bet type's payout field follows its stake field (daySums reads them
// together).
static_assert([] {
  for (const BetTypeInfo& bt : kBetTypes) {
    if (fileField(Quantity::Payout, bt.type) != fileField(Quantity::Stake, bt.type) + 1) {
      return false;
    }
  }
  return true;
}());

std::optional<std::int32_t> amount(const LedgerRecord& r, Quantity q, BetType t);
bool setAmount(LedgerRecord& r, Quantity q, BetType t, std::int32_t value);

// Stake and payout of the seven bet types of a record; nullopt when one of
// them is outside the 32-bit range (possible only in an edited file).
std::optional<BetAmounts> betAmounts(const LedgerRecord& r);

// What the year's figures take of a day slot: the sums of its seven stakes
// and of its seven payouts, each empty when a stored amount cannot be read
// or the sum leaves the range, and whether it is a racing day (an amount not
// zero, or one that cannot be read).
struct DaySums {
  bool racing = false;
  std::optional<std::int32_t> stake;
  std::optional<std::int32_t> payout;
  friend bool operator==(const DaySums&, const DaySums&) = default;
};

namespace ledger_detail {
// daySums by the exact rule, every amount read as parseAmount reads it. Out
// of line: only text not in the stored form comes here.
DaySums daySumsByRule(const char* record);

inline std::optional<std::int32_t> inRange(std::int64_t sum) {
  if (sum > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(sum);
}

#if TAMREL_SSE2
// Ten digit sums in the first ten byte lanes (each at most 7 x 9 = 63) as
// one number, the first the most significant: pairs (at most 63 x 10 + 63 =
// 693 in 16 bits), then quadruples (at most 69,993 in 32 bits), then all
// eight of the first eight lanes (below 2^40 in 64 bits), then the last two.
inline std::int64_t digitSumValue(__m128i sums) {
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
inline bool within(__m128i highest, __m128i limits) {
  return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(highest, limits), limits)) == 0xFFFF;
}
#endif
}  // namespace ledger_detail

// The same as summing betAmounts, faster: the trend and the year comparison
// read every day slot of the year through here. Reads the record's kWidth
// characters where they stand (a file's line, too) and writes the sums into
// `out` field by field: a DaySums built aside and copied into place would
// make the copy wait for its pieces to be stored. Inline, so that a pass over
// the year pays no call per slot.
inline void readDaySums(const char* record, DaySums& out) {
#if TAMREL_SSE2
  // Nearly every field is ten digits from 0 or 1 on: each then lies within
  // the range and is not negative, so a sum leaves the range exactly when
  // the whole does. Such fields are summed digit by digit in byte lanes and
  // only the two sums turned into numbers; any other text takes the exact
  // rule. A bet type's stake and payout stand side by side ("SSSSSSSSSS,
  // PPPPPPPPPP"): one load holds the stake in lanes 0-9, one five bytes on
  // the payout in lanes 6-15. Once every lane is checked to hold 0..9 (the
  // first 0..1), seven bet types add up to at most 63 in a lane: no lane
  // carries into the next.
  using namespace ledger_detail;
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
    const char* text = record + LedgerRecord::fieldOffset(stakeField);
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
    out = daySumsByRule(record);
    return;
  }
  const std::int64_t stake = digitSumValue(stakeSums);
  const std::int64_t payout = digitSumValue(_mm_srli_si128(payoutSums, kPayoutLane));
  // Digits that sum to nothing are all 0.
  out.racing = stake != 0 || payout != 0;
  out.stake = inRange(stake);
  out.payout = inRange(payout);
#else
  out = ledger_detail::daySumsByRule(record);
#endif
}

inline DaySums daySums(const LedgerRecord& r) {
  DaySums out;
  readDaySums(r.text.data(), out);
  return out;
}

inline constexpr int kSlotsPerMonth = 31;
inline constexpr int kSlotsPerHalf = 186;

struct YearLedger {
  LedgerRecord year;
  std::array<LedgerRecord, 12> months;                 // index month - 1
  std::array<LedgerRecord, kSlotsPerHalf> firstHalf;   // index slot - 1, months 1..6
  std::array<LedgerRecord, kSlotsPerHalf> secondHalf;  // index slot - 1, months 7..12

  LedgerRecord& month(int m) { return months[static_cast<std::size_t>(m - 1)]; }
  const LedgerRecord& month(int m) const { return months[static_cast<std::size_t>(m - 1)]; }
};

// 1-based slot index of month m (1..12), day d (1..31) within its half block.
int slotIndex(int month, int day);
LedgerRecord& daySlot(YearLedger& ledger, int month, int day);
const LedgerRecord& daySlot(const YearLedger& ledger, int month, int day);

// Derived figures of one bet type or of the total.
struct Figure {
  std::int32_t stake = 0;
  std::int32_t payout = 0;
  std::int32_t profit = 0;
  float rate = 0.0f;
};

struct Figures {
  std::array<Figure, kBetTypeCount> bets;
  Figure total;
};

// Per-type profit and rate and the four totals; nullopt on overflow.
std::optional<Figures> deriveFigures(const BetAmounts& amounts);

// Reads the day slot, makes its amounts the baseline and returns its
// figures. nullopt (baseline unchanged) when an amount or a sum is outside the
// 32-bit range.
std::optional<Figures> showDay(const YearLedger& ledger, BetAmounts& dayBaseline, int month,
                               int day);

enum class PostResult { Ok, Overflow };

// Posts a day by differences against the baseline: day slot, then the
// year-total and month records. Every new value is computed first; on any
// overflow nothing at all changes. On success the baseline becomes `values`.
[[nodiscard]] PostResult postDay(YearLedger& ledger, BetAmounts& dayBaseline, int month, int day,
                                 const BetAmounts& values);

}  // namespace tamrel
