// One program per data directory, with real processes: the program itself or
// a driver holds a directory, and a second copy must refuse to start there;
// a lock left by a copy that died is taken over; a switch that is refused
// keeps the directory held before.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "shell/data_dir_lock.h"
#include "shell/main_window.h"
#include "store/app_state.h"
#include "support/dir_tree.h"
#include "support/gui_actions.h"
#include "support/main_window_data_dir.h"
#include "support/scripted_messages.h"
#include "switch/switch_window.h"

using namespace tamrel;

Q_DECLARE_METATYPE(tamrel::DataDirLock::Result)

namespace {

constexpr int kWaitMs = 60000;
const QString kInUse = QStringLiteral("データは他のウィンドウで使用中です");

QProcessEnvironment offscreen() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  return env;
}

// A copy that holds a directory until stop(): the program itself, working in
// the directory as a user starts it, or the driver.
class Holder {
 public:
  Holder() { process_.setProcessEnvironment(offscreen()); }
  ~Holder() { stop(); }

  bool startProgram(const QString& dir) {
    // A temporary of a crashed save: the program removes it right after
    // taking the lock, so its going tells that the start-up has got past
    // the clean-up, and leftovers made from now on stay.
    const QString sentinel = QDir(dir).filePath(QStringLiteral(".tosidata.dat.AbC123"));
    QFile stale(sentinel);
    if (!stale.open(QIODevice::WriteOnly) || stale.write("partial") != 7) return false;
    stale.close();
    process_.setWorkingDirectory(dir);
    process_.start(QStringLiteral(TAMREL_PROGRAM), {});
    if (!process_.waitForStarted(kWaitMs)) return false;
    // The lock is taken before the main window is built.
    const QString lockFile = QDir(dir).filePath(kDataDirLockName);
    QElapsedTimer timer;
    timer.start();
    while ((!QFile::exists(lockFile) || QFile::exists(sentinel)) && timer.elapsed() < kWaitMs &&
           process_.state() == QProcess::Running) {
      process_.waitForFinished(20);
    }
    return QFile::exists(lockFile) && !QFile::exists(sentinel) &&
           process_.state() == QProcess::Running;
  }
  bool startDriver(const QString& dir) {
    process_.start(QStringLiteral(LOCK_DRIVER), {QStringLiteral("hold"), dir});
    return process_.waitForStarted(kWaitMs) && process_.waitForReadyRead(kWaitMs) &&
           process_.readAllStandardOutput() == "locked\n";
  }
  qint64 pid() const { return process_.processId(); }
  // The driver lets go as a program that ends normally; the program is
  // killed, leaving its lock file behind as a crash would.
  void stop() {
    if (process_.state() == QProcess::NotRunning) return;
    if (process_.program() == QStringLiteral(LOCK_DRIVER)) {
      process_.closeWriteChannel();
    } else {
      process_.kill();
    }
    if (!process_.waitForFinished(kWaitMs)) {
      process_.kill();
      process_.waitForFinished(kWaitMs);
    }
  }

 private:
  QProcess process_;
};

// Runs the start-up check in another process; its exit code and what it
// showed.
struct SecondCopy {
  int exitCode = -1;
  QString output;
};

SecondCopy startSecondCopy(const QString& dir) {
  QProcess p;
  p.setProcessEnvironment(offscreen());
  p.start(QStringLiteral(LOCK_DRIVER), {QStringLiteral("start"), dir});
  if (!p.waitForFinished(kWaitMs)) {
    p.kill();
    p.waitForFinished(kWaitMs);
    return {};
  }
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          QString::fromUtf8(p.readAllStandardOutput())};
}

// What saves cut short by a crash leave, and names only like them: a
// directory, a link, names of other lengths or other files.
const QStringList kLeftovers{".tosidata.dat.AbC123", ".info.dat.xYz789~", ".info.dat.000000"};
const QStringList kLookAlikes{".tosidata.dat.AbC12", ".tosidata.dat.AbC1234", ".info.dat.dir123",
                              ".info.dat.lnk123",    ".tosidata.dat.1",       "tosidata.dat.AbC123",
                              ".other.dat.AbC123"};

bool makeLeftovers(const QString& dir) {
  const QDir d(dir);
  for (const QString& name : kLeftovers + kLookAlikes) {
    if (name == ".info.dat.dir123") {
      if (!d.mkdir(name)) return false;
    } else if (name == ".info.dat.lnk123") {
      if (!QFile::link(d.filePath("tosidata.dat"), d.filePath(name))) return false;
    } else {
      QFile f(d.filePath(name));
      if (!f.open(QIODevice::WriteOnly) || f.write("partial") != 7) return false;
    }
  }
  return true;
}

QStringList namesIn(const QString& dir) {
  QStringList names =
      QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  names.sort();
  return names;
}

QString refusal(qint64 pid) {
  return QStringLiteral("error: %1(ﾌﾟﾛｾｽ番号 %2)\n").arg(kInUse).arg(pid);
}

}  // namespace

class TestDataDirLock : public QObject {
  Q_OBJECT

 private slots:
  void secondCopyRefused_data();
  void secondCopyRefused();
  void refusedSwitchKeepsTheOldDirectory();
  void switchWindowStaysWhereItWas();
  void sameDirectoryAgain();
  void noLockFileWhereNothingCanBeWritten();
  void refusalText_data();
  void refusalText();
};

void TestDataDirLock::secondCopyRefused_data() {
  QTest::addColumn<bool>("program");  // the holder: the program, or the driver
  QTest::newRow("the program holds it, then dies") << true;
  QTest::newRow("another copy holds it, then ends") << false;
}

void TestDataDirLock::secondCopyRefused() {
  QFETCH(bool, program);
  testdata::DataDir dir;
  QVERIFY(dir.writeSample());
  const QString lockFile = QDir(dir.path()).filePath(kDataDirLockName);

  Holder first;
  QVERIFY(program ? first.startProgram(dir.path()) : first.startDriver(dir.path()));
  QVERIFY(makeLeftovers(dir.path()));
  const QStringList withLeftovers = namesIn(dir.path());

  const SecondCopy second = startSecondCopy(dir.path());
  QCOMPARE(second.exitCode, 3);
  QCOMPARE(second.output, refusal(first.pid()));
  // The first copy may be saving: its temporaries stay.
  QCOMPARE(namesIn(dir.path()), withLeftovers);

  // In this process too, and the refusal names the holder.
  DataDirLock lock;
  QCOMPARE(lock.tryLock(dir.path()), DataDirLock::Result::HeldByOther);
  QCOMPARE(lock.holder().pid, first.pid());
  QCOMPARE(lock.holder().hostName, QSysInfo::machineHostName());
  QVERIFY(lock.directory().isEmpty());

  first.stop();
  // A killed program leaves its lock file: nobody runs to hold it, so the
  // next copy takes it over. A copy that ends removes it.
  QCOMPARE(QFile::exists(lockFile), program);
  const SecondCopy after = startSecondCopy(dir.path());
  QCOMPARE(after.exitCode, 0);
  QCOMPARE(after.output, QString());
  QVERIFY(!QFile::exists(lockFile));
  // Once the lock is taken, the leftovers go, and nothing else.
  QStringList expected = withLeftovers;
  for (const QString& name : kLeftovers) expected.removeOne(name);
  expected.removeOne(kDataDirLockName);
  QCOMPARE(namesIn(dir.path()), expected);
}

void TestDataDirLock::refusedSwitchKeepsTheOldDirectory() {
  QTemporaryDir current;
  QTemporaryDir other;
  QVERIFY(current.isValid() && other.isValid());
  DataDirLock lock;
  QCOMPARE(lock.tryLock(current.path()), DataDirLock::Result::Locked);
  QCOMPARE(lock.directory(), QDir(current.path()).canonicalPath());

  Holder holder;
  QVERIFY(holder.startDriver(other.path()));
  QCOMPARE(lock.tryLock(other.path()), DataDirLock::Result::HeldByOther);
  QCOMPARE(lock.holder().pid, holder.pid());
  // Still where it was, and still holding it.
  QCOMPARE(lock.directory(), QDir(current.path()).canonicalPath());
  QCOMPARE(startSecondCopy(current.path()).exitCode, 3);

  holder.stop();
  QCOMPARE(lock.tryLock(other.path()), DataDirLock::Result::Locked);
  QCOMPARE(lock.directory(), QDir(other.path()).canonicalPath());
  // The directory left behind is free again; the new one is held.
  QCOMPARE(startSecondCopy(current.path()).exitCode, 0);
  QCOMPARE(startSecondCopy(other.path()).exitCode, 3);

  lock.unlock();
  QVERIFY(lock.directory().isEmpty());
  QCOMPARE(startSecondCopy(other.path()).exitCode, 0);
}

// ﾃﾞｰﾀ入れ替え to a directory another copy holds: the program says so and
// goes on where it was, with its data and its lock; once the other copy has
// gone, the same 完了 switches and moves the lock along.
void TestDataDirLock::switchWindowStaysWhereItWas() {
  testdata::DataDir current;
  QTemporaryDir other;
  QVERIFY(current.writeSample() && other.isValid());
  ScriptedMessages msgs;
  DataDirLock lock;
  QCOMPARE(lock.tryLock(current.path()), DataDirLock::Result::Locked);
  MainWindow main(msgs, current.path());
  main.holdDataDirLock(lock);
  main.show();
  QVERIFY(QTest::qWaitForWindowActive(&main));

  Holder holder;
  QVERIFY(holder.startDriver(other.path()));
  QVERIFY(gui::click(&main, "SSCommand1"));
  auto* window = main.findChild<SwitchWindow*>(QStringLiteral("FUpdate"));
  QVERIFY(window != nullptr);
  QVERIFY(testdata::clickInTree(gui::named<QTreeView>(window, "DirList"), other.path()));
  QVERIFY(gui::click(window, "YesCmd"));
  QCOMPARE(msgs.texts(), QStringList{refusal(holder.pid()).mid(7).chopped(1)});
  QCOMPARE(QString::fromStdString(main.state().DataDir), current.path());
  QVERIFY(main.findChild<SwitchWindow*>(QStringLiteral("FUpdate")) != nullptr);
  QCOMPARE(startSecondCopy(current.path()).exitCode, 3);

  holder.stop();
  msgs.clear();
  QVERIFY(gui::click(window, "YesCmd"));
  QCOMPARE(QDir(QString::fromStdString(main.state().DataDir)).canonicalPath(),
           QDir(other.path()).canonicalPath());
  QCOMPARE(startSecondCopy(current.path()).exitCode, 0);
  QCOMPARE(startSecondCopy(other.path()).exitCode, 3);
}

void TestDataDirLock::sameDirectoryAgain() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  DataDirLock lock;
  QCOMPARE(lock.tryLock(dir.path()), DataDirLock::Result::Locked);
  // Through another spelling of the same directory.
  QCOMPARE(lock.tryLock(dir.path() + QStringLiteral("/.")), DataDirLock::Result::Locked);
  QCOMPARE(startSecondCopy(dir.path()).exitCode, 3);
}

void TestDataDirLock::noLockFileWhereNothingCanBeWritten() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QString missing = dir.filePath(QStringLiteral("gone"));
  DataDirLock lock;
  QCOMPARE(lock.tryLock(missing), DataDirLock::Result::NotLockable);
  ScriptedMessages msgs;
  QVERIFY(lockDataDirAtStart(lock, missing, msgs));
  QCOMPARE(msgs.count(), 0);
}

void TestDataDirLock::refusalText_data() {
  QTest::addColumn<qint64>("pid");
  QTest::addColumn<QString>("host");
  QTest::addColumn<QString>("text");
  const QString here = QSysInfo::machineHostName();
  QTest::newRow("holder not known") << qint64{0} << QString() << kInUse;
  QTest::newRow("on this machine") << qint64{4321} << here << kInUse + "(ﾌﾟﾛｾｽ番号 4321)";
  QTest::newRow("on another machine")
      << qint64{77} << "keiba-pc" << kInUse + "(ﾎｽﾄ keiba-pc ﾌﾟﾛｾｽ番号 77)";
}

void TestDataDirLock::refusalText() {
  QFETCH(qint64, pid);
  QFETCH(QString, host);
  QFETCH(QString, text);
  LockHolder holder;
  holder.pid = pid;
  holder.hostName = host;
  QCOMPARE(dataInUseMessage(holder), text);
}

QTEST_MAIN(TestDataDirLock)
#include "test_data_dir_lock.moc"
