// The program: one main window over the data files of the working
// directory. It takes no arguments; the settings it keeps are where its main
// window was left and, per data directory, the year the trend window draws
// its calendar for.

#include <QApplication>
#include <QDir>
#include <csignal>

#include "shell/data_dir_lock.h"
#include "shell/main_window.h"
#include "widgets/look.h"
#include "widgets/messages.h"

int main(int argc, char* argv[]) {
  // Under a file-size limit a write beyond it must fail as an error (the
  // save then reports it), not end the program with the user's work.
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication app(argc, argv);
  tamrel::setUpJapaneseApplication(app);
  tamrel::setUpDesktopIdentity();

  // The boxes are parented to nothing: they must work before the main window
  // exists (the start-up notice) and after it has begun to close.
  tamrel::BoxMessages messages(nullptr);
  // Held until the program ends: a second copy on the same files would
  // overwrite this one's work.
  tamrel::DataDirLock lock;
  if (!tamrel::lockDataDirAtStart(lock, QDir::currentPath(), messages)) return 1;
  tamrel::MainWindow window(messages);
  window.holdDataDirLock(lock);
  window.show();
  return QApplication::exec();
}
