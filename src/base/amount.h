#pragma once
// Whole-yen amounts: the one place where amount text is parsed and formatted
// and where 32-bit arithmetic is checked. Every window and file routine goes
// through these; none re-implements them.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/simd.h"

namespace tamrel {

// Width of every stored amount field ("0000000000").
inline constexpr std::size_t kAmountWidth = 10;

namespace amount_detail {
// The stored form of a non-negative amount, ten digits and nothing else, is
// by far the most read text: every ticket and every day slot of the year is
// read for the statistics and the year's figures. Its value without the
// general scan, eight digits at a time; false for any other text (or a value
// beyond the 32-bit range), which the general rule reads. Inline, so that a
// pass over the year pays no call per amount.
// Byte lanes: whether the eight bytes of `chunk` are all digits. A byte is a
// digit when it is below 0x80, does not drop below 0 when '0' is taken away,
// and does not reach 0x80 when 0x46 is added ('9' + 0x46 is 0x7F). A borrow
// or carry out of one lane needs that lane to fail one of those tests first,
// so a lane that passes is never spoiled by its neighbour's. nonDigits is 0
// exactly when all are digits, so that several chunks are tested at once.
inline std::uint64_t nonDigits(std::uint64_t chunk) {
  constexpr std::uint64_t kHigh = 0x8080808080808080u;
  return (chunk | (chunk - 0x3030303030303030u) | (chunk + 0x4646464646464646u)) & kHigh;
}
inline bool allDigits(std::uint64_t chunk) { return nonDigits(chunk) == 0; }

inline bool storedAmount(std::string_view text, std::int32_t& value) {
#if !TAMREL_BYTE_LANES
  // The plain build reads every amount by the general rule.
  (void)text;
  (void)value;
  return false;
#else
  if (text.size() != kAmountWidth) return false;
  std::uint64_t chunk = 0;
  std::memcpy(&chunk, text.data(), sizeof chunk);
  if (!allDigits(chunk)) return false;
  const std::uint64_t values = chunk - 0x3030303030303030u;
  const auto last = static_cast<unsigned>(text[8] - '0');
  const auto units = static_cast<unsigned>(text[9] - '0');
  if (last > 9 || units > 9) return false;
  // Pairs, then quadruples, then all eight, the first character the most
  // significant (the bytes were read in memory order). Each step's lanes
  // hold at most 99, 9,999 and 99,999,999, within their 16, 32 and 64 bits.
  static_assert(std::endian::native == std::endian::little);
  std::uint64_t v = values;
  v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFu;
  v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFu;
  v = (v * 10000 + (v >> 32)) & 0xFFFFFFFFu;
  const std::uint64_t whole = v * 100 + last * 10 + units;
  // Beyond the range: the general rule says so.
  if (whole > std::uint64_t{std::numeric_limits<std::int32_t>::max()}) return false;
  value = static_cast<std::int32_t>(whole);
  return true;
#endif
}
std::optional<std::int32_t> parseLeadingAmount(std::string_view text);
// Out of line: the rare texts that are not in the stored form.
bool positiveByRule(std::string_view text);
}  // namespace amount_detail

// The value of the leading decimal number of `text`: an optional sign and
// digits with an optional fraction are read up to the first character that
// cannot continue the number, blanks (space, tab) skipped wherever they stand
// ("1 000" is 1000), and the value is rounded half to even. No number gives 0. A value outside the
// signed 32-bit range gives nullopt: callers treat that as an overflow, never wrap it.
// (Inline: every ticket's two amounts are read each time the statistics are
// computed, and an optional returned from out of line costs more than
// reading the stored digits.)
inline std::optional<std::int32_t> parseAmount(std::string_view text) {
  std::int32_t value = 0;
  if (amount_detail::storedAmount(text, value)) return value;
  return amount_detail::parseLeadingAmount(text);
}

// parseAmount's value into `value`; false (`value` unchanged) where it
// gives nullopt. For the passes over a whole year's amounts: an optional
// built and taken apart for each amount costs more than reading its digits.
inline bool readAmount(std::string_view text, std::int32_t& value) {
  if (amount_detail::storedAmount(text, value)) return true;
  const std::optional<std::int32_t> read = amount_detail::parseLeadingAmount(text);
  if (read) value = *read;
  return read.has_value();
}

// Whether parseAmount gives a value above 0 (a ticket's payout makes it a
// hit). The stored form is told by its digits alone, without their value.
inline bool positiveAmount(std::string_view text) {
#if TAMREL_BYTE_LANES
  if (text.size() == kAmountWidth && text[0] <= '1') {
    // Ten digits from 0 or 1 on are within the range: above 0 unless all are
    // 0. The two reads overlap, so all ten digits are looked at.
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
    std::memcpy(&head, text.data(), sizeof head);
    std::memcpy(&tail, text.data() + 2, sizeof tail);
    // Both halves in one test: a pass over a year's tickets would pay a
    // branch for each.
    if ((amount_detail::nonDigits(head) | amount_detail::nonDigits(tail)) == 0) {
      constexpr std::uint64_t kZeros = 0x3030303030303030u;
      // One test, not two: whether a ticket pays out follows no pattern.
      return ((head ^ kZeros) | (tail ^ kZeros)) != 0;
    }
  }
#endif
  return amount_detail::positiveByRule(text);
}

// Same leading-number rule, unrounded (the dividend of the payout calculator).
double parseDecimal(std::string_view text);

// Rounds half to even into the signed 32-bit range; nullopt when outside it.
std::optional<std::int32_t> roundToAmount(double value);

// Stored form of an amount: exactly ten characters. Non-negative values are
// ten zero-padded digits; a negative value is "-" and nine digits
// (-500 -> "-000000500"), which parseAmount reads back. Values below
// -999,999,999 cannot be stored and give nullopt.
std::optional<std::array<char, kAmountWidth>> amountText(std::int32_t value);

// Display pattern "#########0": no grouping, leading "-" for negatives.
std::string formatAmount(std::int32_t value);
// The same with a comma between groups of three digits, as tables that
// compare many amounts show them: -1234567 -> "-1,234,567".
std::string formatGroupedAmount(std::int32_t value);

// Amounts in the newer views: digits grouped by three and "円"
// (-1234567 -> "-1,234,567円").
std::string formatYen(std::int32_t value);

// A non-negative number in full-width digits (UTF-8), as list entries and
// row labels show months and days: 12 -> "１２".
std::string fullWidthNumber(int n);

// Display format "percent": rate x 100 with two decimals and "%"
// (1.5 -> "150.00%").
std::string formatPercent(float rate);

// Overflow-checked signed 32-bit arithmetic.
// Inline: called for every ticket and category when the statistics are
// computed, and an out-of-line optional return costs more than the addition.
inline std::optional<std::int32_t> checkedAdd(std::int32_t a, std::int32_t b) {
  std::int32_t result = 0;
  if (__builtin_add_overflow(a, b, &result)) return std::nullopt;
  return result;
}
inline std::optional<std::int32_t> checkedSub(std::int32_t a, std::int32_t b) {
  std::int32_t result = 0;
  if (__builtin_sub_overflow(a, b, &result)) return std::nullopt;
  return result;
}
inline std::optional<std::int32_t> checkedSum(std::span<const std::int32_t> values) {
  std::int32_t sum = 0;
  for (std::int32_t v : values) {
    if (__builtin_add_overflow(sum, v, &sum)) return std::nullopt;
  }
  return sum;
}

// A 64-bit sum (a year's payouts can pass 2^31) as an amount the formats
// take; nullopt outside the signed 32-bit range.
inline std::optional<std::int32_t> narrowAmount(std::int64_t value) {
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

// payout / stake in double precision, held as single precision; 0 for a zero
// stake.
float recoveryRate(std::int32_t stake, std::int32_t payout);

// payout - stake; nullopt on overflow.
inline std::optional<std::int32_t> profit(std::int32_t stake, std::int32_t payout) {
  return checkedSub(payout, stake);
}

}  // namespace tamrel
