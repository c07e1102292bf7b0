#pragma once
// Texts between the Qt-free core and the windows: core texts (UTF-8
// captions, formatted amounts) as the windows show them, and the text of a
// box as the core's amount parser reads it.

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/amount.h"

namespace tamrel {

inline QString fromCore(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Full-width forms as their ASCII forms. A Japanese input method (or a
// paste) gives "１２３", "－５", "１．５" and the full-width space; in a box
// for an amount they stand for "123", "-5", "1.5" and a blank.
inline QString asciiForms(const QString& text) {
  QString ascii = text;
  for (QChar& c : ascii) {
    const char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E) {
      c = QChar(static_cast<char16_t>(u - 0xFF01 + 0x21));
    } else if (u == 0x3000) {
      c = QChar(u' ');
    }
  }
  return ascii;
}

// A box's text as the amount parser reads it. Digit-group commas are
// skipped as blanks are ("1,500" is 1500).
inline std::string amountInputText(const QString& boxText) {
  return asciiForms(boxText).remove(u',').toStdString();
}

// The amount a box holds (leading-number rule of base/amount.h); nullopt
// when it is beyond the 32-bit range.
inline std::optional<std::int32_t> boxAmount(const QString& boxText) {
  return parseAmount(amountInputText(boxText));
}

// The same rule, unrounded (the dividend of the payout calculator).
inline double boxDecimal(const QString& boxText) { return parseDecimal(amountInputText(boxText)); }

}  // namespace tamrel
