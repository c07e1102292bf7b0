// A save cut short at any instant: stopped after each of its steps in turn
// (each write, fsync, link, copy and rename), and killed with SIGKILL at
// random moments. After each, both data files must load as the complete old
// or the complete new version, every kept generation must be a complete
// version in age order, and the next start and save must leave no temporary
// file and no gap in the generations.

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>
#include <array>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "detail/detail_file.h"
#include "ledger/ledger_init.h"
#include "store/data_files.h"
#include "support/child_process.h"
#include "support/odd_files.h"

using namespace tamrel;
using testsupport::readBytes;
using testsupport::runInChild;
using testsupport::writeBytes;
namespace fs = std::filesystem;

namespace {

// Versions 0..2 are the generations the directory starts with, 3 its
// current files, 4 what the save cut short writes, 5 the next save's.
constexpr int kOldest = 0;
constexpr int kCurrent = 3;
constexpr int kNew = 4;
constexpr int kNext = 5;
constexpr int kCrashed = 42;  // the exit code of a child stopped at its step

// The data of version v: a posted day and v * 40 + 1 tickets, so that every
// version has its own bytes and sizes.
std::unique_ptr<AppState> stateOf(int v, const fs::path& dir) {
  auto s = std::make_unique<AppState>();
  s->DataDirSwitched = true;
  s->DataDir = dir.string();
  resetYear(s->ledger, s->tickets);
  BetAmounts baseline;
  BetAmounts day;
  day.stake[0] = 100 * (v + 1);
  if (postDay(s->ledger, baseline, 1, 1, day) != PostResult::Ok) qFatal("post failed");
  MonthTickets& month = s->tickets.month(2);
  month.count = static_cast<std::int16_t>(v * 40 + 1);
  for (int i = 0; i < month.count; ++i) {
    TicketRecord& t = month.slot(i);
    t.setField(TicketField::Month, "02");
    t.setField(TicketField::Day, "01");
    t.setField(TicketField::Purchase, std::to_string(1000000000 + v * 1000 + i));
  }
  month.slot(month.count).markBlank();
  return s;
}

struct Versions {
  std::vector<std::string> ledger;
  std::vector<std::string> tickets;
};

Versions allVersions() {
  Versions out;
  for (int v = kOldest; v <= kNext; ++v) {
    const auto s = stateOf(v, {});
    out.ledger.push_back(ledgerFileText(s->ledger));
    out.tickets.push_back(ticketFileText(s->tickets));
  }
  return out;
}

fs::path generation(const fs::path& file, int n) {
  return n == 0 ? file : fs::path(file.string() + "." + std::to_string(n));
}

// Version 3 as the files, 2, 1 and 0 as their generations ".1" to ".3".
bool prepare(const fs::path& dir, const Versions& versions) {
  for (const auto& e : fs::directory_iterator(dir)) fs::remove_all(e.path());
  for (int n = 0; n <= kKeptGenerations; ++n) {
    if (!writeBytes(generation(dir / kLedgerFileName, n),
                    versions.ledger[static_cast<std::size_t>(kCurrent - n)]) ||
        !writeBytes(generation(dir / kTicketFileName, n),
                    versions.tickets[static_cast<std::size_t>(kCurrent - n)])) {
      return false;
    }
  }
  return true;
}

// The version a file holds completely; -1 when it is missing, -2 when it
// is none of them (cut short, or mixed).
int versionAt(const fs::path& path, const std::vector<std::string>& texts) {
  if (!fs::exists(fs::symlink_status(path))) return -1;
  const std::string bytes = readBytes(path);
  for (std::size_t v = 0; v < texts.size(); ++v) {
    if (texts[v] == bytes) return static_cast<int>(v);
  }
  return -2;
}

std::vector<std::string> temporaries(const fs::path& dir) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (name.front() == '.') out.push_back(name);
  }
  return out;
}

// What is wrong with one data file and its generations right after a save
// was cut short; empty when nothing is. `fileVersion` receives the version
// the file holds.
QStringList afterCrash(const fs::path& file, const std::vector<std::string>& texts,
                       int& fileVersion) {
  QStringList problems;
  const QString name = QString::fromStdString(file.filename().string());
  fileVersion = versionAt(file, texts);
  if (fileVersion != kCurrent && fileVersion != kNew) {
    problems << name + (fileVersion == -1 ? " is missing" : " is neither the old nor the new");
    return problems;
  }
  int newer = fileVersion;
  std::vector<bool> present(texts.size(), false);
  present[static_cast<std::size_t>(fileVersion)] = true;
  for (int n = 1; n <= kKeptGenerations; ++n) {
    const int v = versionAt(generation(file, n), texts);
    if (v == -1) continue;
    if (v < 0 || v > newer) {
      problems << name + "." + QString::number(n) + " is not a complete older version";
      continue;
    }
    present[static_cast<std::size_t>(v)] = true;
    newer = v;
  }
  // The versions both the old and the new state keep must be there at every
  // instant; only the oldest may go, and only for the new one.
  for (int v = kOldest + 1; v <= kCurrent; ++v) {
    if (!present[static_cast<std::size_t>(v)])
      problems << name + " lost version " + QString::number(v);
  }
  return problems;
}

// What is wrong after the next start and save: the file is the next
// version, and the generations are the three before it, without a gap.
QStringList afterNextSave(const fs::path& file, const std::vector<std::string>& texts,
                          int crashedVersion) {
  QStringList problems;
  const QString name = QString::fromStdString(file.filename().string());
  for (int n = 0; n <= kKeptGenerations; ++n) {
    const int expected = n == 0 ? kNext : crashedVersion + 1 - n;
    const int v = versionAt(generation(file, n), texts);
    if (v != expected) {
      problems << QStringLiteral("%1 generation %2 holds %3 instead of %4")
                      .arg(name)
                      .arg(n)
                      .arg(v)
                      .arg(expected);
    }
  }
  return problems;
}

// Every check of one cut-short save, in a directory prepared by prepare().
QStringList checkCutShortSave(const fs::path& dir, const Versions& versions) {
  int ledgerVersion = 0;
  int ticketVersion = 0;
  QStringList problems = afterCrash(dir / kLedgerFileName, versions.ledger, ledgerVersion);
  problems += afterCrash(dir / kTicketFileName, versions.tickets, ticketVersion);
  if (!problems.isEmpty()) return problems;
  auto loaded = stateOf(kOldest, dir);
  if (!loadData(*loaded).ok()) problems << "the files do not load";
  // The ledger is saved first: tickets newer than their ledger never occur.
  if (ticketVersion > ledgerVersion) problems << "info.dat is newer than tosidata.dat";

  // The next start, then a save.
  removeSaveLeftoversIn(dir);
  if (!saveData(*stateOf(kNext, dir)).ok()) return problems << "the next save failed";
  for (const std::string& t : temporaries(dir)) {
    problems << "temporary left: " + QString::fromStdString(t);
  }
  problems += afterNextSave(dir / kLedgerFileName, versions.ledger, ledgerVersion);
  problems += afterNextSave(dir / kTicketFileName, versions.tickets, ticketVersion);
  return problems;
}

// Shared with a child: how far its save got.
struct SaveProgress {
  std::atomic<int> started{0};
  std::atomic<int> steps{0};
};

}  // namespace

class TestSaveCrash : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  fs::path dir() const { return fs::path(tmp_.path().toStdString()); }

 private slots:
  void stoppedAfterEveryStep_data();
  void stoppedAfterEveryStep();
  void killedAtRandomMoments_data();
  void killedAtRandomMoments();
};

void TestSaveCrash::stoppedAfterEveryStep_data() {
  QTest::addColumn<bool>("refuseLinks");
  QTest::newRow("hard links") << false;
  QTest::newRow("a file system without hard links") << true;
}

void TestSaveCrash::stoppedAfterEveryStep() {
  QFETCH(bool, refuseLinks);
  const Versions versions = allVersions();
  const auto saving = stateOf(kNew, dir());
  // The steps of a whole save, in order.
  std::vector<std::string> steps;
  SaveProbe probe;
  probe.refuseLinks = refuseLinks;
  probe.afterStep = [&](const fs::path& file, std::string_view step) {
    steps.push_back(file.filename().string() + ": " + std::string(step));
  };
  QVERIFY(prepare(dir(), versions));
  QVERIFY(saveData(*saving, &probe).ok());
  QVERIFY(steps.size() >= 2 * 5);

  QStringList failures;
  for (std::size_t stop = 1; stop <= steps.size(); ++stop) {
    QVERIFY(prepare(dir(), versions));
    const auto r = runInChild([&] {
      std::size_t count = 0;
      probe.afterStep = [&](const fs::path&, std::string_view) {
        if (++count == stop) ::_exit(kCrashed);
      };
      return saveData(*saving, &probe).ok() ? 0 : 1;
    });
    QVERIFY2(r.exitedWith(kCrashed), r.describe().constData());
    for (const QString& p : checkCutShortSave(dir(), versions)) {
      failures << QStringLiteral("stopped after step %1 (%2): %3")
                      .arg(stop)
                      .arg(QString::fromStdString(steps[stop - 1]), p);
    }
  }
  QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
}

void TestSaveCrash::killedAtRandomMoments_data() {
  QTest::addColumn<int>("stepPauseUs");  // each step slowed down by this
  QTest::addColumn<int>("kills");
  // Few enough for every run of the suite; TAMREL_SAVE_KILLS asks for more.
  const int kills = qEnvironmentVariableIsSet("TAMREL_SAVE_KILLS")
                        ? qEnvironmentVariableIntValue("TAMREL_SAVE_KILLS")
                        : 40;
  QTest::newRow("at full speed") << 0 << kills;
  QTest::newRow("steps slowed down") << 500 << kills;
}

void TestSaveCrash::killedAtRandomMoments() {
  QFETCH(int, stepPauseUs);
  QFETCH(int, kills);
  const Versions versions = allVersions();
  const auto saving = stateOf(kNew, dir());
  auto* progress = static_cast<SaveProgress*>(::mmap(
      nullptr, sizeof(SaveProgress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  QVERIFY(progress != MAP_FAILED);
  new (progress) SaveProgress;

  // How long a whole save takes here: the kills spread over a little more.
  QVERIFY(prepare(dir(), versions));
  const auto t0 = std::chrono::steady_clock::now();
  QVERIFY(saveData(*saving).ok());
  const auto saveTime = std::chrono::steady_clock::now() - t0;
  const auto window = std::chrono::duration_cast<std::chrono::microseconds>(saveTime) * 5 / 4 +
                      std::chrono::microseconds(stepPauseUs * 30);

  std::mt19937 random(20261207);
  std::map<int, int> byStep;  // steps completed when the kill came -> kills
  int newFiles = 0;
  int withTemporaries = 0;
  QStringList failures;
  for (int i = 0; i < kills; ++i) {
    QVERIFY(prepare(dir(), versions));
    progress->started = 0;
    progress->steps = 0;
    const pid_t pid = ::fork();
    QVERIFY(pid >= 0);
    if (pid == 0) {
      SaveProbe probe;
      probe.afterStep = [&](const fs::path&, std::string_view) {
        ++progress->steps;
        if (stepPauseUs > 0) std::this_thread::sleep_for(std::chrono::microseconds(stepPauseUs));
      };
      progress->started = 1;
      ::_exit(saveData(*saving, &probe).ok() ? 0 : 1);
    }
    while (progress->started == 0) std::this_thread::yield();
    std::this_thread::sleep_for(
        std::uniform_int_distribution<std::int64_t>(0, window.count())(random) *
        std::chrono::microseconds(1));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ++byStep[progress->steps];
    if (versionAt(dir() / kLedgerFileName, versions.ledger) == kNew) ++newFiles;
    if (!temporaries(dir()).empty()) ++withTemporaries;
    for (const QString& p : checkCutShortSave(dir(), versions)) {
      failures << QStringLiteral("kill %1 after %2 steps: %3").arg(i).arg(progress->steps).arg(p);
    }
  }
  ::munmap(progress, sizeof(SaveProgress));

  QStringList spread;
  for (const auto& [steps, count] : byStep) spread << QStringLiteral("%1:%2").arg(steps).arg(count);
  qInfo(
      "%d kills (steps done:kills %s); ledger already new after %d; temporaries left by %d; "
      "a whole save took %lld us",
      kills, qPrintable(spread.join(' ')), newFiles, withTemporaries,
      static_cast<long long>(
          std::chrono::duration_cast<std::chrono::microseconds>(saveTime).count()));
  // The kills must have come at many moments of the save, not all before or
  // after it.
  QVERIFY(byStep.size() >= 5);
  QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
}

QTEST_APPLESS_MAIN(TestSaveCrash)
#include "test_save_crash.moc"
