// tamrel_startup_probe DIR: starts in DIR as the program does (the main
// window loads both files while it is built), shows the main window, lets
// the event loop run until it is idle and ends. The benchmark program runs it
// to measure the peak memory of a start-up; messages are counted, not shown,
// so nothing waits for a click.

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>

#include "shell/main_window.h"
#include "widgets/look.h"
#include "widgets/messages.h"

namespace {

class SilentMessages final : public tamrel::Messages {
 public:
  void error(const QString&) override { ++count; }
  void notice(const QString&) override { ++count; }
  bool ask(const QString&) override {
    ++count;
    return false;
  }
  int count = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc != 2 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "usage: tamrel_startup_probe DIR\n");
    return 2;
  }
  tamrel::setUpJapaneseApplication(app);
  SilentMessages messages;
  tamrel::MainWindow window(messages);
  window.show();
  QTimer::singleShot(0, &app, &QCoreApplication::quit);
  return QApplication::exec();
}
