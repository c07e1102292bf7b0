#pragma once
// The program's one settings store (the main window's place, the trend
// window's year per data directory), whatever the application object is
// called, so that every window reads and writes the same file.

#include <QSettings>
#include <QString>
#include <memory>

namespace tamrel {

inline std::unique_ptr<QSettings> programSettings() {
  return std::make_unique<QSettings>(QStringLiteral("Tamrel"), QStringLiteral("Tamrel"));
}

}  // namespace tamrel
