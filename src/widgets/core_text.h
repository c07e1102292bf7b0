#pragma once
// Texts of the Qt-free core (UTF-8 captions, formatted amounts) as the
// windows show them.

#include <QString>
#include <string_view>

namespace tamrel {

inline QString fromCore(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace tamrel
