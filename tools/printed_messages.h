#pragma once
// Messages for the tools that drive the real windows without a user: each
// message is printed to stderr and answered with はい/OK, so nothing waits.

#include <QString>
#include <cstdio>

#include "widgets/messages.h"

namespace tamrel {

class PrintedMessages final : public Messages {
 public:
  void error(const QString& text, const QString& detail = QString()) override {
    print(kErrorTitle, detail.isEmpty() ? text : text + QStringLiteral(" (") + detail + u')');
  }
  void notice(const QString& text) override { print(kConfirmTitle, text); }
  bool ask(const QString& text, bool = true) override {
    print(kConfirmTitle, text + QStringLiteral(" → はい"));
    return true;
  }

 private:
  static void print(const QString& title, const QString& text) {
    std::fprintf(stderr, "[%s] %s\n", qUtf8Printable(title), qUtf8Printable(text));
  }
};

}  // namespace tamrel
