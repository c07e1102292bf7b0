#pragma once
// Messages for the benchmarks: counts what would have been shown and answers
// はい, so a benchmark never waits on a box.

#include <QString>

#include "widgets/messages.h"

namespace tamrel::bench {

class SilentMessages final : public Messages {
 public:
  void error(const QString&, const QString& = QString()) override { ++shown; }
  void notice(const QString&) override { ++shown; }
  bool ask(const QString&, bool = true) override {
    ++shown;
    return true;
  }
  int shown = 0;
};

}  // namespace tamrel::bench
