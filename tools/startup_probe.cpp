// tamrel_startup_probe [DIR]: starts as the program does, in DIR or else in
// the working directory (the main window loads both files while it is
// built), shows the main window, lets the event loop run until it is idle
// and ends with the load's code: 0 when both files loaded, 100 when the
// probe itself failed. Messages are printed to stderr, not shown, so
// nothing waits for a click. The benchmark runs it for the peak memory of a
// start-up; the install test puts it in the program's place behind the
// installed launcher.

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>

#include "printed_messages.h"
#include "shell/main_window.h"
#include "store/app_state.h"
#include "widgets/look.h"

// Apart from every load code.
constexpr int kProbeFailed = 100;

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc > 2 || (argc == 2 && !QDir::setCurrent(QString::fromLocal8Bit(argv[1])))) {
    std::fprintf(stderr, "usage: tamrel_startup_probe [DIR]\n");
    return kProbeFailed;
  }
  tamrel::setUpJapaneseApplication(app);
  tamrel::setUpDesktopIdentity();
  tamrel::PrintedMessages messages;
  tamrel::MainWindow window(messages);
  window.show();
  QTimer::singleShot(0, &app, &QCoreApplication::quit);
  if (QApplication::exec() != 0) return kProbeFailed;
  return static_cast<int>(window.state().LoadResult);
}
