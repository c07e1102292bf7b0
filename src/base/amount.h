#pragma once
// Whole-yen amounts: the one place where amount text is parsed and formatted
// and where 32-bit arithmetic is checked. Every window and file routine goes
// through these; none re-implements them.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tamrel {

// Width of every stored amount field ("0000000000").
inline constexpr std::size_t kAmountWidth = 10;

namespace amount_detail {
// The stored ten-digit form of an amount within range; false for any other
// text, which the general rule reads.
bool storedAmount(std::string_view text, std::int32_t& value);
std::optional<std::int32_t> parseLeadingAmount(std::string_view text);
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
std::optional<std::int32_t> checkedSum(std::span<const std::int32_t> values);

// payout / stake in double precision, held as single precision; 0 for a zero
// stake.
float recoveryRate(std::int32_t stake, std::int32_t payout);

// payout - stake; nullopt on overflow.
std::optional<std::int32_t> profit(std::int32_t stake, std::int32_t payout);

}  // namespace tamrel
