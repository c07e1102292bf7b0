// The year comparison window on a temporary parent folder: figures per folder
// with the data directory in use from memory, the reasons of folders that do
// not load, nothing written, 合計 kept last by sorting, postings followed,
// and a reading that leaves the window responsive and stops on キャンセル.

#include <QAbstractItemModel>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <filesystem>

#include "state/data_session.h"
#include "support/permissions_bind.h"
#include "support/scripted_messages.h"
#include "support/year_folders.h"
#include "widgets/profit_graph.h"
#include "years/years_window.h"

using namespace tamrel;
namespace fs = std::filesystem;
using testsupport::Year;

namespace {

// What the table shows in a column, top to bottom.
QStringList column(const QAbstractItemModel& model, int c) {
  QStringList out;
  for (int r = 0; r < model.rowCount(); ++r) out << model.index(r, c).data().toString();
  return out;
}

// Two good years beside the one in use, a damaged ledger and a FIFO.
struct Parent {
  QTemporaryDir tmp;
  fs::path path = tmp.path().toStdString();

  bool make() {
    Year a;
    a.day(1, 5, 1000, 0);
    a.day(1, 6, 500, 2000);
    a.ticket(1, 6, 300, 2000);
    Year b;
    b.day(3, 3, 300, 600);
    Year current;
    current.day(2, 2, 100, 0);
    if (!a.save(path / "2021") || !b.save(path / "2022") || !current.save(path / "2023") ||
        !b.save(path / "broken") || !a.save(path / "fifo")) {
      return false;
    }
    fs::remove(path / "fifo" / "info.dat");
    return testsupport::writeBytes(path / "broken" / "tosidata.dat", "S\r\n") &&
           testsupport::makeOddFile(path / "fifo" / "info.dat", "fifo");
  }
};

}  // namespace

class TestYearsWindow : public QObject {
  Q_OBJECT

 private slots:
  void foldersWithCurrentFromMemory();
  void readingStaysResponsiveAndCancels();
  void graphWaitsForEveryRow();
  void foldersThatCannotBeOpened_data();
  void foldersThatCannotBeOpened();
};

void TestYearsWindow::foldersWithCurrentFromMemory() {
  Parent parent;
  QVERIFY(parent.make());
  const auto before = testsupport::everything(parent.path);
  DataSession session;
  session.setDataDir(QString::fromStdString((parent.path / "2023").string()));
  QVERIFY(session.load().ok());
  // An unsaved posting: 4 April, 馬連 200 staked, 1000 paid.
  BetAmounts values;
  values.stake[index(BetType::Uma)] = 200;
  values.payout[index(BetType::Uma)] = 1000;
  QVERIFY(session.postDay(4, 4, values) == PostResult::Ok);

  ScriptedMessages msgs;
  YearsWindow w(session, msgs);
  w.resize(1000, 620);
  w.show();
  QCOMPARE(w.parentFolder(), QString::fromStdString(parent.path.string()));
  QTRY_VERIFY(!w.isLoading());
  const QAbstractItemModel& table = *w.table()->model();
  QCOMPARE(column(table, YearTableModel::Folder),
           (QStringList{"2021", "2022", "2023", "broken", "fifo", "合計"}));
  QCOMPARE(column(table, YearTableModel::Profit),
           (QStringList{"500", "300", "700", "", "", "1,500"}));
  QCOMPARE(column(table, YearTableModel::RacingDays), (QStringList{"2", "1", "2", "", "", "5"}));
  QCOMPARE(column(table, YearTableModel::MaxDrawdown),
           (QStringList{"1,000", "0", "100", "", "", "1,000"}));
  const QStringList state = column(table, YearTableModel::State);
  QCOMPARE(state[2], QStringLiteral("使用中（メモリ上の値）"));
  QCOMPARE(state[3], QStringLiteral("tosidata.dat: 月の行が0行です（12行のはずです）"));
  QVERIFY2(state[4].startsWith(QStringLiteral("info.dat: 通常のファイルではありません")),
           qPrintable(state[4]));
  QCOMPARE(testsupport::everything(parent.path), before);
  QVERIFY(msgs.shown().isEmpty());

  // Sorted by profit either way, 合計 stays last; the bars follow the rows.
  w.table()->sortByColumn(YearTableModel::Profit, Qt::DescendingOrder);
  QCOMPARE(column(table, YearTableModel::Folder),
           (QStringList{"2023", "2021", "2022", "broken", "fifo", "合計"}));
  QCOMPARE(w.graph()->point(0).label, QStringLiteral("2023"));
  QCOMPARE(w.graph()->point(0).value, std::optional<std::int32_t>(700));
  w.table()->sortByColumn(YearTableModel::Profit, Qt::AscendingOrder);
  QCOMPARE(column(table, YearTableModel::Folder).last(), QStringLiteral("合計"));

  // A posting while open shows at once, from memory.
  values.payout[index(BetType::Uma)] = 200;
  QVERIFY(session.postDay(4, 4, values) == PostResult::Ok);
  w.table()->sortByColumn(YearTableModel::Folder, Qt::AscendingOrder);
  QCOMPARE(column(table, YearTableModel::Profit)[2], QStringLiteral("-100"));
  QCOMPARE(testsupport::everything(parent.path), before);
}

void TestYearsWindow::readingStaysResponsiveAndCancels() {
  QTemporaryDir tmp;
  const fs::path parent = tmp.path().toStdString();
  constexpr int kFolders = 12;
  for (int i = 0; i < kFolders; ++i) {
    const fs::path folder = parent / ("y" + std::to_string(10 + i));
    fs::create_directories(folder);
    QVERIFY(testsupport::writeBytes(folder / "tosidata.dat", ""));
    QVERIFY(testsupport::writeBytes(folder / "info.dat", ""));
  }
  DataSession session;
  ScriptedMessages msgs;
  YearsWindow w(session, msgs);
  w.show();
  QTRY_VERIFY(!w.isLoading());

  // Each folder takes until the test lets it go.
  QSemaphore gate;
  std::atomic<int> started{0};
  w.setFolderReader([&](const fs::path& folder) {
    ++started;
    (void)gate.tryAcquire(1, 10000);
    YearSummary year;
    year.folder = folder;
    year.name = folder.filename().string();
    year.figures = YearFigures{};
    return year;
  });
  w.setParentFolder(QString::fromStdString(parent.string()));
  QVERIFY(w.isLoading());
  // The progress bar appears after a moment: the event loop runs meanwhile.
  QTRY_VERIFY(w.progressBar()->isVisible());
  QVERIFY(w.cancelButton()->isVisible());
  QTest::mouseClick(w.cancelButton(), Qt::LeftButton);
  gate.release(kFolders);
  QTRY_VERIFY(!w.isLoading());
  QVERIFY(!w.progressBar()->isVisible());
  QVERIFY2(started < kFolders, qPrintable(QString::number(started)));
  // The folders never read say so; any other was read before the stop.
  const QStringList state = column(*w.table()->model(), YearTableModel::State);
  const QStringList days = column(*w.table()->model(), YearTableModel::RacingDays);
  const auto cancelled = state.count(QStringLiteral("中止しました"));
  QVERIFY(cancelled >= kFolders - started);
  QCOMPARE(cancelled + days.count(QStringLiteral("0")), kFolders);
}

void TestYearsWindow::graphWaitsForEveryRow() {
  QTemporaryDir tmp;
  const fs::path parent = tmp.path().toStdString();
  constexpr int kFolders = 6;
  for (int i = 0; i < kFolders; ++i) {
    Year year;
    year.day(1, 5, 1000, 1000 + 100 * i);
    QVERIFY(year.save(parent / std::to_string(2020 + i)));
  }
  DataSession session;
  session.setDataDir(QString::fromStdString((parent / "elsewhere").string()));
  ScriptedMessages msgs;
  // Each folder is read when the test lets it go.
  QSemaphore gate;
  YearsWindow w(session, msgs);
  w.setFolderReader([&gate](const fs::path& folder) {
    (void)gate.tryAcquire(1, 10000);
    return summariseFolder(folder);
  });
  w.reload();
  w.show();
  gate.release(kFolders / 2);
  QTRY_COMPARE(column(*w.table()->model(), YearTableModel::RacingDays).count("1"), kFolders / 2);
  // Bars from half the rows would set a scale that the rest then changes.
  QCOMPARE(w.graph()->pointCount(), 0);
  gate.release(kFolders);
  QTRY_VERIFY(!w.isLoading());
  QCOMPARE(w.graph()->pointCount(), kFolders);
  QCOMPARE(w.graph()->point(kFolders - 1).value, std::optional<std::int32_t>(500));
  // The columns are fitted and the bars laid out with painting held back:
  // neither may stay without its paint.
  QVERIFY(w.table()->updatesEnabled());
  QVERIFY(w.graph()->updatesEnabled());
}

// A folder the user may not open is listed with the reason, as the report
// lists it; a parent the user may not open is said, not shown as no years.
void TestYearsWindow::foldersThatCannotBeOpened_data() {
  QTest::addColumn<QString>("closed");  // the folder made unreadable
  QTest::addColumn<QStringList>("folders");
  QTest::addColumn<QString>("state");  // of the closed year
  QTest::addColumn<QString>("notice");
  QTest::newRow("a year folder") << "2022" << QStringList{"2021", "2022", "合計"}
                                 << "tosidata.dat: 読み取れません（権限がない、または読み取り中に"
                                    "変わりました）\ninfo.dat: 読み取れません（権限がない、または読"
                                    "み取り中に変わりました）"
                                 << "";
  QTest::newRow("the parent folder")
      << "." << QStringList{"合計"} << ""
      << "親フォルダを読み取れません: 読み取れません（権限がありません）";
}

void TestYearsWindow::foldersThatCannotBeOpened() {
  QFETCH(QString, closed);
  QFETCH(QStringList, folders);
  QFETCH(QString, state);
  QFETCH(QString, notice);
  QTemporaryDir tmp;
  const fs::path parent = tmp.path().toStdString();
  Year year;
  year.day(1, 5, 1000, 0);
  QVERIFY(year.save(parent / "2021"));
  QVERIFY(year.save(parent / "2022"));
  struct Reopen {
    fs::path path;
    ~Reopen() {
      std::error_code ec;
      fs::permissions(path, fs::perms::owner_all, ec);
    }
  } shut{(parent / closed.toStdString()).lexically_normal()};
  fs::permissions(shut.path, fs::perms::none);
  DataSession session;
  session.setDataDir(QString::fromStdString((parent / "elsewhere").string()));
  ScriptedMessages msgs;
  {
    testsupport::PermissionsBind bind;
    QVERIFY(bind.binds());
    YearsWindow w(session, msgs);
    w.show();
    QTRY_VERIFY(!w.isLoading());
    const QAbstractItemModel& table = *w.table()->model();
    QCOMPARE(column(table, YearTableModel::Folder), folders);
    if (!state.isEmpty()) QCOMPARE(column(table, YearTableModel::State)[1], state);
    const auto* label = w.findChild<QLabel*>(QStringLiteral("Notice"));
    QVERIFY(label);
    QCOMPARE(label->isVisible() ? label->text() : QString(), notice);
    QCOMPARE(w.graph()->pointCount(), static_cast<int>(folders.size()) - 1);
  }
  QVERIFY(msgs.shown().isEmpty());
}

QTEST_MAIN(TestYearsWindow)
#include "test_years_window.moc"
