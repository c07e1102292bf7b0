// The bytes of a file to take in as the engine's UTF-8: Shift_JIS as
// Windows writes it, with the characters only its extensions have, and
// refused by the line of the first byte that is not a character of it.

#include <iconv.h>

#include <QtTest>
#include <string>
#include <variant>

#include "detail/detail_file.h"
#include "import/import_engine.h"
#include "import/text_decoding.h"
#include "report/reports.h"
#include "store/data_files.h"
#include "support/import_year.h"

using namespace tamrel;

Q_DECLARE_METATYPE(tamrel::ImportDecoding)

namespace {

// The decoded text, or the refusal as a box shows it after "!".
QByteArray decoded(const QByteArray& bytes, ImportDecoding choice) {
  const auto result = decodeImportText(std::string_view(bytes.constData(), bytes.size()), choice);
  if (const auto* refusal = std::get_if<ImportRefusal>(&result)) {
    return "!" + QByteArray::fromStdString(refusal->text());
  }
  return QByteArray::fromStdString(std::get<ImportText>(result).utf8);
}

// UTF-8 text as a Windows program saves it in Shift_JIS, by the C library
// rather than by the code under test.
std::string toCp932(const std::string& utf8) {
  const iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) qFatal("no CP932 in iconv");
  std::string out(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* to = out.data();
  std::size_t toLeft = out.size();
  const std::size_t done = iconv(cd, &in, &inLeft, &to, &toLeft);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1)) qFatal("not writable in CP932");
  out.resize(out.size() - toLeft);
  return out;
}

using testdata::fileBytes;
using testdata::Year;

void comparePlans(const ImportPlan& got, const ImportPlan& expected) {
  QCOMPARE(got.kind, expected.kind);
  QCOMPARE(got.counts, expected.counts);
  QCOMPARE(got.stake, expected.stake);
  QCOMPARE(got.payout, expected.payout);
  QCOMPARE(got.rows.size(), expected.rows.size());
  for (std::size_t i = 0; i < got.rows.size(); ++i) {
    const ImportRow& a = got.rows[i];
    const ImportRow& b = expected.rows[i];
    QCOMPARE(a.line, b.line);
    QCOMPARE(a.fate, b.fate);
    QCOMPARE(a.reason, b.reason);
    QCOMPARE(a.ticket.view(), b.ticket.view());
    QVERIFY(a.amounts == b.amounts);
  }
}

}  // namespace

class TestTextDecoding : public QObject {
  Q_OBJECT

 private slots:
  void decoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<ImportDecoding>("choice");
    QTest::addColumn<QByteArray>("expected");  // "!" and the refusal when refused
    const auto sjis = ImportDecoding::ShiftJis;
    const auto automatic = ImportDecoding::Auto;
    QTest::newRow("kana and kanji") << QByteArray("\x92\x86\x8E\x52,\x82\xA0\x83\x41\r\n") << sjis
                                    << QByteArray("中山,あア\r\n");
    // Characters plain Shift_JIS lacks, and the two it reads otherwise.
    QTest::newRow("NEC extensions")
        << QByteArray("\x87\x40,\x87\x8A") << sjis << QByteArray("①,㈱");
    QTest::newRow("wave dash as Windows") << QByteArray("\x81\x60") << sjis << QByteArray("～");
    QTest::newRow("IBM extensions")
        << QByteArray("\xFA\x40,\xFB\xFC") << sjis << QByteArray("ⅰ,髙");
    QTest::newRow("backslash not yen") << QByteArray("\\~") << sjis << QByteArray("\\~");
    QTest::newRow("half-width kana")
        << QByteArray("\xC0\xDE\xB0\xC4,\xDC\xB2\xC4\xDE") << sjis << QByteArray("ﾀﾞｰﾄ,ﾜｲﾄﾞ");
    QTest::newRow("unassigned double byte on line 3")
        << QByteArray("a\r\nb\r\n\x92\x86\x85\x40\r\n") << sjis
        << QByteArray("!3行目: Shift_JISとして読めない文字があります");
    QTest::newRow("lead byte before the line's end")
        << QByteArray("a\n\x92\n") << sjis
        << QByteArray("!2行目: Shift_JISとして読めない文字があります");
    QTest::newRow("lead byte at the end")
        << QByteArray("a\nb\n\x92") << sjis
        << QByteArray("!3行目: Shift_JISとして読めない文字があります");
    QTest::newRow("UTF-8 said to be Shift_JIS")  // "月" is a kanji and a lone lead byte
        << QByteArray("月") << sjis << QByteArray("!1行目: Shift_JISとして読めない文字があります");
    QTest::newRow("found Shift_JIS")
        << QByteArray("\x8C\x8E,\x93\xFA\r\n") << automatic << QByteArray("月,日\r\n");
    QTest::newRow("found UTF-8 without its BOM")
        << QByteArray("\xEF\xBB\xBF月") << automatic << QByteArray("月");
    QTest::newRow("found neither") << QByteArray("a\n\x8C\x8E\n月\n") << automatic
                                   << QByteArray("!3行目: UTF-8とShift_JISが混ざっています");
    // Checked by readImportRecords line by line, as pasted text is.
    QTest::newRow("said to be UTF-8")
        << QByteArray("\x8C\x8E") << ImportDecoding::Utf8 << QByteArray("\x8C\x8E");
  }
  void decoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(ImportDecoding, choice);
    QFETCH(QByteArray, expected);
    QCOMPARE(decoded(bytes, choice), expected);
  }

  // The limits hold for the file's own bytes: within them, a file is read
  // whole once converted, however much its lines grow.
  void limitsOfTheFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("refusal");  // empty when read
    const QByteArray kanji("\x92\x86");       // 中: two bytes, three in UTF-8
    QTest::newRow("line of 4,002 bytes, 6,003 converted")
        << QByteArray("a,b\n" + kanji.repeated(2000) + ",1\n") << QByteArray();
    QTest::newRow("line over 4 KB") << QByteArray("a,b\n" + kanji.repeated(2049) + "\n")
                                    << QByteArray("!2行目: 行が長すぎます（4 KBまで）");
    QTest::newRow("over 8 MB") << QByteArray(static_cast<qsizetype>(kImportMaxBytes) + 1, '\xB1')
                               << QByteArray("!8 MBを超えるものは取り込めません");
  }
  void limitsOfTheFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, refusal);
    if (!refusal.isEmpty()) {
      QCOMPARE(decoded(bytes, ImportDecoding::ShiftJis), refusal);
      return;
    }
    const auto text =
        decodeImportText(std::string_view(bytes.constData(), bytes.size()), ImportDecoding::Auto);
    QVERIFY(std::holds_alternative<ImportText>(text));
    const ImportText& converted = std::get<ImportText>(text);
    const auto records = readImportRecords(converted.utf8, converted.limits);
    QVERIFY(std::holds_alternative<ImportRecords>(records));
    QCOMPARE(std::get<ImportRecords>(records).size(), std::size_t{2});
  }

  // The demo year's tickets written by the tickets report in UTF-8, saved again
  // in Shift_JIS, found as such and read into an empty year, give the
  // plan of the UTF-8 text: every ticket, its captions (half-width kana
  // among them) and amounts.
  void ticketsReportInShiftJis() {
    Year demo;
    QVERIFY(loadTicketText(*demo.tickets,
                           fileBytes(QStringLiteral(TAMREL_FUZZ_CORPUS "/tickets/demo-year")))
                .ok());
    const std::string utf8 = ticketsReport(*demo.tickets, Period{}).csv;
    const std::string cp932 = toCp932(utf8);
    QVERIFY(cp932 != utf8);
    const auto text = decodeImportText(cp932, ImportDecoding::Auto);
    QVERIFY(std::holds_alternative<ImportText>(text));
    QCOMPARE(std::get<ImportText>(text).utf8, utf8);

    Year empty;
    auto fromUtf8 = readImport(utf8, *empty.ledger, *empty.tickets, 0);
    auto fromCp932 = readImport(std::get<ImportText>(text).utf8, *empty.ledger, *empty.tickets, 0);
    QVERIFY(std::holds_alternative<ImportPlan>(fromCp932));
    const ImportPlan& plan = std::get<ImportPlan>(fromCp932);
    QVERIFY(plan.count(RowFate::Add) > 200);
    QCOMPARE(plan.count(RowFate::Error), 0);
    comparePlans(plan, std::get<ImportPlan>(fromUtf8));
  }
};

QTEST_MAIN(TestTextDecoding)
#include "test_text_decoding.moc"
