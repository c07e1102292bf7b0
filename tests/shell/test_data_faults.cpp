// The data directory as users' machines leave it, met by the main window:
// hostile files at start-up, and each way the exit save can fail. After a
// failed save nothing on disk has changed, no temporary is left, the failure
// is reported, the data is still in memory, and once the cause is mended the
// next exit saves it.

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/main_window.h"
#include "state/data_session.h"
#include "store/app_state.h"
#include "support/main_window_data_dir.h"
#include "support/odd_files.h"
#include "support/scripted_messages.h"

using namespace tamrel;
namespace fs = std::filesystem;
using testsupport::listing;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

const QString kMissing = QStringLiteral("データファイルが存在しません");
const QString kWriteError = QStringLiteral("ファイル書き込みエラー");
const QString kSaveQuestion = QStringLiteral("データ更新しますか？");

const char* const kWorkingButtons[] = {"Command3D1", "Blowse", "BLOWSENEW", "SSCommand1"};

fs::path fsPath(const QString& p) { return fs::path(p.toStdString()); }

// Temporaries a save may have left: hidden files named after a data file.
QStringList temporaries(const fs::path& dir) {
  QStringList out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    const std::string name = e.path().filename().string();
    if (name.rfind(".tosidata.dat", 0) == 0 || name.rfind(".info.dat", 0) == 0) {
      out << QString::fromStdString(name);
    }
  }
  return out;
}

bool activate(QWidget& w) {
  w.show();
  w.activateWindow();
  return QTest::qWaitForWindowActive(&w);
}

// What confirming 20 August in the entry window leaves in memory.
BetAmounts postAugust20(DataSession& s) {
  BetAmounts baseline;
  if (!showDay(s.ledger(), baseline, 8, 20)) return {};
  BetAmounts values;
  values.stake[index(BetType::Ren3)] = 3000;
  values.payout[index(BetType::Ren3)] = 45000;
  if (s.postDay(8, 20, values) != PostResult::Ok) return {};
  return values;
}

std::optional<BetAmounts> august20OnDisk(const fs::path& ledgerPath) {
  auto ledger = std::make_unique<YearLedger>();
  if (loadLedger(*ledger, ledgerPath) != LoadCode::Ok) return std::nullopt;
  return betAmounts(daySlot(*ledger, 8, 20));
}

// Runs `undo` when the scope ends, however a check left it.
class Cleanup {
 public:
  explicit Cleanup(std::function<void()> undo) : undo_(std::move(undo)) {}
  ~Cleanup() {
    if (undo_) undo_();
  }
  Cleanup(const Cleanup&) = delete;
  Cleanup& operator=(const Cleanup&) = delete;

 private:
  std::function<void()> undo_;
};

}  // namespace

class TestDataFaults : public QObject {
  Q_OBJECT

  // Mounts made by this test stay in its own mount namespace and vanish
  // with it. Without the right to mount (not root, or a locked-down
  // container), the cases that need a mount are skipped.
  bool canMount_ = false;

 private slots:
  void initTestCase();
  void hostileFileAtStartUp_data();
  void hostileFileAtStartUp();
  void failedSaveChangesNothing_data();
  void failedSaveChangesNothing();
  void linkedFilesSavedThroughTheirLinks();
};

void TestDataFaults::initTestCase() {
  canMount_ = ::unshare(CLONE_NEWNS) == 0 &&
              ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

void TestDataFaults::hostileFileAtStartUp_data() {
  QTest::addColumn<QString>("file");  // which data file is hostile
  QTest::addColumn<QString>("kind");
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("reason");  // the informative text's second line

  const QString notRegular =
      QStringLiteral("通常のファイルではありません（フォルダ、FIFO、デバイスなど）");
  QTest::newRow("tosidata.dat is a FIFO") << "tosidata.dat"
                                          << "fifo" << kMissing << notRegular;
  QTest::newRow("info.dat links to a FIFO") << "info.dat"
                                            << "link to fifo" << kMissing << notRegular;
  QTest::newRow("info.dat links to /dev/zero") << "info.dat"
                                               << "link to /dev/zero" << kMissing << notRegular;
  QTest::newRow("info.dat is a directory") << "info.dat"
                                           << "directory" << kMissing << notRegular;
  QTest::newRow("tosidata.dat is a sparse 100 GB file")
      << "tosidata.dat"
      << "sparse 107374182400" << kMissing << QStringLiteral("8MBを超えています");
  QTest::newRow("tosidata.dat links into a folder that is gone")
      << "tosidata.dat"
      << "dangling link" << kMissing << QStringLiteral("ファイルがありません");
  QTest::newRow("tosidata.dat has eleven month lines")
      << "tosidata.dat"
      << "eleven" << QStringLiteral("データファイルが破損しています月ﾚｺｰﾄﾞ")
      << QStringLiteral("月の行が11行です（12行のはずです）");
}

void TestDataFaults::hostileFileAtStartUp() {
  QFETCH(QString, file);
  QFETCH(QString, kind);
  QFETCH(QString, message);
  QFETCH(QString, reason);
  testdata::DataDir dir;
  QVERIFY(dir.writeSample());
  const fs::path path = fsPath(dir.filePath(file));
  fs::remove(path);
  if (kind == "eleven") {
    QVERIFY(writeBytes(path, testdata::elevenMonthLedger()));
  } else {
    QVERIFY(testsupport::makeOddFile(path, kind.toStdString()));
  }

  // The start-up used to wait for ever on a FIFO and end with
  // std::bad_alloc on an endless or huge file; now it is an unreadable file.
  // The message says which file and why, so that the user can mend it.
  ScriptedMessages msgs;
  MainWindow w(msgs, dir.path());
  QVERIFY(activate(w));
  QCOMPARE(msgs.texts(), QStringList{message});
  QCOMPARE(msgs.last().title, kErrorTitle);
  QCOMPARE(msgs.lastDetail(),
           QStringLiteral("ファイル: %1\n理由: %2").arg(dir.filePath(file), reason));
  for (const char* name : kWorkingButtons) {
    auto* b = w.findChild<QPushButton*>(QString::fromLatin1(name));
    QVERIFY2(b != nullptr && !b->isEnabled(), name);
  }
}

void TestDataFaults::failedSaveChangesNothing_data() {
  QTest::addColumn<QString>("fault");
  QTest::addColumn<QString>("reason");  // the message's informative text
  const bool root = ::geteuid() == 0;
  // Root's writes pass the permissions: a read-only mount stops them.
  QTest::newRow("read-only directory")
      << "read-only"
      << (root ? QStringLiteral("tosidata.dat: 保存先は読み取り専用です")
               : QStringLiteral("tosidata.dat: 保存先に書き込む権限がありません"));
  QTest::newRow("full disk") << "full disk"
                             << QStringLiteral("tosidata.dat: ディスクの空き容量が足りません");
  QTest::newRow("file-size limit")
      << "size limit" << QStringLiteral("tosidata.dat: ファイルサイズの上限を超えます");
  QTest::newRow("a directory in the place of tosidata.dat")
      << "directory" << QStringLiteral("tosidata.dat: 通常のファイルではありません(フォルダなど)");
  QTest::newRow("data files linked into a folder that is gone")
      << "link target gone" << QStringLiteral("tosidata.dat: 保存先のフォルダがありません");
}

void TestDataFaults::failedSaveChangesNothing() {
  QFETCH(QString, fault);
  QFETCH(QString, reason);
  const bool root = ::geteuid() == 0;
  if (fault == "full disk" && !canMount_) {
    QSKIP("no right to mount a small tmpfs here; the file-size limit row stands in for it");
  }
  if (fault == "read-only" && root && !canMount_) {
    QSKIP("running as root without the right to mount: permissions do not stop root's writes");
  }

  testdata::DataDir top;
  QVERIFY(top.ok());
  const fs::path data = fsPath(top.path()) / "data";
  const fs::path synced = fsPath(top.path()) / "synced";
  fs::create_directories(data);
  Cleanup undo([&] {
    ::umount2(data.c_str(), MNT_DETACH);
    std::error_code ec;
    fs::permissions(data, fs::perms::owner_all, ec);
  });
  if (fault == "full disk") QCOMPARE(::mount("tmpfs", data.c_str(), "tmpfs", 0, "size=1m"), 0);

  // Where the files really are: in the data directory, or behind its links.
  fs::path home = data;
  const testdata::SampleFiles files = testdata::sampleFiles();
  if (fault == "link target gone") {
    home = synced;
    fs::create_directories(synced);
    fs::create_symlink("../synced/tosidata.dat", data / "tosidata.dat");
    fs::create_symlink("../synced/info.dat", data / "info.dat");
  }
  QVERIFY(writeBytes(home / "tosidata.dat", files.ledger));
  QVERIFY(writeBytes(home / "info.dat", files.tickets));

  ScriptedMessages msgs;
  MainWindow w(msgs, QString::fromStdString(data.string()));
  QVERIFY(activate(w));
  QCOMPARE(msgs.count(), 0);
  const AppState& s = w.state();
  const BetAmounts values = postAugust20(w.session());
  QVERIFY(s.DataChanged);

  // The fault, and how the user mends it.
  std::function<void()> mend;
  rlimit savedLimit{};
  if (fault == "read-only") {
    if (root) {
      QCOMPARE(::mount(data.c_str(), data.c_str(), nullptr, MS_BIND, nullptr), 0);
      QCOMPARE(::mount(nullptr, data.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr),
               0);
      mend = [&] { QCOMPARE(::umount2(data.c_str(), 0), 0); };
    } else {
      fs::permissions(data, fs::perms::owner_read | fs::perms::owner_exec);
      mend = [&] { fs::permissions(data, fs::perms::owner_all); };
    }
  } else if (fault == "full disk") {
    std::ofstream filler(data / "filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
    }
    filler.close();
    mend = [&] { fs::remove(data / "filler"); };
  } else if (fault == "size limit") {
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &savedLimit), 0);
    mend = [&] { QCOMPARE(::setrlimit(RLIMIT_FSIZE, &savedLimit), 0); };
  } else if (fault == "directory") {
    fs::remove(data / "tosidata.dat");
    fs::create_directory(data / "tosidata.dat");
    mend = [&] { fs::remove(data / "tosidata.dat"); };
  } else {
    // The synced folder's drive is not there today.
    fs::rename(synced, fsPath(top.path()) / "away");
    mend = [&] { fs::rename(fsPath(top.path()) / "away", synced); };
  }
  const auto before = listing(data);
  const auto homeBefore = listing(home);

  msgs.answer(true);
  if (fault == "size limit") {
    // The ledger file alone is larger than this.
    rlimit small = savedLimit;
    small.rlim_cur = 64 * 1024;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
  }
  w.close();
  if (fault == "size limit") mend();

  QCOMPARE(msgs.texts(), (QStringList{kSaveQuestion, kWriteError}));
  QCOMPARE(msgs.last().title, kErrorTitle);
  QCOMPARE(msgs.lastDetail(), reason);
  QVERIFY(w.isVisible());
  QVERIFY(s.DataChanged);
  QCOMPARE(betAmounts(daySlot(s.ledger, 8, 20)), std::optional<BetAmounts>(values));
  QCOMPARE(listing(data), before);
  QCOMPARE(listing(home), homeBefore);
  QCOMPARE(temporaries(data), QStringList());

  if (fault != "size limit") mend();
  msgs.clear();
  msgs.answer(true);
  w.close();
  QCOMPARE(msgs.texts(), QStringList{kSaveQuestion});
  QVERIFY(!w.isVisible());
  QCOMPARE(august20OnDisk(data / "tosidata.dat"), std::optional<BetAmounts>(values));
  auto tickets = std::make_unique<TicketStore>();
  QCOMPARE(loadTickets(*tickets, data / "info.dat"), LoadCode::Ok);
  QCOMPARE(tickets->month(5).count, std::int16_t{1});
  QCOMPARE(temporaries(home), QStringList());
  if (fault == "link target gone") QCOMPARE(listing(data), before);
  // The file the save replaced is kept as its newest generation.
  if (fault != "directory") QCOMPARE(readBytes(home / "tosidata.dat.1"), files.ledger);
}

void TestDataFaults::linkedFilesSavedThroughTheirLinks() {
  // Users link their data into a synced or backed-up folder. The save used
  // to replace the links by plain files and never update the folder.
  testdata::DataDir top;
  QVERIFY(top.ok());
  const fs::path data = fsPath(top.path()) / "data";
  const fs::path synced = fsPath(top.path()) / "synced";
  fs::create_directories(data);
  fs::create_directories(synced);
  const testdata::SampleFiles files = testdata::sampleFiles();
  QVERIFY(writeBytes(synced / "tosidata.dat", files.ledger));
  QVERIFY(writeBytes(synced / "info.dat", files.tickets));
  fs::create_symlink(synced / "tosidata.dat", data / "tosidata.dat");
  fs::create_symlink("../synced/info.dat", data / "info.dat");
  const auto links = listing(data);

  ScriptedMessages msgs;
  MainWindow w(msgs, QString::fromStdString(data.string()));
  QVERIFY(activate(w));
  const BetAmounts values = postAugust20(w.session());
  QVERIFY(w.session().storeDayTickets(5, 3, DayTicketList{}) == TransferResult::Ok);
  msgs.answer(true);
  w.close();
  QCOMPARE(msgs.texts(), QStringList{kSaveQuestion});
  QVERIFY(!w.isVisible());

  QCOMPARE(listing(data), links);
  QCOMPARE(august20OnDisk(synced / "tosidata.dat"), std::optional<BetAmounts>(values));
  auto tickets = std::make_unique<TicketStore>();
  QCOMPARE(loadTickets(*tickets, synced / "info.dat"), LoadCode::Ok);
  QCOMPARE(tickets->month(5).count, std::int16_t{0});
  // The generations sit beside the files they keep.
  QCOMPARE(readBytes(synced / "tosidata.dat.1"), files.ledger);
  QCOMPARE(readBytes(synced / "info.dat.1"), files.tickets);
}

QTEST_MAIN(TestDataFaults)
#include "test_data_faults.moc"
