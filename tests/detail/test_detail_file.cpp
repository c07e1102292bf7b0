#include <QtTest>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "detail/detail_file.h"
#include "support/record_text.h"

using namespace tamrel;
using testdata::bytes;
using testdata::recordOf;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(tamrel::LoadCode)

namespace {

// A ticket line of month m and day d whose purchase field tells lines apart.
std::string ticketText(int m, int d, int serial) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d,%02d,A,A,2,1,1,1,%010d,0000000000,4,4,0,4", m, d, serial);
  return buf;
}

// A line as the program writes it.
QByteArray savedLine(std::string_view record) {
  QByteArray line = bytes(record);
  line.append('\0').append('\0').append('\0').append("\r\n");
  return line;
}

void writeFile(const fs::path& path, const QByteArray& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.constData(), content.size());
}

QByteArray readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
}

constexpr std::string_view kHeader = "00,00,0,0,0,0,0,0,0000000000,0000000000,0,1,2,3";
constexpr std::string_view kOldHeader = "00,00,9,9,9,9,9,9,0000000000,0000000000,0,old,X";

// A store that already holds something, so a load must be seen to empty it.
TicketStore prefilledStore() {
  TicketStore store;
  store.header = recordOf(kOldHeader);
  for (int m = 1; m <= 12; ++m) {
    MonthTickets& mt = store.month(m);
    mt.slot(0) = recordOf(ticketText(m, 1, 1));
    mt.count = 1;
  }
  return store;
}

int totalCount(const TicketStore& store) {
  int n = 0;
  for (const MonthTickets& m : store.months) n += m.count;
  return n;
}

// What every load must leave: counts within bounds, end markers in place,
// every live record of its table's month.
void verifyConsistent(const TicketStore& store) {
  for (int m = 1; m <= 12; ++m) {
    const MonthTickets& mt = store.month(m);
    QVERIFY(mt.count >= 0 && mt.count <= kMaxMonthTickets);
    QVERIFY(mt.slot(mt.count).isBlank());
    const auto mm = twoDigits(m);
    for (int i = 0; i < mt.count; ++i) {
      QCOMPARE(bytes(mt.slot(i).field(TicketField::Month)), QByteArray(mm.data(), 2));
    }
  }
}

}  // namespace

class DetailFileTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  fs::path file() const { return fs::path(dir_.path().toStdString()) / "info.dat"; }

 private slots:
  void init() {
    // Saves leave generations beside the file: every test starts in an empty
    // directory.
    for (const auto& e : fs::directory_iterator(file().parent_path())) fs::remove_all(e.path());
  }

  void emptyFileLoadsEmpty() {
    writeFile(file(), {});
    TicketStore store = prefilledStore();
    QCOMPARE(loadTickets(store, file()), LoadCode::Ok);
    QCOMPARE(totalCount(store), 0);
    QCOMPARE(bytes(store.header.view()), bytes(kOldHeader));
    verifyConsistent(store);
  }

  void missingFileIsUnreadable() {
    TicketStore store = prefilledStore();
    QCOMPARE(loadTickets(store, file()), LoadCode::Unreadable);
    QCOMPARE(totalCount(store), 0);
    QCOMPARE(bytes(store.header.view()), bytes(kOldHeader));
  }

  void directoryIsUnreadable() {
    fs::create_directory(file());
    TicketStore store = prefilledStore();
    QCOMPARE(loadTickets(store, file()), LoadCode::Unreadable);
    QCOMPARE(totalCount(store), 0);
  }

  void headerOnly() {
    writeFile(file(), savedLine(kHeader));
    TicketStore store = prefilledStore();
    QCOMPARE(loadTickets(store, file()), LoadCode::Ok);
    QCOMPARE(bytes(store.header.view()), bytes(kHeader));
    QCOMPARE(totalCount(store), 0);
  }

  void laterHeaderWins() {
    const std::string second = "00,00,1,1,1,1,1,1,0000000000,0000000000,0,later";
    writeFile(file(), savedLine(kHeader) + savedLine(ticketText(2, 3, 1)) + savedLine(second));
    TicketStore store;
    QCOMPARE(loadTickets(store, file()), LoadCode::Ok);
    QCOMPARE(bytes(store.header.view()), bytes(recordOf(second).view()));
    QCOMPARE(store.month(2).count, std::int16_t{1});
  }

  void monthCapacity_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<LoadCode>("result");
    QTest::addColumn<int>("kept");
    QTest::newRow("498") << 498 << LoadCode::Ok << 498;
    QTest::newRow("499 fill the month") << 499 << LoadCode::Ok << 499;
    QTest::newRow("500th line fails") << 500 << LoadCode::Unreadable << 499;
    QTest::newRow("600 lines") << 600 << LoadCode::Unreadable << 499;
  }
  void monthCapacity() {
    QFETCH(int, lines);
    QFETCH(LoadCode, result);
    QFETCH(int, kept);
    QByteArray content = savedLine(ticketText(1, 5, 0));
    for (int i = 0; i < lines; ++i) content += savedLine(ticketText(3, 1 + i % 31, i));
    content += savedLine(ticketText(4, 1, 0));  // not reached once March overflows
    writeFile(file(), content);
    TicketStore store;
    QCOMPARE(loadTickets(store, file()), result);
    const MonthTickets& march = store.month(3);
    QCOMPARE(int{march.count}, kept);
    QCOMPARE(bytes(march.slot(kept - 1).view()),
             bytes(ticketText(3, 1 + (kept - 1) % 31, kept - 1)));
    QCOMPARE(store.month(1).count, std::int16_t{1});
    QCOMPARE(int{store.month(4).count}, result == LoadCode::Ok ? 1 : 0);
    verifyConsistent(store);
  }

  // The tally counts the hits whatever form a payout has: the quick test of
  // usual lines must hand what it cannot tell to the exact rule.
  void tallyOfPayouts_data() {
    QTest::addColumn<QStringList>("payouts");
    QTest::addColumn<int>("hits");
    QTest::newRow("stored forms") << QStringList{"0000000000", "0000000100", "1999999999"} << 2;
    QTest::newRow("first digit 2") << QStringList{"2000000000", "0000000000"} << 1;
    QTest::newRow("out of range") << QStringList{"9999999999", "0000000001"} << 1;
    QTest::newRow("blanks and sign") << QStringList{"      1000", "-000000100"} << 1;
    QTest::newRow("letters") << QStringList{"00000000x1", "x000000001"} << 0;
  }
  void tallyOfPayouts() {
    QFETCH(QStringList, payouts);
    // The month's first line is read the general way; the payouts under test
    // follow it, where the quick test reads them.
    QByteArray content = savedLine(kHeader) + savedLine(ticketText(6, 1, 0));
    for (const QString& payout : payouts) {
      std::string line = ticketText(6, 1, 1);
      line.replace(29, 10, payout.toStdString());
      content += savedLine(line);
    }
    writeFile(file(), content);
    TicketCounts counts;
    QCOMPARE(tallyTicketFile(file(), counts).code, LoadCode::Ok);
    QCOMPARE(counts.count, int(payouts.size()) + 1);
    QTEST(counts.hits, "hits");
  }

  void ignoredLines_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("month 13") << QByteArray("13,01,A,A,2,1,1,1,0000001000,0000000000,4,4,0,4");
    QTest::newRow("S0") << QByteArray("S0,01,A,A,2,1,1,1,0000001000,0000000000,4,4,0,4");
    QTest::newRow("20") << QByteArray("20,01");
    QTest::newRow("1A") << QByteArray("1A,01");
    QTest::newRow("0A") << QByteArray("0A,01");
    QTest::newRow("blank month") << QByteArray("  ,01,A,A,2,1,1,1,0000001000,0000000000,4,4,0,4");
    QTest::newRow(" 1") << QByteArray(" 1,01");
    QTest::newRow("-1") << QByteArray("-1,01");
    QTest::newRow("one character") << QByteArray("0");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("only CR") << QByteArray("\r");
  }
  void ignoredLines() {
    QFETCH(QByteArray, line);
    writeFile(file(), savedLine(kHeader) + savedLine(ticketText(1, 2, 1)) + line + "\r\n" +
                          savedLine(ticketText(12, 2, 2)));
    TicketStore store;
    QCOMPARE(loadTickets(store, file()), LoadCode::Ok);
    QCOMPARE(totalCount(store), 2);
    QCOMPARE(store.month(1).count, std::int16_t{1});
    QCOMPARE(store.month(12).count, std::int16_t{1});
    QCOMPARE(bytes(store.header.view()), bytes(kHeader));
  }

  void lineEndings_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    const QByteArray a = "05,11,A,A,2,1,1,1,0000001000,0000000000,4,4,0,4";
    const QByteArray b = "05,12,B,C,1,2,3,4,0000000500,0000001200,7,1,2,3";
    QTest::newRow("CR LF") << a + "\r\n" + b + "\r\n" << a << b;
    QTest::newRow("LF") << a + "\n" + b + "\n" << a << b;
    QTest::newRow("no final line end") << a + "\r\n" + b << a << b;
    QTest::newRow("NULs kept beyond 47") << a + QByteArray(3, '\0') + "\n" + b << a << b;
    QTest::newRow("30 characters padded")
        << a.left(30) + "\r\n" + b << a.left(30) + QByteArray(17, ' ') << b;
    QTest::newRow("CR inside the record is data")
        << a.left(10) + "\r" + a.mid(11) + "\r\n" + b << a.left(10) + "\r" + a.mid(11) << b;
    QTest::newRow("beyond 47 ignored") << a + "EXTRA,TEXT\r\n" + b << a << b;
  }
  void lineEndings() {
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    writeFile(file(), content);
    TicketStore store;
    QCOMPARE(loadTickets(store, file()), LoadCode::Ok);
    QCOMPARE(store.month(5).count, std::int16_t{2});
    QCOMPARE(bytes(store.month(5).slot(0).view()), first);
    QCOMPARE(bytes(store.month(5).slot(1).view()), second);
  }

  void hostileContent_data() {
    QTest::addColumn<QByteArray>("content");
    std::mt19937 rng(12345);
    QByteArray garbage(256 * 1024, '\0');
    for (char& c : garbage) c = static_cast<char>(rng() & 0xff);
    QTest::newRow("random bytes") << garbage;
    QByteArray lines;
    for (int i = 0; i < 20000; ++i) {
      lines += QByteArray::number(static_cast<int>(rng() % 14), 10).rightJustified(2, '0');
      lines += QByteArray(static_cast<qsizetype>(rng() % 90), static_cast<char>(rng() & 0xff));
      lines += (rng() & 1) ? "\r\n" : "\n";
    }
    QTest::newRow("random month lines") << lines;
    QTest::newRow("only NULs") << QByteArray(100000, '\0');
    QTest::newRow("huge line") << QByteArray("07") + QByteArray(8 * 1024 * 1024, 'x');
    QTest::newRow("non-ASCII") << QByteArray("01,０１,札幌,１Ｒ\r\n00\xff\xfe\r\n12\x80");
    QTest::newRow("only line ends") << QByteArray("\r\n\n\r\r\n\n");
  }
  void hostileContent() {
    QFETCH(QByteArray, content);
    writeFile(file(), content);
    TicketStore store;
    const LoadCode code = loadTickets(store, file());
    QVERIFY(code == LoadCode::Ok || code == LoadCode::Unreadable);
    verifyConsistent(store);
  }

  void hugeLineKeepsItsFirst47() {
    writeFile(file(), QByteArray("07,31") + QByteArray(4 * 1024 * 1024, 'x') + "\r\n" +
                          savedLine(ticketText(7, 1, 9)));
    TicketStore store;
    QCOMPARE(loadTickets(store, file()), LoadCode::Ok);
    QCOMPARE(store.month(7).count, std::int16_t{2});
    QCOMPARE(bytes(store.month(7).slot(0).view()), QByteArray("07,31") + QByteArray(42, 'x'));
  }

  void roundTripWritesCalendarOrder() {
    const std::string mar1 = ticketText(3, 4, 100);
    const std::string mar2 = ticketText(3, 2, 200);
    const std::string jan1 = ticketText(1, 9, 300);
    const std::string dec1 = ticketText(12, 31, 400);
    const std::string jan2 = ticketText(1, 5, 500);
    // Header last and months out of order, LF endings: the saver must still
    // write the header first, months in calendar order, slot order within.
    writeFile(file(), QByteArray::fromStdString(mar1 + "\n" + dec1 + "\n" + mar2 + "\n" + jan1 +
                                                "\n" + std::string(kHeader) + "\n" + jan2 + "\n"));
    TicketStore store;
    QCOMPARE(loadTickets(store, file()), LoadCode::Ok);
    QCOMPARE(saveTickets(store, file()), SaveResult::Ok);
    const QByteArray expected = savedLine(kHeader) + savedLine(jan1) + savedLine(jan2) +
                                savedLine(mar1) + savedLine(mar2) + savedLine(dec1);
    QCOMPARE(readFile(file()), expected);

    // A second round trip reproduces the bytes exactly.
    TicketStore again;
    QCOMPARE(loadTickets(again, file()), LoadCode::Ok);
    QCOMPARE(saveTickets(again, file()), SaveResult::Ok);
    QCOMPARE(readFile(file()), expected);
    for (int m = 1; m <= 12; ++m) QCOMPARE(again.month(m).count, store.month(m).count);
  }

  void everyLineIs52Bytes() {
    TicketStore store;
    clearTickets(store);
    for (int m = 1; m <= 12; ++m) {
      MonthTickets& mt = store.month(m);
      for (int i = 0; i < m * 3; ++i) mt.slot(i) = recordOf(ticketText(m, i % 28 + 1, i));
      mt.count = static_cast<std::int16_t>(m * 3);
      mt.slot(mt.count).markBlank();
    }
    // A blank record inside the live range and text beyond the count stay out.
    store.month(2).slot(1).markBlank();
    store.month(4).slot(12) = recordOf(ticketText(4, 1, 999));
    QCOMPARE(saveTickets(store, file()), SaveResult::Ok);
    const QByteArray content = readFile(file());
    const int lines = 1 + 3 * 78 - 1;
    QCOMPARE(content.size(), qsizetype{52} * lines);
    for (int i = 0; i < lines; ++i) {
      const QByteArray line = content.mid(qsizetype{52} * i, 52);
      QCOMPARE(line.mid(47), QByteArray("\0\0\0\r\n", 5));
      QVERIFY(!line.left(47).contains('\n'));
      QVERIFY(!line.startsWith("  "));
    }
    QVERIFY(!content.contains("0000000999"));
  }

  void clearedStoreSavesHeaderOnly() {
    TicketStore store = prefilledStore();
    clearTickets(store);
    QCOMPARE(saveTickets(store, file()), SaveResult::Ok);
    QCOMPARE(readFile(file()), savedLine("00,00,0,0,0,0,0,0,0000000000,0000000000,0,old,X"));
  }

  void saveToMissingDirectoryFails() {
    const fs::path target = fs::path(dir_.path().toStdString()) / "no-such-dir" / "info.dat";
    QCOMPARE(saveTickets(prefilledStore(), target), SaveResult::NoFolder);
    QVERIFY(!fs::exists(target.parent_path()));
  }

  void saveOverDirectoryFails() {
    fs::create_directory(file());
    writeFile(file() / "inside", "keep");
    QCOMPARE(saveTickets(prefilledStore(), file()), SaveResult::NotAFile);
    QVERIFY(fs::is_directory(file()));
    QCOMPARE(readFile(file() / "inside"), QByteArray("keep"));
  }

  void lineBreakInRecordRefused_data() {
    QTest::addColumn<int>("month");  // 0: the header
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("column");  // 1-based
    QTest::addColumn<char>("breaker");
    QTest::addColumn<bool>("refused");
    QTest::newRow("LF in a ticket") << 2 << 1 << 30 << '\n' << true;
    // A CR splits no line for the reader: it is saved and read back as it is.
    QTest::newRow("CR in the header") << 0 << 0 << 47 << '\r' << false;
    QTest::newRow("CR in the last ticket of December") << 12 << 2 << 8 << '\r' << false;
    // A blank record never reaches the file.
    QTest::newRow("LF in a blank record") << 5 << 0 << 10 << '\n' << false;
  }
  void lineBreakInRecordRefused() {
    QFETCH(int, month);
    QFETCH(int, slot);
    QFETCH(int, column);
    QFETCH(char, breaker);
    QFETCH(bool, refused);
    const QByteArray old = savedLine(kHeader) + savedLine(ticketText(6, 6, 6));
    writeFile(file(), old);
    TicketStore store;
    clearTickets(store);
    for (int m : {2, 5, 12}) {
      for (int i = 0; i < 3; ++i) store.month(m).slot(i) = recordOf(ticketText(m, 1, i));
      store.month(m).count = 3;
    }
    store.month(5).slot(0).markBlank();
    TicketRecord& r = month == 0 ? store.header : store.month(month).slot(slot);
    r.text[static_cast<std::size_t>(column - 1)] = breaker;

    QCOMPARE(ticketSaveText(store).has_value(), !refused);
    QCOMPARE(saveTickets(store, file()), refused ? SaveResult::LineBreak : SaveResult::Ok);
    if (refused) {
      QCOMPARE(readFile(file()), old);
      return;
    }
    TicketStore loaded;
    QCOMPARE(loadTickets(loaded, file()), LoadCode::Ok);
    QCOMPARE(loaded.month(5).count, std::int16_t{2});
    QCOMPARE(totalCount(loaded), 8);
  }

  void failedWriteLeavesOldFile() {
    const QByteArray old = savedLine(kHeader) + savedLine(ticketText(6, 6, 6));
    writeFile(file(), old);
    TicketStore big;
    clearTickets(big);
    for (int i = 0; i < 400; ++i) big.month(8).slot(i) = recordOf(ticketText(8, 1, i));
    big.month(8).count = 400;
    // A file size limit makes the write itself fail, even for root.
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    const SaveResult result = saveTickets(big, file());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    QCOMPARE(result, SaveResult::TooLarge);
    QCOMPARE(readFile(file()), old);
    QCOMPARE(std::distance(fs::directory_iterator(file().parent_path()), fs::directory_iterator{}),
             std::ptrdiff_t{1});
  }
};

QTEST_APPLESS_MAIN(DetailFileTest)
#include "test_detail_file.moc"
