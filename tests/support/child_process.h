#pragma once
// Runs a piece of a test in a forked child, so that a hang or a fatal signal
// shows as a failed check instead of taking the whole test program with it.
// For the Qt-free tests only: a child forked from a process with threads (a
// QApplication) may deadlock.
//
//   const ChildResult r = runInChild([&] { return loadLedger(l, p) == LoadCode::Ok ? 0 : 1; });
//   QVERIFY2(r.exitedWith(0), r.describe().constData());

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <chrono>
#include <functional>
#include <thread>

namespace testsupport {

struct ChildResult {
  bool finished = false;  // false: still running at the deadline, then killed
  bool exited = false;    // ended by _exit, not by a signal
  int exitCode = -1;
  int signal = 0;

  bool exitedWith(int code) const { return finished && exited && exitCode == code; }
  QByteArray describe() const {
    if (!finished) return "the child did not finish in time (hung)";
    if (!exited) return "the child was ended by signal " + QByteArray::number(signal);
    return "the child exited with " + QByteArray::number(exitCode);
  }
};

// `body` runs in the child; its return value (0..255) is the exit code.
inline ChildResult runInChild(const std::function<int()>& body,
                              std::chrono::milliseconds limit = std::chrono::seconds(30)) {
  ChildResult result;
  const pid_t pid = ::fork();
  if (pid < 0) return result;
  if (pid == 0) ::_exit(body());

  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 || std::chrono::steady_clock::now() >= deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  result.finished = true;
  result.exited = WIFEXITED(status);
  result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return result;
}

}  // namespace testsupport
