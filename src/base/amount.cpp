#include "base/amount.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace tamrel {

namespace {

constexpr std::int64_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMax32 = std::numeric_limits<std::int32_t>::max();

// Smallest value that fits the stored form "-" + nine digits.
constexpr std::int32_t kMinStorable = -999'999'999;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kZeroOrBlank = "0 \t";
bool isBlank(char c) { return kBlanks.find(c) != std::string_view::npos; }

// The leading number of a text, split into its parts. Blanks are skipped
// wherever they stand ("1 000" is 1000, "- 5" is -5), so the parts may hold
// blanks between their digits. Exponents are not part of an amount: "1e3"
// reads as 1, as a person typing yen would expect.
struct LeadingNumber {
  bool negative = false;
  std::string_view integer;   // digits (and blanks) before the point
  std::string_view fraction;  // digits (and blanks) after the point
  bool found = false;         // at least one digit
};

LeadingNumber scanNumber(std::string_view text) {
  LeadingNumber n;
  std::size_t i = 0;
  const auto skipBlanks = [&] {
    while (i < text.size() && isBlank(text[i])) ++i;
  };
  // The digits of one part with the blanks among them; true when it held a
  // digit.
  const auto digitRun = [&](std::string_view& part) {
    const std::size_t start = i;
    bool digits = false;
    while (i < text.size() && (isDigit(text[i]) || isBlank(text[i]))) {
      digits = digits || isDigit(text[i]);
      ++i;
    }
    part = text.substr(start, i - start);
    return digits;
  };
  skipBlanks();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    n.negative = text[i] == '-';
    ++i;
  }
  skipBlanks();
  n.found = digitRun(n.integer);
  if (i < text.size() && text[i] == '.') {
    ++i;
    const bool fractionDigits = digitRun(n.fraction);
    n.found = n.found || fractionDigits;
  }
  return n;
}

}  // namespace

std::optional<std::int32_t> amount_detail::parseLeadingAmount(std::string_view text) {
  const LeadingNumber n = scanNumber(text);
  if (!n.found) return 0;

  // Exact decimal rounding: the magnitude saturates well above the 32-bit
  // range, so arbitrarily long digit runs cannot overflow the accumulator.
  constexpr std::int64_t kSaturate = std::int64_t{1} << 40;
  std::int64_t magnitude = 0;
  for (char c : n.integer) {
    if (isBlank(c)) continue;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > kSaturate) return std::nullopt;
  }

  const std::size_t firstDigit = n.fraction.find_first_not_of(kBlanks);
  if (firstDigit != std::string_view::npos) {
    const char first = n.fraction[firstDigit];
    bool roundUp = false;
    if (first > '5') {
      roundUp = true;
    } else if (first == '5') {
      const bool beyondHalf =
          n.fraction.find_first_not_of(kZeroOrBlank, firstDigit + 1) != std::string_view::npos;
      roundUp = beyondHalf || (magnitude % 2 == 1);
    }
    if (roundUp) ++magnitude;
  }

  const std::int64_t value = n.negative ? -magnitude : magnitude;
  if (value < kMin32 || value > kMax32) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

bool amount_detail::positiveByRule(std::string_view text) {
  std::int32_t value = 0;
  return readAmount(text, value) && value > 0;
}

double parseDecimal(std::string_view text) {
  const LeadingNumber n = scanNumber(text);
  if (!n.found) return 0.0;
  std::string digits;
  digits.reserve(n.integer.size() + n.fraction.size() + 3);
  const auto appendDigits = [&digits](std::string_view part) {
    for (char c : part) {
      if (!isBlank(c)) digits.push_back(c);
    }
  };
  appendDigits(n.integer);
  if (digits.empty()) digits.push_back('0');
  digits.push_back('.');
  appendDigits(n.fraction);
  digits.push_back('0');
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) {
    // Out of range either way: too large only when a digit before the point
    // is not zero; a long run of zeros after it is a value too small for a
    // double, which is as near to 0 as the dividend can get.
    const bool tooLarge = n.integer.find_first_not_of(kZeroOrBlank) != std::string_view::npos;
    if (!tooLarge) return 0.0;
    value = std::numeric_limits<double>::infinity();
  }
  return n.negative ? -value : value;
}

std::optional<std::int32_t> roundToAmount(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  // nearbyint rounds in the default mode: to nearest, halves to even.
  const double rounded = std::nearbyint(value);
  if (rounded < static_cast<double>(kMin32) || rounded > static_cast<double>(kMax32)) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(rounded);
}

std::optional<std::array<char, kAmountWidth>> amountText(std::int32_t value) {
  if (value < kMinStorable) return std::nullopt;
  std::array<char, kAmountWidth> out;
  std::int64_t magnitude = value < 0 ? -static_cast<std::int64_t>(value) : value;
  const std::size_t digitsFrom = value < 0 ? 1 : 0;
  for (std::size_t i = kAmountWidth; i > digitsFrom; --i) {
    out[i - 1] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  if (value < 0) out[0] = '-';
  return out;
}

std::string formatAmount(std::int32_t value) { return std::to_string(value); }

std::string formatGroupedAmount(std::int32_t value) {
  const std::string plain = formatAmount(value);
  const std::size_t sign = value < 0 ? 1 : 0;
  std::string text = plain.substr(0, sign);
  for (std::size_t i = sign; i < plain.size(); ++i) {
    if (i > sign && (plain.size() - i) % 3 == 0) text += ',';
    text += plain[i];
  }
  return text;
}

std::string formatYen(std::int32_t value) { return formatGroupedAmount(value) + "円"; }

std::string fullWidthNumber(int n) {
  std::string text;
  for (const char c : std::to_string(n)) {
    // U+FF10 + digit, in UTF-8: EF BC 90..99.
    text += "\xEF\xBC";
    text += static_cast<char>(0x90 + (c - '0'));
  }
  return text;
}

std::string formatPercent(float rate) {
  const double percent = static_cast<double>(rate) * 100.0;
  if (!std::isfinite(percent)) return "0.00%";
  // to_chars, unlike printf, ignores the process locale (Qt adopts the
  // user's, which may use a decimal comma).
  char buffer[64];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, percent, std::chars_format::fixed, 2);
  if (ec != std::errc{}) return "0.00%";
  std::string text(buffer, end);
  // A tiny negative rate rounds to zero; zero has no sign.
  if (text == "-0.00") text = "0.00";
  text.push_back('%');
  return text;
}

float recoveryRate(std::int32_t stake, std::int32_t payout) {
  if (stake == 0) return 0.0f;
  return static_cast<float>(static_cast<double>(payout) / static_cast<double>(stake));
}

}  // namespace tamrel
