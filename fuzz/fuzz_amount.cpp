// Any text through the two amount parsers. They agree with each other to
// within the rounding of a whole yen; what parseAmount gives reads back from
// both of its written forms; parseDecimal is never NaN, and infinite only for
// a number with more integer digits than a double can hold.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/amount.h"
#include "fuzz_check.h"

using namespace tamrel;

namespace {

// Significant digits before the point of the text's leading number, counted
// independently of the parser. Blanks are skipped wherever they stand, as the
// amount rule says.
std::size_t integerDigits(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t i = 0;
  while (i < text.size() && blank(text[i])) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  for (; i < text.size(); ++i) {
    if (blank(text[i])) continue;
    if (text[i] < '0' || text[i] > '9') break;
    if (digits > 0 || text[i] != '0') ++digits;
  }
  return digits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto amount = parseAmount(text);
  const double decimal = parseDecimal(text);

  FUZZ_REQUIRE(!std::isnan(decimal));
  if (integerDigits(text) <= 308) FUZZ_REQUIRE(std::isfinite(decimal));

  if (amount) {
    // Rounded to the nearest yen: at most half a yen apart, give or take
    // the double's own rounding of a long decimal.
    const double v = *amount;
    FUZZ_REQUIRE(std::fabs(decimal - v) <= 0.5 + std::fabs(v) * 1e-15);
    FUZZ_REQUIRE(parseAmount(formatAmount(*amount)) == amount);
    if (const auto stored = amountText(*amount)) {
      FUZZ_REQUIRE(parseAmount(std::string_view(stored->data(), stored->size())) == amount);
    }
    FUZZ_REQUIRE(profit(*amount, 0).has_value() == (*amount != INT32_MIN));
  } else {
    // Out of the 32-bit range after rounding.
    FUZZ_REQUIRE(std::fabs(decimal) >= 2147483647.5);
  }
  return 0;
}
