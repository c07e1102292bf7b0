// The fuzz targets' properties in every build, without libFuzzer: each
// target's corpus replayed, every byte of a day slot and of ticket lines
// replaced in turn by each byte that can matter to the fast readers, the
// lines in shapes the writer never makes, and seeded random mutations. The
// targets hold the loaders, the day sums and the tally against the plain
// line-by-line rule with the exact amount parser; a broken property aborts,
// and Qt Test names the case that was running.

#include <QDir>
#include <QFile>
#include <QTest>
#include <cstdint>
#include <random>
#include <string>

#include "detail/ticket_records.h"

extern "C" int fuzzLedger(const std::uint8_t* data, std::size_t size);
extern "C" int fuzzTickets(const std::uint8_t* data, std::size_t size);
extern "C" int fuzzAmount(const std::uint8_t* data, std::size_t size);
extern "C" int fuzzImport(const std::uint8_t* data, std::size_t size);

namespace {

using Target = int (*)(const std::uint8_t*, std::size_t);

void run(Target target, const std::string& bytes) {
  target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::string corpusFile(const QString& target, const QString& name) {
  QFile file(QStringLiteral(TAMREL_FUZZ_CORPUS "/%1/%2").arg(target, name));
  if (!file.open(QIODevice::ReadOnly)) qFatal("no corpus file %s", qPrintable(file.fileName()));
  return file.readAll().toStdString();
}

// What a fast path treats differently from a plain digit: the digits
// themselves (a first digit of 2 leaves the stored form's range), the bytes
// just below and above them, blanks and signs the exact rule reads, bytes
// that wrap when '0' is taken away, and the line's own ends.
const std::string kReplacements{"0123456789/: -+\x80\xb9\xff\0\r\n", 22};

Target targetNamed(const QByteArray& name) {
  if (name == "ledger") return fuzzLedger;
  if (name == "tickets") return fuzzTickets;
  if (name == "import") return fuzzImport;
  return fuzzAmount;
}

// Where the `nth` line (from 1) starting with `prefix` that holds a digit
// 1-9 after its first five bytes begins, and how long it is with its CR LF.
// The fast readers take a line the general way when it starts a month or
// follows another kind of line, and in their tight loop when it follows a
// line like itself: the second and later lines of a run.
std::pair<std::size_t, std::size_t> lineWithFigures(const std::string& bytes,
                                                    const std::string& prefix, int nth = 2) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t end = bytes.find('\n', at);
    const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
    const std::string line = bytes.substr(at, next - at);
    if (line.starts_with(prefix) && line.find_first_of("123456789", 5) != std::string::npos &&
        --nth == 0) {
      return {at, next - at};
    }
    at = next;
  }
  qFatal("no line with figures starting %s", prefix.c_str());
}

}  // namespace

class TestFastReaders : public QObject {
  Q_OBJECT

 private slots:
  void corpusReplayed_data() {
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QString>("file");
    for (const char* target : {"ledger", "tickets", "amount", "import"}) {
      const QDir dir(QStringLiteral(TAMREL_FUZZ_CORPUS "/") + QLatin1String(target));
      for (const QString& file : dir.entryList(QDir::Files)) {
        QTest::addRow("%s/%s", target, qPrintable(file)) << QByteArray(target) << file;
      }
    }
  }
  void corpusReplayed() {
    QFETCH(QByteArray, target);
    QFETCH(QString, file);
    run(targetNamed(target), corpusFile(QString::fromLatin1(target), file));
  }

  // Every byte of one line, replaced by each byte of kReplacements: a day
  // slot of the demo year (its fourteen amounts summed in byte lanes), two
  // ticket lines (the record copied in one look, the payout tested for a
  // hit), and a stored amount.
  void everyByteOfALine_data() {
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("a day slot") << QByteArray("ledger") << "D";
    QTest::newRow("a January ticket") << QByteArray("tickets") << "01";
    QTest::newRow("a June ticket") << QByteArray("tickets") << "06";
    QTest::newRow("a stored amount") << QByteArray("amount") << "";
  }
  void everyByteOfALine() {
    QFETCH(QByteArray, target);
    QFETCH(QString, prefix);
    const std::string base = corpusFile(
        QString::fromLatin1(target), target == "amount" ? QStringLiteral("stored") : "demo-year");
    const auto [at, length] = target == "amount"
                                  ? std::pair<std::size_t, std::size_t>{0, base.size()}
                                  : lineWithFigures(base, prefix.toStdString());
    for (std::size_t i = at; i < at + length; ++i) {
      for (const char c : kReplacements) {
        if (c == base[i]) continue;
        std::string bytes = base;
        bytes[i] = c;
        run(targetNamed(target), bytes);
      }
    }
  }

  // Lines the writer never makes, which the fast readers must still take
  // as the plain rule does.
  void linesNotInTheWritersShape_data() {
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    const QByteArray ending("\0\0\0\r\n", 5);
    QTest::newRow("tickets: plain CR LF endings")
        << QByteArray("tickets") << ending << QByteArray("\r\n");
    QTest::newRow("tickets: LF endings") << QByteArray("tickets") << ending << QByteArray("\n");
    // A record a byte short puts the writer's ending one byte early: its CR
    // LF stands where the next usual line's record would end.
    QTest::newRow("tickets: records one byte short")
        << QByteArray("tickets") << QByteArray(" ", 1) + ending << ending;
    // A CR LF line, then a ticket line of two bytes: the LF that ends it
    // stands where a usual line's LF would.
    QTest::newRow("tickets: short lines after CR LF ones")
        << QByteArray("tickets") << ending + "01," << QByteArray("\r\n01\n01,");
    QTest::newRow("tickets: an LF inside every record without a payout")
        << QByteArray("tickets") << QByteArray(",0000000000,") << QByteArray(",00000\n0000,");
    QTest::newRow("ledger: LF endings")
        << QByteArray("ledger") << QByteArray("\r\n") << QByteArray("\n");
    QTest::newRow("ledger: an LF inside every day line")
        << QByteArray("ledger") << QByteArray(",0000000000\r\nD")
        << QByteArray(",00000\n00000\r\nD");
    QTest::newRow("ledger: day lines one field short")
        << QByteArray("ledger") << QByteArray(",0000000000\r\nD") << QByteArray("\r\nD");
  }
  void linesNotInTheWritersShape() {
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QByteArray bytes =
        QByteArray::fromStdString(corpusFile(QString::fromLatin1(target), "demo-year"));
    QVERIFY(bytes.contains(from));
    bytes.replace(from, to);
    run(targetNamed(target), bytes.toStdString());
  }

  // Payouts at the edges of the hit test's quick reading: 1-9 yen are hits,
  // values beyond the 32-bit range are not, and the tally must agree with
  // the exact rule on each.
  void payoutsAtTheEdges_data() {
    QTest::addColumn<QByteArray>("payout");
    for (const char* p : {"0000000001", "0000000009", "0000000010", "1999999999", "2147483647",
                          "2147483648", "2999999999", "9999999999", "-000000001", "00000000 1"}) {
      QTest::newRow(p) << QByteArray(p);
    }
  }
  void payoutsAtTheEdges() {
    QFETCH(QByteArray, payout);
    std::string bytes = corpusFile("tickets", "demo-year");
    const auto [at, length] = lineWithFigures(bytes, "03");
    constexpr tamrel::FieldSpan kPayout = tamrel::fieldSpan(tamrel::TicketField::Payout);
    bytes.replace(at + kPayout.column - 1, kPayout.width, payout.toStdString());
    run(fuzzTickets, bytes);
  }

  // Seeded: one to four bytes anywhere replaced at a time.
  void randomMutations_data() {
    QTest::addColumn<QByteArray>("target");
    QTest::newRow("ledger") << QByteArray("ledger");
    QTest::newRow("tickets") << QByteArray("tickets");
    QTest::newRow("import") << QByteArray("import");
  }
  void randomMutations() {
    QFETCH(QByteArray, target);
    const std::string base = corpusFile(QString::fromLatin1(target), "demo-year");
    std::mt19937 random(20261207);
    std::uniform_int_distribution<std::size_t> position(0, base.size() - 1);
    std::uniform_int_distribution<std::size_t> replacement(0, kReplacements.size() - 1);
    std::uniform_int_distribution<int> count(1, 4);
    for (int round = 0; round < 500; ++round) {
      std::string bytes = base;
      for (int n = count(random); n > 0; --n)
        bytes[position(random)] = kReplacements[replacement(random)];
      run(targetNamed(target), bytes);
    }
  }
};

QTEST_APPLESS_MAIN(TestFastReaders)
#include "test_fast_readers.moc"
