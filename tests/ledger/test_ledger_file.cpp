#include <QtTest>

#include <signal.h>
#include <sys/resource.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "detail/ticket_records.h"
#include "ledger/ledger_file.h"
#include "ledger/ledger_init.h"

using namespace tamrel;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(tamrel::LoadCode)

namespace {

std::string freshLine(char kind, int number) {
  std::string s{kind, static_cast<char>('0' + number / 10), static_cast<char>('0' + number % 10)};
  for (int k = 0; k < 24; ++k) s += ",0000000000";
  return s;
}

// The lines of a freshly reset ledger's file, without line ends.
std::vector<std::string> freshLines() {
  std::vector<std::string> lines{freshLine('S', 0)};
  for (int m = 1; m <= 12; ++m) {
    lines.push_back(freshLine('M', m));
    for (int d = 1; d <= 31; ++d) lines.push_back(freshLine('D', d));
  }
  return lines;
}

// Index in freshLines() of month m's line and of its day d.
std::size_t monthLine(int m) { return static_cast<std::size_t>(1 + (m - 1) * 32); }
std::size_t dayLine(int m, int d) { return monthLine(m) + static_cast<std::size_t>(d); }

std::string join(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
  std::string out;
  for (const auto& l : lines) out += l + end;
  return out;
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!f) qFatal("cannot write test file");
}

std::string readFile(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// Marks every record so that a test can see which ones a load replaced.
YearLedger markedLedger() {
  YearLedger l;
  l.year.text.fill('y');
  for (auto& r : l.months) r.text.fill('m');
  for (auto& r : l.firstHalf) r.text.fill('f');
  for (auto& r : l.secondHalf) r.text.fill('s');
  return l;
}

std::vector<std::string> entriesOf(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

class TestLedgerFile : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  fs::path dir() const { return fs::path(tmp_.path().toStdString()); }
  fs::path file() const { return dir() / "tosidata.dat"; }

 private slots:
  void init();
  void resetLedgerWritesTheFreshFile();
  void freshRoundTripIsByteIdentical();
  void populatedRoundTripIsByteIdentical();
  void loadCodes_data();
  void loadCodes();
  void messages_data();
  void messages();
  void absentFile();
  void directoryIsUnreadable();
  void stopAtDayBeforeMonthKeepsWhatWasRead();
  void thirteenthMonthKeepsEarlierRecords();
  void tooManyDaysInSecondHalf();
  void secondYearLineIgnored();
  void daysPlacedByPosition();
  void lineEndings_data();
  void lineEndings();
  void shortAndLongLines();
  void hostileInputDoesNotCrash_data();
  void hostileInputDoesNotCrash();
  void saveReplacesFile();
  void saveFailureLeavesOldFile();
  void saveIntoMissingDirectoryFails();
  void saveOverDirectoryFails();
  void lineBreakInRecordRefused_data();
  void lineBreakInRecordRefused();
  void dataFilePaths();
};

void TestLedgerFile::init() {
  QVERIFY(tmp_.isValid());
  for (const auto& e : fs::directory_iterator(dir())) fs::remove_all(e.path());
}

void TestLedgerFile::resetLedgerWritesTheFreshFile() {
  YearLedger l = markedLedger();
  resetLedger(l);
  const std::string text = ledgerFileText(l);
  QCOMPARE(text.size(), std::size_t{385 * 269});
  QCOMPARE(text, join(freshLines()));
  // Resetting twice gives the same ledger.
  resetLedger(l);
  QCOMPARE(ledgerFileText(l), text);
}

void TestLedgerFile::freshRoundTripIsByteIdentical() {
  YearLedger l;
  resetLedger(l);
  QCOMPARE(saveLedger(l, file()), SaveResult::Ok);
  const std::string saved = readFile(file());
  QCOMPARE(saved, join(freshLines()));

  YearLedger loaded = markedLedger();
  QCOMPARE(loadLedger(loaded, file()), LoadCode::Ok);
  QCOMPARE(saveLedger(loaded, dir() / "again.dat"), SaveResult::Ok);
  QCOMPARE(readFile(dir() / "again.dat"), saved);
}

void TestLedgerFile::populatedRoundTripIsByteIdentical() {
  auto lines = freshLines();
  // Carried profit fields with odd content, negative and large amounts,
  // lower-case identifiers after the first letter, stray separators.
  lines[0].replace(26, 10, "-000000123");
  lines[0].replace(136, 10, "0000009999");  // the year's own total, carried
  lines[monthLine(4)].replace(3, 11, ";2147483647");
  lines[dayLine(4, 7)].replace(158, 10, "abc  12xyz");
  lines[dayLine(4, 7)].replace(1, 2, "zz");
  lines[dayLine(9, 31)].replace(169, 10, "-999999999");
  lines[dayLine(12, 31)].replace(257, 10, "\xe6\x97\xa5\xe6\x9c\xac   x");
  const std::string original = join(lines);
  writeFile(file(), original);

  YearLedger l;
  QCOMPARE(loadLedger(l, file()), LoadCode::Ok);
  QCOMPARE(amount(daySlot(l, 9, 31), Quantity::Stake, BetType::Kak),
           std::optional<std::int32_t>(-999999999));
  QCOMPARE(amount(l.month(4), Quantity::Stake, BetType::Tan),
           std::optional<std::int32_t>(2147483647));
  QCOMPARE(ledgerFileText(l), original);
  QCOMPARE(saveLedger(l, file()), SaveResult::Ok);
  QCOMPARE(readFile(file()), original);
}

void TestLedgerFile::loadCodes_data() {
  QTest::addColumn<QByteArray>("content");
  QTest::addColumn<tamrel::LoadCode>("code");

  auto bytes = [](const std::vector<std::string>& lines, const std::string& end = "\r\n") {
    const std::string s = join(lines, end);
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
  };
  const auto fresh = freshLines();

  QTest::newRow("complete") << bytes(fresh) << LoadCode::Ok;
  {
    auto l = fresh;
    l.insert(l.begin() + 5, "");
    l.insert(l.begin() + 100, "");
    l.push_back("");
    QTest::newRow("extra blank lines") << bytes(l) << LoadCode::Ok;
  }
  {
    auto l = fresh;
    l.insert(l.begin(), "# comment");
    l.insert(l.begin() + 40, "s00 lower-case is no year line");
    l.insert(l.begin() + 41, "d01 nor a day line");
    l.insert(l.begin() + 42, " M01 leading blank");
    QTest::newRow("other first characters") << bytes(l) << LoadCode::Ok;
  }
  {
    auto l = fresh;
    l.erase(l.begin() + static_cast<std::ptrdiff_t>(monthLine(1)));
    QTest::newRow("first month line missing") << bytes(l) << LoadCode::DayBeforeMonth;
  }
  {
    auto l = fresh;
    l.erase(l.begin());
    QTest::newRow("no year line") << bytes(l) << LoadCode::NoYearTotal;
  }
  {
    auto l = fresh;
    l.push_back(l.front());
    l.erase(l.begin());
    QTest::newRow("year line last") << bytes(l) << LoadCode::Ok;
  }
  {
    auto l = fresh;
    l.erase(l.begin() + static_cast<std::ptrdiff_t>(monthLine(12)));
    QTest::newRow("11 month lines") << bytes(l) << LoadCode::MonthCount;
  }
  {
    auto l = fresh;
    l.erase(l.begin());
    l.erase(l.begin() + static_cast<std::ptrdiff_t>(monthLine(12)) - 1);
    QTest::newRow("no year line and 11 months") << bytes(l) << LoadCode::NoYearTotal;
  }
  {
    auto l = fresh;
    l.erase(l.begin() + static_cast<std::ptrdiff_t>(dayLine(3, 12)));
    QTest::newRow("day missing in March") << bytes(l) << LoadCode::FirstHalfDays;
  }
  {
    auto l = fresh;
    l.insert(l.begin() + static_cast<std::ptrdiff_t>(dayLine(12, 31)), freshLine('D', 1));
    l.erase(l.begin() + static_cast<std::ptrdiff_t>(dayLine(2, 1)));
    // The surplus December line is refused before the count check is reached.
    QTest::newRow("a day moved from February to December") << bytes(l) << LoadCode::Unreadable;
  }
  {
    auto l = fresh;
    l.erase(l.begin() + static_cast<std::ptrdiff_t>(dayLine(9, 3)));
    QTest::newRow("day missing in September") << bytes(l) << LoadCode::SecondHalfDays;
  }
  {
    auto l = fresh;
    l.insert(l.begin() + static_cast<std::ptrdiff_t>(dayLine(6, 31)), freshLine('D', 31));
    QTest::newRow("187 first-half day lines") << bytes(l) << LoadCode::Unreadable;
  }
  {
    auto l = fresh;
    l.push_back(freshLine('M', 13));
    QTest::newRow("13 month lines") << bytes(l) << LoadCode::Unreadable;
  }
  {
    auto l = fresh;
    l.push_back(freshLine('D', 32));
    QTest::newRow("187 second-half day lines") << bytes(l) << LoadCode::Unreadable;
  }
  QTest::newRow("empty file") << QByteArray() << LoadCode::NoYearTotal;
  QTest::newRow("year line only") << bytes({fresh[0]}) << LoadCode::MonthCount;
  QTest::newRow("no final line end") << bytes(fresh).chopped(2) << LoadCode::Ok;
}

void TestLedgerFile::loadCodes() {
  QFETCH(QByteArray, content);
  QFETCH(tamrel::LoadCode, code);
  writeFile(file(), content.toStdString());
  YearLedger l;
  QCOMPARE(loadLedger(l, file()), code);
}

void TestLedgerFile::messages_data() {
  QTest::addColumn<tamrel::LoadCode>("code");
  QTest::addColumn<QString>("message");
  QTest::newRow("0") << LoadCode::Ok << QString();
  QTest::newRow("1") << LoadCode::DayBeforeMonth
                     << QStringLiteral("データファイルが破損しています月ﾚｺｰﾄﾞ");
  QTest::newRow("2") << LoadCode::NoYearTotal
                     << QStringLiteral("データファイルが破損しています総合ﾚｺｰﾄﾞ");
  QTest::newRow("3") << LoadCode::MonthCount
                     << QStringLiteral("データファイルが破損しています月ﾚｺｰﾄﾞ");
  QTest::newRow("4") << LoadCode::FirstHalfDays
                     << QStringLiteral("データファイルが破損しています日(上期)ﾚｺｰﾄﾞ");
  QTest::newRow("5") << LoadCode::SecondHalfDays
                     << QStringLiteral("データファイルが破損しています日(下期)ﾚｺｰﾄﾞ");
  QTest::newRow("7") << LoadCode::Unreadable << QStringLiteral("データファイルが存在しません");
}

void TestLedgerFile::messages() {
  QFETCH(tamrel::LoadCode, code);
  QFETCH(QString, message);
  QCOMPARE(QString::fromStdString(loadCodeMessage(code)), message);
}

void TestLedgerFile::absentFile() {
  YearLedger l = markedLedger();
  const std::string before = ledgerFileText(l);
  QCOMPARE(loadLedger(l, dir() / "missing.dat"), LoadCode::Unreadable);
  QCOMPARE(ledgerFileText(l), before);
  QCOMPARE(QString::fromStdString(loadCodeMessage(LoadCode::Unreadable)),
           QStringLiteral("データファイルが存在しません"));
}

void TestLedgerFile::directoryIsUnreadable() {
  fs::create_directory(file());
  YearLedger l;
  QCOMPARE(loadLedger(l, file()), LoadCode::Unreadable);
}

void TestLedgerFile::stopAtDayBeforeMonthKeepsWhatWasRead() {
  auto lines = freshLines();
  lines[0].replace(4, 10, "0000000077");
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(monthLine(1)));
  writeFile(file(), join(lines));
  YearLedger l = markedLedger();
  QCOMPARE(loadLedger(l, file()), LoadCode::DayBeforeMonth);
  // The year line came first and was read; the load stopped at the first
  // day line, so no day slot and no month record was touched.
  QCOMPARE(l.year.view().substr(0, 14), std::string_view("S00,0000000077"));
  QCOMPARE(l.firstHalf[0].view(), std::string_view(std::string(267, 'f')));
  QCOMPARE(l.month(1).view(), std::string_view(std::string(267, 'm')));
}

void TestLedgerFile::thirteenthMonthKeepsEarlierRecords() {
  auto lines = freshLines();
  lines.push_back(freshLine('M', 13));
  lines.push_back(freshLine('D', 99));
  writeFile(file(), join(lines));
  YearLedger l = markedLedger();
  QCOMPARE(loadLedger(l, file()), LoadCode::Unreadable);
  QCOMPARE(l.month(12).identifier(), std::string_view("M12"));
  QCOMPARE(l.secondHalf[185].identifier(), std::string_view("D31"));
}

void TestLedgerFile::tooManyDaysInSecondHalf() {
  // Twelve months, but a surplus day line in the last: the first 186 are
  // kept, the 187th stops the load before it lands anywhere.
  auto lines = freshLines();
  lines[dayLine(12, 31)].replace(4, 10, "0000000031");
  lines.push_back("D32,0000000032");
  writeFile(file(), join(lines));
  YearLedger l = markedLedger();
  QCOMPARE(loadLedger(l, file()), LoadCode::Unreadable);
  QCOMPARE(amount(daySlot(l, 12, 31), Quantity::Stake, BetType::Tan),
           std::optional<std::int32_t>(31));
  QCOMPARE(l.year.identifier(), std::string_view("S00"));
}

void TestLedgerFile::secondYearLineIgnored() {
  auto lines = freshLines();
  lines[0].replace(4, 10, "0000001000");
  std::string second = freshLine('S', 0);
  second.replace(4, 10, "0000002000");
  lines.insert(lines.begin() + 20, second);
  lines.push_back(second);
  writeFile(file(), join(lines));
  YearLedger l;
  QCOMPARE(loadLedger(l, file()), LoadCode::Ok);
  QCOMPARE(amount(l.year, Quantity::Stake, BetType::Tan), std::optional<std::int32_t>(1000));
}

void TestLedgerFile::daysPlacedByPosition() {
  auto lines = freshLines();
  lines[dayLine(7, 3)].replace(4, 10, "0000000300");
  lines[dayLine(7, 4)].replace(4, 10, "0000000400");
  std::swap(lines[dayLine(7, 3)], lines[dayLine(7, 4)]);
  // An identifier that names another day is carried, not obeyed.
  lines[dayLine(8, 1)].replace(0, 3, "D25");
  lines[dayLine(8, 1)].replace(15, 10, "0000000801");
  writeFile(file(), join(lines));
  YearLedger l;
  QCOMPARE(loadLedger(l, file()), LoadCode::Ok);
  QCOMPARE(amount(daySlot(l, 7, 3), Quantity::Stake, BetType::Tan),
           std::optional<std::int32_t>(400));
  QCOMPARE(daySlot(l, 7, 3).identifier(), std::string_view("D04"));
  QCOMPARE(amount(daySlot(l, 7, 4), Quantity::Stake, BetType::Tan),
           std::optional<std::int32_t>(300));
  QCOMPARE(daySlot(l, 8, 1).identifier(), std::string_view("D25"));
  QCOMPARE(amount(daySlot(l, 8, 1), Quantity::Payout, BetType::Tan),
           std::optional<std::int32_t>(801));
  QCOMPARE(amount(daySlot(l, 8, 25), Quantity::Payout, BetType::Tan),
           std::optional<std::int32_t>(0));
}

void TestLedgerFile::lineEndings_data() {
  QTest::addColumn<QString>("ending");
  QTest::newRow("CR LF") << "\r\n";
  QTest::newRow("LF") << "\n";
}

void TestLedgerFile::lineEndings() {
  QFETCH(QString, ending);
  auto lines = freshLines();
  lines[dayLine(10, 10)].replace(257, 10, "0000001010");  // last field: CR must not leak in
  writeFile(file(), join(lines, ending.toStdString()));
  YearLedger l;
  QCOMPARE(loadLedger(l, file()), LoadCode::Ok);
  QCOMPARE(amount(daySlot(l, 10, 10), Quantity::Profit, BetType::Ren3),
           std::optional<std::int32_t>(1010));
  // Saving normalises to CR LF.
  QCOMPARE(ledgerFileText(l), join(lines));
}

void TestLedgerFile::shortAndLongLines() {
  auto lines = freshLines();
  lines[dayLine(1, 1)] = "D01,0000000123";         // short: the rest stays blank and reads 0
  lines[dayLine(1, 2)] += std::string(5000, '9');  // long: cut at the record width
  lines[monthLine(2)] = "M";
  writeFile(file(), join(lines));
  YearLedger l = markedLedger();
  QCOMPARE(loadLedger(l, file()), LoadCode::Ok);
  const LedgerRecord& shortDay = daySlot(l, 1, 1);
  QCOMPARE(shortDay.view(), std::string_view("D01,0000000123" + std::string(253, ' ')));
  QCOMPARE(amount(shortDay, Quantity::Stake, BetType::Tan), std::optional<std::int32_t>(123));
  QCOMPARE(amount(shortDay, Quantity::Payout, BetType::Ren3), std::optional<std::int32_t>(0));
  QCOMPARE(daySlot(l, 1, 2).view(), std::string_view(freshLine('D', 2)));
  QCOMPARE(l.month(2).view(), std::string_view("M" + std::string(266, ' ')));
  QCOMPARE(betAmounts(l.month(2)), std::optional<BetAmounts>(BetAmounts{}));
}

void TestLedgerFile::hostileInputDoesNotCrash_data() {
  QTest::addColumn<QByteArray>("content");
  QTest::addColumn<int>("code");  // -1: any failure
  std::mt19937 rng(20240601);
  std::string random(200000, '\0');
  for (char& c : random) c = static_cast<char>(rng() % 256);
  QTest::newRow("random bytes") << QByteArray(random.data(), static_cast<qsizetype>(random.size()))
                                << -1;
  std::string nuls = join(freshLines());
  for (std::size_t line = 0; line < 385; ++line) {
    for (std::size_t col : {3, 50, 266}) nuls[line * 269 + col] = '\0';
  }
  QTest::newRow("NUL bytes inside lines")
      << QByteArray(nuls.data(), static_cast<qsizetype>(nuls.size())) << 0;
  QTest::newRow("one huge line") << QByteArray(3 * 1024 * 1024, 'D') << 1;
  QTest::newRow("only line ends") << QByteArray("\r\n\n\r\r\n\n") << 2;
  QTest::newRow("lone CR") << QByteArray("\r") << 2;
  QTest::newRow("S alone") << QByteArray("S") << 3;
}

void TestLedgerFile::hostileInputDoesNotCrash() {
  QFETCH(QByteArray, content);
  QFETCH(int, code);
  writeFile(file(), content.toStdString());
  YearLedger l;
  const LoadCode got = loadLedger(l, file());
  if (code < 0) {
    QVERIFY(got != LoadCode::Ok);
  } else {
    QCOMPARE(static_cast<int>(got), code);
  }
  if (got == LoadCode::Ok) QCOMPARE(QByteArray::fromStdString(ledgerFileText(l)), content);
  // Whatever was read can be shown and saved.
  for (int m = 1; m <= 12; ++m) (void)betAmounts(l.month(m));
  QCOMPARE(ledgerFileText(l).size(), std::size_t{385 * 269});
}

void TestLedgerFile::saveReplacesFile() {
  writeFile(file(), "old content that is longer than nothing");
  YearLedger l;
  resetLedger(l);
  QVERIFY(setAmount(daySlot(l, 11, 30), Quantity::Payout, BetType::UTan, 4560));
  QCOMPARE(saveLedger(l, file()), SaveResult::Ok);
  QCOMPARE(readFile(file()), ledgerFileText(l));
  // The replaced file is kept as the newest generation.
  QCOMPARE(entriesOf(dir()), (std::vector<std::string>{"tosidata.dat", "tosidata.dat.1"}));
  QCOMPARE(readFile(dir() / "tosidata.dat.1"),
           std::string("old content that is longer than nothing"));
}

void TestLedgerFile::saveFailureLeavesOldFile() {
  // Tests may run as root, which ignores directory permissions; a file size
  // limit makes the write itself fail for anyone.
  const std::string old = join(freshLines());
  writeFile(file(), old);
  YearLedger l;
  resetLedger(l);
  QVERIFY(setAmount(l.year, Quantity::Stake, BetType::Tan, 1));

  struct rlimit saved {};
  QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
  const SaveResult result = saveLedger(l, file());
  const SaveResult rawResult = writeFileAtomically(dir() / "other.dat", std::string(8192, 'x'));
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);

  QCOMPARE(result, SaveResult::TooLarge);
  QCOMPARE(rawResult, SaveResult::TooLarge);
  QCOMPARE(readFile(file()), old);
  QCOMPARE(entriesOf(dir()), std::vector<std::string>{"tosidata.dat"});
}

void TestLedgerFile::saveIntoMissingDirectoryFails() {
  YearLedger l;
  resetLedger(l);
  QCOMPARE(saveLedger(l, dir() / "no-such-dir" / "tosidata.dat"), SaveResult::NoFolder);
  QVERIFY(!fs::exists(dir() / "no-such-dir"));
  QVERIFY(entriesOf(dir()).empty());
}

void TestLedgerFile::saveOverDirectoryFails() {
  fs::create_directory(file());
  writeFile(file() / "inside", "keep");
  YearLedger l;
  resetLedger(l);
  QCOMPARE(saveLedger(l, file()), SaveResult::NotAFile);
  QVERIFY(fs::is_directory(file()));
  QCOMPARE(readFile(file() / "inside"), std::string("keep"));
  QCOMPARE(entriesOf(dir()), std::vector<std::string>{"tosidata.dat"});
}

void TestLedgerFile::lineBreakInRecordRefused_data() {
  QTest::addColumn<int>("month");   // 0: the year record
  QTest::addColumn<int>("day");     // 0: the month record
  QTest::addColumn<int>("column");  // 1-based
  QTest::addColumn<char>("breaker");
  QTest::addColumn<bool>("refused");
  QTest::newRow("LF in a day record") << 4 << 12 << 20 << '\n' << true;
  QTest::newRow("LF in a December day") << 12 << 31 << 1 << '\n' << true;
  // A CR splits no line for the reader: a file holding one saves and loads
  // back as it was.
  QTest::newRow("CR in the year record") << 0 << 0 << 3 << '\r' << false;
  QTest::newRow("CR at the end of a month record") << 9 << 0 << 267 << '\r' << false;
}

void TestLedgerFile::lineBreakInRecordRefused() {
  QFETCH(int, month);
  QFETCH(int, day);
  QFETCH(int, column);
  QFETCH(char, breaker);
  QFETCH(bool, refused);
  const std::string old = join(freshLines());
  writeFile(file(), old);
  YearLedger l;
  resetLedger(l);
  LedgerRecord& r = month == 0 ? l.year : day == 0 ? l.month(month) : daySlot(l, month, day);
  r.text[static_cast<std::size_t>(column - 1)] = breaker;

  if (!refused) {
    QCOMPARE(saveLedger(l, file()), SaveResult::Ok);
    YearLedger loaded;
    QCOMPARE(loadLedger(loaded, file()), LoadCode::Ok);
    QCOMPARE(ledgerFileText(loaded), ledgerFileText(l));
    return;
  }
  // Written out, the record would split into two lines and the file would no
  // longer load as it was saved.
  QVERIFY(!ledgerSaveText(l).has_value());
  QCOMPARE(saveLedger(l, file()), SaveResult::LineBreak);
  QCOMPARE(readFile(file()), old);
  QCOMPARE(entriesOf(dir()), std::vector<std::string>{"tosidata.dat"});
}

void TestLedgerFile::dataFilePaths() {
  QCOMPARE(dataFilePath(false, "/elsewhere", kLedgerFileName), fs::path("tosidata.dat"));
  QCOMPARE(dataFilePath(true, "/data/2024", kLedgerFileName), fs::path("/data/2024/tosidata.dat"));
  QCOMPARE(dataFilePath(true, "/data/2024/", kTicketFileName), fs::path("/data/2024/info.dat"));

  // The bare name is resolved against the working directory.
  const fs::path cwd = fs::current_path();
  fs::current_path(dir());
  YearLedger l;
  resetLedger(l);
  const SaveResult r = saveLedger(l, dataFilePath(false, "", kLedgerFileName));
  fs::current_path(cwd);
  QCOMPARE(r, SaveResult::Ok);
  QCOMPARE(readFile(file()), join(freshLines()));
}

QTEST_APPLESS_MAIN(TestLedgerFile)
#include "test_ledger_file.moc"
