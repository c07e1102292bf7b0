#include <QtTest>

#include <fstream>
#include <memory>
#include <string>

#include "detail/detail_file.h"
#include "ledger/ledger_init.h"
#include "store/data_files.h"

using namespace tamrel;
namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << bytes;
  if (!f) qFatal("cannot write test file");
}

// A state with a reset ledger, one posted day and one ticket, pointing at
// `dir`.
std::unique_ptr<AppState> populatedState(const fs::path& dir) {
  auto s = std::make_unique<AppState>();
  s->DataDirSwitched = true;
  s->DataDir = dir.string();
  resetYear(s->ledger, s->tickets);
  BetAmounts v;
  v.stake[0] = 1000;
  v.payout[0] = 2350;
  BetAmounts baseline;
  if (postDay(s->ledger, baseline, 3, 15, v) != PostResult::Ok) qFatal("post failed");
  TicketRecord& t = s->tickets.month(3).records[0];
  t.setField(TicketField::Month, "03");
  t.setField(TicketField::Day, "15");
  t.setField(TicketField::Purchase, "0000001000");
  t.setField(TicketField::Payout, "0000002350");
  t.setField(TicketField::BetType, "1");
  s->tickets.month(3).count = 1;
  s->tickets.month(3).records[1].markBlank();
  return s;
}

}  // namespace

class TestDataFiles : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  fs::path dir() const { return fs::path(tmp_.path().toStdString()); }

 private slots:
  void init();
  void saveThenLoadBoth_data();
  void saveThenLoadBoth();
  void stoppedReadIsUnreadable_data();
  void stoppedReadIsUnreadable();
  void resetYearEmptiesBothStores();
  void ticketsLoadedEvenWhenLedgerFails();
  void bothAbsent();
  void ledgerWriteFailureSkipsTickets();
  void ticketWriteFailureIsWriteError();
};

void TestDataFiles::init() {
  QVERIFY(tmp_.isValid());
  for (const auto& e : fs::directory_iterator(dir())) fs::remove_all(e.path());
}

void TestDataFiles::resetYearEmptiesBothStores() {
  auto s = populatedState(dir());
  s->tickets.month(12).count = 2;
  resetYear(s->ledger, s->tickets);
  YearLedger fresh;
  resetLedger(fresh);
  QCOMPARE(ledgerFileText(s->ledger), ledgerFileText(fresh));
  for (const auto& m : s->tickets.months) QCOMPARE(m.count, std::int16_t{0});
  QCOMPARE(s->tickets.header.view().substr(0, 5), std::string_view("00,00"));
}

void TestDataFiles::saveThenLoadBoth_data() {
  QTest::addColumn<int>("tickets");  // in March, besides the one posted
  QTest::newRow("one ticket") << 1;
  // Every slot of a month in use: the last one must be written too.
  QTest::newRow("a full month") << kMaxMonthTickets;
}

void TestDataFiles::saveThenLoadBoth() {
  QFETCH(int, tickets);
  auto saved = populatedState(dir());
  MonthTickets& march = saved->tickets.month(3);
  for (int i = 1; i < tickets; ++i) {
    march.slot(i) = march.slot(0);
    march.slot(i).setField(TicketField::Purchase, std::to_string(1000000000 + i));
  }
  march.count = static_cast<std::int16_t>(tickets);
  if (tickets < kMaxMonthTickets) march.slot(tickets).markBlank();
  QVERIFY(saveData(*saved).ok());
  QCOMPARE(readFile(dir() / "tosidata.dat"), ledgerFileText(saved->ledger));
  QCOMPARE(readFile(dir() / "info.dat"), ticketFileText(saved->tickets));

  auto loaded = std::make_unique<AppState>();
  loaded->DataDirSwitched = true;
  loaded->DataDir = dir().string();
  const LoadOutcome outcome = loadData(*loaded);
  QCOMPARE(outcome.ledger, LoadCode::Ok);
  QCOMPARE(outcome.tickets, LoadCode::Ok);
  QVERIFY(outcome.ok());
  QCOMPARE(ledgerFileText(loaded->ledger), ledgerFileText(saved->ledger));
  QCOMPARE(int{loaded->tickets.month(3).count}, tickets);
  for (int i = 0; i < tickets; ++i) QCOMPARE(loaded->tickets.month(3).slot(i), march.slot(i));
}

// A read stopped by an error gives whole lines, but not the whole file: what
// they hold loads, and the load still fails, or the next save would write
// the loss.
void TestDataFiles::stoppedReadIsUnreadable_data() {
  QTest::addColumn<bool>("ledger");  // or the ticket file
  QTest::newRow("tosidata.dat") << true;
  QTest::newRow("info.dat") << false;
}

void TestDataFiles::stoppedReadIsUnreadable() {
  QFETCH(bool, ledger);
  const auto s = populatedState(dir());
  if (ledger) {
    auto l = std::make_unique<YearLedger>();
    QCOMPARE(loadLedgerBytes(*l, ledgerFileText(s->ledger), false), LoadCode::Unreadable);
    QCOMPARE(ledgerFileText(*l), ledgerFileText(s->ledger));
  } else {
    auto t = std::make_unique<TicketStore>();
    QCOMPARE(loadTicketBytes(*t, ticketFileText(s->tickets), false), LoadCode::Unreadable);
    QCOMPARE(t->month(3).slot(0), s->tickets.month(3).slot(0));
  }
}

void TestDataFiles::ticketsLoadedEvenWhenLedgerFails() {
  auto saved = populatedState(dir());
  QVERIFY(saveData(*saved).ok());
  writeFile(dir() / "tosidata.dat", "S00\r\nM01\r\n");

  auto loaded = std::make_unique<AppState>();
  loaded->DataDirSwitched = true;
  loaded->DataDir = dir().string();
  const LoadOutcome outcome = loadData(*loaded);
  QCOMPARE(outcome.ledger, LoadCode::MonthCount);
  QCOMPARE(outcome.tickets, LoadCode::Ok);
  QCOMPARE(outcome.combined(), LoadCode::MonthCount);
  QCOMPARE(loaded->tickets.month(3).count, std::int16_t{1});
}

void TestDataFiles::bothAbsent() {
  auto s = std::make_unique<AppState>();
  s->DataDirSwitched = true;
  s->DataDir = (dir() / "nowhere").string();
  const LoadOutcome outcome = loadData(*s);
  QCOMPARE(outcome.ledger, LoadCode::Unreadable);
  QCOMPARE(outcome.tickets, LoadCode::Unreadable);
  QVERIFY(!outcome.ok());
}

void TestDataFiles::ledgerWriteFailureSkipsTickets() {
  auto s = populatedState(dir());
  fs::create_directory(dir() / "tosidata.dat");  // cannot be replaced by a file
  writeFile(dir() / "info.dat", "previous tickets");
  const SaveOutcome outcome = saveData(*s);
  QCOMPARE(outcome.result, SaveResult::NotAFile);
  QCOMPARE(QString::fromStdString(saveFailureText(outcome)),
           QStringLiteral("tosidata.dat: 通常のファイルではありません(フォルダなど)"));
  QCOMPARE(readFile(dir() / "info.dat"), std::string("previous tickets"));
}

void TestDataFiles::ticketWriteFailureIsWriteError() {
  auto s = populatedState(dir());
  fs::create_directory(dir() / "info.dat");
  const SaveOutcome outcome = saveData(*s);
  QCOMPARE(outcome.result, SaveResult::NotAFile);
  // The generations of the two files now differ by one.
  QCOMPARE(QString::fromStdString(saveFailureText(outcome)),
           QStringLiteral("info.dat: 通常のファイルではありません(フォルダなど)\n"
                          "(tosidata.dat は保存されました)"));
  // The ledger went first and was written.
  QCOMPARE(readFile(dir() / "tosidata.dat"), ledgerFileText(s->ledger));
}

QTEST_APPLESS_MAIN(TestDataFiles)
#include "test_data_files.moc"
