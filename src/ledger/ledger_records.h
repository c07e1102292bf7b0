#pragma once
// The year ledger in memory: one record for the year, one per month and one
// per day slot (31 per month, whether or not the calendar has the day).

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/amount.h"

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

  std::string_view view() const { return {text.data(), text.size()}; }
  std::string_view identifier() const { return view().substr(0, 3); }
  // The ten-character amount text of file field k (1..24).
  std::string_view fieldText(int k) const;
  // Stores `value` in field k; false (record unchanged) if it cannot be stored.
  bool setField(int k, std::int32_t value);
  // Reads field k; nullopt when its number is outside the 32-bit range.
  std::optional<std::int32_t> field(int k) const;
};

// The file field (1..24) that holds a quantity of a bet type.
int fileField(Quantity q, BetType t);

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

// The same as summing betAmounts, faster: the trend and the year comparison
// read every day slot of the year through here. The second form reads a
// record's kWidth characters where they stand (a file's line).
DaySums daySums(const LedgerRecord& r);
DaySums daySums(const char* record);

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
