// The program: one main window over the data files of the working
// directory. It takes no arguments and reads no settings.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "shell/look.h"
#include "shell/main_window.h"
#include "shell/messages.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setFont(tamrel::uiFont());

  // Standard dialogs and context menus speak Japanese like the rest of the
  // program, whatever the user's locale.
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  QTranslator qtTranslator;
  if (qtTranslator.load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qtTranslator);
  }

  // The boxes are parented to nothing: they must work before the main window
  // exists (the start-up notice) and after it has begun to close.
  tamrel::BoxMessages messages(nullptr);
  tamrel::MainWindow window(messages);
  window.show();
  return QApplication::exec();
}
