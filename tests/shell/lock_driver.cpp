// Another copy of the program, for the lock tests.
//
//   lock_driver hold DIR    takes the lock of DIR, prints "locked", and keeps
//                           it until its standard input is closed
//   lock_driver start DIR   runs the program's start-up check and prints each
//                           message it would show; exits 0 when the program
//                           may start, 3 when it is refused, 2 on misuse

#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <cstring>

#include "shell/data_dir_lock.h"
#include "widgets/messages.h"

namespace {

class PrintedMessages final : public tamrel::Messages {
 public:
  void error(const QString& text, const QString& = QString()) override { print("error", text); }
  void notice(const QString& text) override { print("notice", text); }
  bool ask(const QString& text, bool = true) override {
    print("ask", text);
    return false;
  }

 private:
  static void print(const char* kind, const QString& text) {
    std::printf("%s: %s\n", kind, text.toUtf8().constData());
    std::fflush(stdout);
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  if (argc != 3) return 2;
  const QString dir = QString::fromLocal8Bit(argv[2]);
  tamrel::DataDirLock lock;
  if (std::strcmp(argv[1], "hold") == 0) {
    if (lock.tryLock(dir) != tamrel::DataDirLock::Result::Locked) return 3;
    std::printf("locked\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
  }
  if (std::strcmp(argv[1], "start") == 0) {
    PrintedMessages messages;
    return tamrel::lockDataDirAtStart(lock, dir, messages) ? 0 : 3;
  }
  return 2;
}
