// The program: one main window over the data files of the working
// directory. It takes no arguments and reads no settings.

#include <QApplication>

#include "shell/main_window.h"
#include "widgets/look.h"
#include "widgets/messages.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  tamrel::setUpJapaneseApplication(app);
  tamrel::setUpDesktopIdentity();

  // The boxes are parented to nothing: they must work before the main window
  // exists (the start-up notice) and after it has begun to close.
  tamrel::BoxMessages messages(nullptr);
  tamrel::MainWindow window(messages);
  window.show();
  return QApplication::exec();
}
