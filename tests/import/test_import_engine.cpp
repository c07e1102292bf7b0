#include <QtTest>

#include <memory>
#include <string>
#include <variant>

#include "detail/month_transfer.h"
#include "import/import_engine.h"
#include "store/data_files.h"

using namespace tamrel;

Q_DECLARE_METATYPE(tamrel::RowFate)

namespace {

struct Year {
  std::unique_ptr<YearLedger> ledger = std::make_unique<YearLedger>();
  std::unique_ptr<TicketStore> tickets = std::make_unique<TicketStore>();
  Year() { resetYear(*ledger, *tickets); }
};

constexpr const char* kTicketHeader = "月,日,場名,レース,券種,購入金額,払戻金額\r\n";

ImportPlan plan(const Year& year, const std::string& text, int calendarYear = 2026) {
  auto read = readImport(text, *year.ledger, *year.tickets, calendarYear);
  if (auto* refusal = std::get_if<ImportRefusal>(&read)) {
    qWarning("refused: %s", refusal->text().c_str());
    return {};
  }
  return std::get<ImportPlan>(read);
}

std::string refusalOf(const std::string& text) {
  Year year;
  auto read = readImport(text, *year.ledger, *year.tickets, 2026);
  if (auto* refusal = std::get_if<ImportRefusal>(&read)) return refusal->text();
  return {};
}

// Records as one text: fields joined by "|", records by "\n" after their
// line; or the refusal.
std::string shown(const std::variant<ImportRecords, ImportRefusal>& read) {
  if (const auto* refusal = std::get_if<ImportRefusal>(&read)) return refusal->text();
  const ImportRecords& records = std::get<ImportRecords>(read);
  std::string out(1, records.separator());
  for (std::size_t r = 0; r < records.size(); ++r) {
    out += "\n" + std::to_string(records.line(r)) + ":";
    for (std::size_t c = 0; c < records.fieldCount(r); ++c) {
      out += std::string(c > 0 ? "|" : "") + std::string(records.field(r, c));
    }
  }
  return out;
}

std::string sniffed(const std::string& bytes) {
  const auto result = sniffImport(bytes);
  if (const auto* refusal = std::get_if<ImportRefusal>(&result)) return refusal->text();
  switch (std::get<ImportEncoding>(result)) {
    case ImportEncoding::Utf8:
      return "UTF-8";
    case ImportEncoding::Utf8Bom:
      return "UTF-8 BOM";
    case ImportEncoding::ShiftJis:
      return "Shift_JIS";
  }
  return {};
}

}  // namespace

class TestImportEngine : public QObject {
  Q_OBJECT

 private slots:
  void encodingsAndHostileBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << QByteArray("a,b\r\n1,2\r\n") << "UTF-8";
    QTest::newRow("utf-8") << QByteArray("月,日\n") << "UTF-8";
    QTest::newRow("bom") << QByteArray("\xEF\xBB\xBF月,日\n") << "UTF-8 BOM";
    // "月,日" in Shift_JIS
    QTest::newRow("shift_jis") << QByteArray("\x8C\x8E,\x93\xFA\r\n") << "Shift_JIS";
    QTest::newRow("nul on line 2") << QByteArray("a\nb\0c\n", 6) << "2行目: NUL文字があります";
    QTest::newRow("binary") << QByteArray("a\n\x01\x02\n") << "2行目: 文字ではないデータがあります";
    QTest::newRow("lone cr") << QByteArray("a\rb\n") << "1行目: 文字ではないデータがあります";
    QTest::newRow("bom in the middle") << QByteArray(
                                              "a\nb\n\xEF\xBB\xBF"
                                              "c\n")
                                       << "3行目: 途中にBOMがあります";
    QTest::newRow("line too long")
        << QByteArray("a\n") + QByteArray(4097, 'x') << "2行目: 行が長すぎます（4 KBまで）";
    QTest::newRow("line at the limit") << QByteArray("a\n") + QByteArray(4096, 'x') << "UTF-8";
    QTest::newRow("neither encoding")
        << QByteArray("a\n\xFF\xFE\n") << "2行目: UTF-8でもShift_JISでもない文字があります";
    QTest::newRow("mixed") << QByteArray("月\n\x8C\x8E\n")
                           << "2行目: UTF-8とShift_JISが混ざっています";
    QTest::newRow("bom then shift_jis") << QByteArray(
                                               "\xEF\xBB\xBF"
                                               "a\n\x8C\x8E\n")
                                        << "2行目: BOMがあるのにUTF-8ではありません";
  }
  void encodingsAndHostileBytes() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(sniffed(bytes.toStdString())), expected);
  }

  void tooLarge() {
    const std::string bytes(kImportMaxBytes + 1, 'a');
    QCOMPARE(QString::fromStdString(sniffed(bytes)), QString("8 MBを超えるものは取り込めません"));
    QCOMPARE(QString::fromStdString(refusalOf(bytes)), QString("8 MBを超えるものは取り込めません"));
  }

  void records_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("fields");  // records joined by "|"
    QTest::addColumn<QList<int>>("lines");
    QTest::newRow("quoted comma and quote") << QByteArray("a,b\r\n\"1,5\",\"x\"\"y\"\r\n")
                                            << QStringList{"a|b", "1,5|x\"y"} << QList<int>{1, 2};
    QTest::newRow("line break in a field")
        << QByteArray("a,b\n\"x\ny\",1\nc,d\n") << QStringList{"a|b", "x\ny|1", "c|d"}
        << QList<int>{1, 2, 4};
    QTest::newRow("tabs") << QByteArray("a\tb,c\n1\t2,3\n") << QStringList{"a|b,c", "1|2,3"}
                          << QList<int>{1, 2};
    QTest::newRow("commas") << QByteArray("a,b\tc,d\n") << QStringList{"a|b\tc|d"} << QList<int>{1};
    QTest::newRow("blank records left out")
        << QByteArray("a,b\n\n,\n1,2") << QStringList{"a|b", "1|2"} << QList<int>{1, 4};
    QTest::newRow("bom") << QByteArray(
                                "\xEF\xBB\xBF"
                                "a\n")
                         << QStringList{"a"} << QList<int>{1};
    QTest::newRow("crlf kept in a quoted field")
        << QByteArray("a,b\r\n\"x\r\ny\",1\r\nc,d") << QStringList{"a|b", "x\r\ny|1", "c|d"}
        << QList<int>{1, 2, 4};
    QTest::newRow("text after the closing quote")
        << QByteArray("\"a\"b\"c\",\"\",d\"e\n") << QStringList{"ab\"c\"||d\"e"} << QList<int>{1};
    QTest::newRow("quoted blanks are a blank record")
        << QByteArray("a\n\"\",\"\"\n\"\"\"\"\n") << QStringList{"a", "\""} << QList<int>{1, 3};
    QTest::newRow("fields of their own beside quoted ones")
        << QByteArray("\"x,y\",\"\"\"\",z\n1,\"2\"") << QStringList{"x,y|\"|z", "1|2"}
        << QList<int>{1, 2};
  }
  void records() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, fields);
    QFETCH(QList<int>, lines);
    const std::string utf8 = text.toStdString();
    const auto read = readImportRecords(utf8);
    QVERIFY(std::holds_alternative<ImportRecords>(read));
    const ImportRecords& records = std::get<ImportRecords>(read);
    QStringList got;
    QList<int> gotLines;
    for (std::size_t r = 0; r < records.size(); ++r) {
      QStringList parts;
      for (std::size_t c = 0; c < records.fieldCount(r); ++c) {
        parts << QString::fromStdString(std::string(records.field(r, c)));
      }
      got << parts.join('|');
      gotLines << records.line(r);
    }
    QCOMPARE(got, fields);
    QCOMPARE(gotLines, lines);
    // Lines taken in one go split as the rule splits them.
    QCOMPARE(
        QString::fromStdString(shown(readImportRecords(text.toStdString()))),
        QString::fromStdString(shown(import_detail::readImportRecordsByRule(text.toStdString()))));
  }

  // The records read in place give their fields as they are, and nothing
  // beyond the last.
  void recordsInPlace() {
    const std::string text = "a,\"b\"\"\"\r\n\r\n1\r\n";
    const auto read = readImportRecords(text);
    QVERIFY(std::holds_alternative<ImportRecords>(read));
    const ImportRecords& records = std::get<ImportRecords>(read);
    QCOMPARE(records.size(), std::size_t{2});
    QCOMPARE(records.fieldCount(0), std::size_t{2});
    QCOMPARE(records.field(0, 1), std::string_view("b\""));
    QCOMPARE(records.field(0, 2), std::string_view());
    QCOMPARE(records.field(1, 0), std::string_view("1"));
    QCOMPARE(records.line(1), 3);
  }

  // Each fault is told wherever it stands in a line: the checks take
  // printable characters sixteen at a time, so a fault just before, at and
  // after each step's end must be seen as it is one by one.
  void faultsAlongALine_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("expected");
    for (const int at : {0, 15, 16, 17, 31, 32, 40}) {
      const QByteArray before(at, 'x');
      const QByteArray after(20, 'y');
      const QString n = QString::number(at);
      QTest::newRow(qPrintable("control at " + n))
          << before + '\x1F' + after << "2行目: 文字ではないデータがあります";
      QTest::newRow(qPrintable("lone CR at " + n))
          << before + '\r' + after << "2行目: 文字ではないデータがあります";
      QTest::newRow(qPrintable("DEL at " + n))
          << before + '\x7F' + after << "2行目: 文字ではないデータがあります";
      QTest::newRow(qPrintable("NUL at " + n))
          << before + QByteArray(1, '\0') + after << "2行目: NUL文字があります";
      QTest::newRow(qPrintable("BOM at " + n))
          << before + "\xEF\xBB\xBF" + after << "2行目: 途中にBOMがあります";
      QTest::newRow(qPrintable("not UTF-8 at " + n))
          << before + "\xE3\x81" + after << "2行目: UTF-8ではない文字があります";
      QTest::newRow(qPrintable("tab and kana at " + n)) << before + "\t\xE3\x81\x82" + after << "";
    }
    // After characters of three bytes that leave the fault at every place
    // of a block of sixteen, and at a character cut by the block's end.
    for (const int shift : {0, 1, 2}) {
      for (const int kana : {4, 5}) {
        QByteArray before(shift, 'x');
        for (int k = 0; k < kana; ++k) before += "\xE3\x81\x82";  // あ
        const QString n = QString("%1 and %2 kana").arg(shift).arg(kana);
        QTest::newRow(qPrintable("two bytes after " + n)) << before + "\xC3\x97あいう,x"
                                                          << "";
        QTest::newRow(qPrintable("four bytes after " + n)) << before + "\xF0\x9F\x90\x8E,あいうえお"
                                                           << "";
        QTest::newRow(qPrintable("cut kana after " + n)) << before + "\xE3\x81" + "あいうえお"
                                                         << "2行目: UTF-8ではない文字があります";
        QTest::newRow(qPrintable("stray byte after " + n)) << before + "\x81" + "あいうえお"
                                                           << "2行目: UTF-8ではない文字があります";
        QTest::newRow(qPrintable("BOM after " + n)) << before + "\xEF\xBB\xBF" + "あいうえお"
                                                    << "2行目: 途中にBOMがあります";
        QTest::newRow(qPrintable("quote after " + n)) << before + "\"あ\"いうえお"
                                                      << "";
        QTest::newRow(qPrintable("ED after " + n)) << before + "\xED\xA0\x80" + "あいうえお"
                                                   << "2行目: UTF-8ではない文字があります";
      }
    }
    // A later control character is told before an earlier BOM or bad byte;
    // a BOM before bytes that are not UTF-8, even inside one.
    QTest::newRow("control after a BOM")
        << QByteArray("\xEF\xBB\xBF") + QByteArray(20, 'x') + '\x01'
        << "2行目: 文字ではないデータがあります";
    QTest::newRow("BOM after a bad byte")
        << QByteArray("\xFF") + QByteArray(20, 'x') + "\xEF\xBB\xBF"
        << "2行目: 途中にBOMがあります";
    QTest::newRow("BOM inside a broken sequence")
        << QByteArray("\xE3\xEF\xBB\xBF") << "2行目: 途中にBOMがあります";
  }
  void faultsAlongALine() {
    QFETCH(QByteArray, line);
    QFETCH(QString, expected);
    const std::string text = "月,日,券種,購入金額\r\n" + line.toStdString() + "\r\n";
    const auto read = readImportRecords(text);
    const auto* refusal = std::get_if<ImportRefusal>(&read);
    QCOMPARE(refusal != nullptr ? QString::fromStdString(refusal->text()) : QString(), expected);
    QCOMPARE(shown(read), shown(import_detail::readImportRecordsByRule(text)));
    // The same line last, without its end.
    const std::string last = text.substr(0, text.size() - 2);
    QCOMPARE(shown(readImportRecords(last)), shown(import_detail::readImportRecordsByRule(last)));
    // The file's own checks agree, but for bytes that may be Shift_JIS.
    if (!expected.contains("UTF-8")) {
      const auto sniffedAs = sniffImport(text);
      const auto* sniffRefusal = std::get_if<ImportRefusal>(&sniffedAs);
      QCOMPARE(sniffRefusal != nullptr ? QString::fromStdString(sniffRefusal->text()) : QString(),
               expected);
    }
  }

  void secondBomAtTheStart() {
    QCOMPARE(QString::fromStdString(refusalOf("\xEF\xBB\xBF\xEF\xBB\xBF月,日\n")),
             QString("1行目: 途中にBOMがあります"));
  }

  void unclosedQuote() {
    QCOMPARE(QString::fromStdString(refusalOf("月,日\n\"3,5\n")),
             QString("2行目: 引用符 \" が閉じていません"));
  }

  void captions_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("field");
    QTest::newRow("日付") << "日付" << int(ImportField::Date);
    QTest::newRow("競馬場") << "競馬場" << int(ImportField::Racecourse);
    QTest::newRow("開催") << "開催" << int(ImportField::Racecourse);
    QTest::newRow("式別") << "式別" << int(ImportField::BetType);
    QTest::newRow("投資金額") << "投資金額" << int(ImportField::Stake);
    QTest::newRow("金額 with blanks") << " 金　額 " << int(ImportField::Stake);
    QTest::newRow("配当金額") << "配当金額" << int(ImportField::Payout);
    QTest::newRow("full-width R") << "Ｒ" << int(ImportField::RaceNo);
    QTest::newRow("day stake") << "単勝購入金額" << int(dayStakeField(BetType::Tan));
    QTest::newRow("day payout, output name")
        << "３連複払戻金額" << int(dayPayoutField(BetType::Ren3));
    QTest::newRow("day payout, code caption") << "ﾜｲﾄﾞ配当" << int(dayPayoutField(BetType::Kak));
    QTest::newRow("unknown") << "メモ" << -1;
  }
  void captions() {
    QFETCH(QString, caption);
    QFETCH(int, field);
    const auto found = fieldOfCaption(caption.toStdString());
    QCOMPARE(found ? int(*found) : -1, field);
  }

  // The cells as the reports write them are read without folding; every
  // such shortcut must give what the rule gives, the reason included.
  void shortcutsAgreeWithTheRule() {
    std::vector<std::string> texts = {"", " ", "中山競馬場", "その他競馬場", "１１Ｒ", "11", "11R",
                                      "11r", "１１", "0", "13", "13R", "ダ", "ダート", "ﾀﾞｰﾄ", "OP",
                                      "op", "オープン", "ハンデ", "なし", "無し", "三連複", "3連複",
                                      "３連複", "ワイド", "ﾜｲﾄﾞ", "大井", "芝 ", "　芝", "WIN5",
                                      // As long as its first and last eight bytes together:
                                      // "その他競馬場" but for its ninth.
                                      "その仗競馬場"};
    for (int a = 0; a <= static_cast<int>(Attribute::RunnersBand); ++a) {
      for (const CodeCaption& entry : codeTable(static_cast<Attribute>(a))) {
        texts.emplace_back(entry.caption);
      }
    }
    for (int a = 0; a <= static_cast<int>(Attribute::RunnersBand); ++a) {
      for (const std::string& text : texts) {
        const auto attribute = static_cast<Attribute>(a);
        QVERIFY2(import_detail::cellCode(attribute, text) ==
                     import_detail::cellCodeByRule(attribute, text),
                 text.c_str());
      }
    }
    QCOMPARE(import_detail::cellCode(Attribute::Surface, "ダ"), std::optional<char>('2'));
    QCOMPARE(import_detail::cellCode(Attribute::RaceNo, "11"), std::optional<char>('B'));
    QCOMPARE(import_detail::cellCode(Attribute::BetType, "ワイド"), std::optional<char>('5'));
    QCOMPARE(import_detail::cellCode(Attribute::Racecourse, "ワイド"), std::optional<char>());

    const std::string amounts[] = {
        "",           "0",           "1200",       "-500",        "0000001200",
        "999999999",  "-999999999",  "1000000000", "-1000000000", "2147483647",
        "2147483648", "99999999999", "-",          "--5",         "5-",
        "1,200",      "１２００",    "1200円",     " 12",         "12 ",
        "1.5",        "+5",          "0999999999", "-0000000001", "00000000000012"};
    for (const std::string& text : amounts) {
      QVERIFY2(import_detail::cellAmount(text) == import_detail::cellAmountByRule(text),
               text.c_str());
    }
    QCOMPARE(std::get<std::int32_t>(import_detail::cellAmount("-500")), -500);
    QCOMPARE(std::get<std::string>(import_detail::cellAmount("1000000000")),
             std::string("金額が999,999,999円を超えます: 1000000000"));
  }

  // Quoted and plain fields side by side read as the rule reads them; the
  // rows plan from the second record, or from the first without a header
  // row: then the header is a row of its own, an error, and the others
  // plan as they did.
  void plansAgree() {
    Year year;
    const std::string text = std::string(kTicketHeader) +
                             "3,5,中山,１Ｒ,単勝,100,0\n"
                             "\"3\",\"5\",\"中山\",\"１Ｒ\",単勝,\"1,200\",0\n"
                             "2,30,中山,１Ｒ,単勝,100,0\n"
                             "3,5,大井,１Ｒ,単勝,100\n"
                             "3,6,中山,１Ｒ\n";
    const auto records = readImportRecords(text);
    QCOMPARE(shown(records), shown(import_detail::readImportRecordsByRule(text)));
    QVERIFY(std::holds_alternative<ImportRecords>(records));
    const ImportRecords& read = std::get<ImportRecords>(records);
    const ColumnMap map = mapHeader(read);
    const ImportPlan a =
        planImport(read, map, ImportKind::Tickets, *year.ledger, *year.tickets, 2026);
    const ImportPlan b =
        planImport(read, map, ImportKind::Tickets, *year.ledger, *year.tickets, 2026, false);
    QCOMPARE(a.rows.size(), std::size_t{5});
    QCOMPARE(a.count(RowFate::Error), 3);
    QCOMPARE(a.count(RowFate::Add), 2);
    QCOMPARE(a.stake, std::int64_t{1300});
    QCOMPARE(b.rows.size(), std::size_t{6});
    QCOMPARE(b.rows[0].line, 1);
    QCOMPARE(QString::fromStdString(b.rows[0].reason), QString("月ではありません: 月"));
    QCOMPARE(b.count(RowFate::Error), 4);
    QCOMPARE(b.stake, a.stake);
    for (std::size_t i = 0; i < a.rows.size(); ++i) {
      QCOMPARE(b.rows[i + 1].line, a.rows[i].line);
      QCOMPARE(b.rows[i + 1].fate, a.rows[i].fate);
      QCOMPARE(b.rows[i + 1].reason, a.rows[i].reason);
      QVERIFY(b.rows[i + 1].ticket == a.rows[i].ticket);
    }
  }

  void noKind() {
    QCOMPARE(QString::fromStdString(refusalOf("券種,購入金額\n単勝,100\n")),
             QString("1行目: 日付（または月と日）の列がありません"));
    QCOMPARE(QString::fromStdString(refusalOf("月,日,メモ\n3,5,x\n")),
             QString("1行目: 券種と購入金額の列、または券種ごとの金額の列がありません"));
  }

  // One ticket row's fate in an empty year.
  void ticketRows_data() {
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("row");
    QTest::addColumn<RowFate>("fate");
    QTest::addColumn<QString>("reason");
    const QString h = "日付,場名,レース,券種,購入金額,払戻金額";
    QTest::newRow("report captions")
        << QString(kTicketHeader).trimmed() << "3,5,中山,１１Ｒ,３連複,200,0" << RowFate::Add << "";
    QTest::newRow("slashes, R, 円 and groups")
        << h << "2026/3/5,中山競馬場,11R,三連複,\"1,200円\",\"12,340円\"" << RowFate::Add << "";
    QTest::newRow("dashes") << h << "2026-03-05,東京,1,ワイド,100,0" << RowFate::Add << "";
    QTest::newRow("月日") << h << "3月5日,東京,1,単勝,100,0" << RowFate::Add << "";
    QTest::newRow("another year") << h << "2025/3/5,東京,1,単勝,100,0" << RowFate::Error
                                  << "2025年の行です（この年は2026年）";
    QTest::newRow("2/30") << h << "2/30,東京,1,単勝,100,0" << RowFate::Error
                          << "ない日付です: 2/30";
    QTest::newRow("2/29 of 2026") << h << "2026/2/29,東京,1,単勝,100,0" << RowFate::Error
                                  << "ない日付です: 2/29";
    QTest::newRow("a date under 月")
        << QString(kTicketHeader).trimmed() << "2/30,5,中山,１Ｒ,単勝,100,0" << RowFate::Error
        << "月ではありません: 2/30";
    QTest::newRow("no day") << QString(kTicketHeader).trimmed() << "3,,中山,１Ｒ,単勝,100,0"
                            << RowFate::Error << "日がありません";
    QTest::newRow("3月 and 5日") << QString(kTicketHeader).trimmed()
                                 << "3月,5日,中山,１Ｒ,単勝,100,0" << RowFate::Add << "";
    QTest::newRow("not a date") << h << "3/x,東京,1,単勝,100,0" << RowFate::Error
                                << "日付ではありません: 3/x";
    QTest::newRow("unknown racecourse")
        << h << "3/5,大井,1,単勝,100,0" << RowFate::Error << "知らない場名です: 大井";
    QTest::newRow("unknown bet type")
        << h << "3/5,東京,1,WIN5,100,0" << RowFate::Error << "知らない券種です: WIN5";
    QTest::newRow("no bet type") << h << "3/5,東京,1,,100,0" << RowFate::Error
                                 << "券種がありません";
    QTest::newRow("over 999,999,999") << h << "3/5,東京,1,単勝,1000000000,0" << RowFate::Error
                                      << "金額が999,999,999円を超えます: 1000000000";
    QTest::newRow("badly grouped")
        << h << "3/5,東京,1,単勝,\"1,00\",0" << RowFate::Error << "金額ではありません: 1,00";
    QTest::newRow("words for an amount")
        << h << "3/5,東京,1,単勝,百円,0" << RowFate::Error << "金額ではありません: 百円";
  }
  void ticketRows() {
    QFETCH(QString, header);
    QFETCH(QString, row);
    QFETCH(RowFate, fate);
    QFETCH(QString, reason);
    Year year;
    const ImportPlan p = plan(year, (header + "\n" + row + "\n").toStdString());
    QCOMPARE(p.kind, ImportKind::Tickets);
    QCOMPARE(p.rows.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(p.rows[0].reason), reason);
    QCOMPARE(p.rows[0].fate, fate);
    QCOMPARE(p.rows[0].line, 2);
  }

  void ticketCodesAndAmounts() {
    Year year;
    const ImportPlan p = plan(year,
                              "日付,場名,レース,コース,クラス,券種,購入金額,払戻金額\n"
                              "2026/3/5,中山,11R,ダート,OP,ワイド,\"1,200円\",\"12,340\"\n");
    QCOMPARE(p.count(RowFate::Add), 1);
    const TicketRecord& t = p.rows[0].ticket;
    QCOMPARE(QString::fromLatin1(t.view().substr(0, 17).data(), 17), QString("03,05,5,B, ,2, ,4"));
    QCOMPARE(amountField(t, TicketField::Purchase), std::optional<std::int32_t>(1200));
    QCOMPARE(amountField(t, TicketField::Payout), std::optional<std::int32_t>(12340));
    QCOMPARE(t.field(TicketField::BetType), std::string_view("5"));
    QCOMPARE(p.stake, std::int64_t{1200});
    QCOMPARE(p.payout, std::int64_t{12340});
  }

  // A ticket already stored is skipped once for each time it is stored: a
  // second identical row of the file is a second ticket.
  void sameTickets() {
    Year year;
    const std::string text = std::string(kTicketHeader) +
                             "3,5,中山,１Ｒ,単勝,100,0\n3,5,中山,１Ｒ,単勝,100,0\n"
                             "3,6,中山,１Ｒ,単勝,100,0\n";
    ImportPlan first = plan(year, text);
    QCOMPARE(first.count(RowFate::Add), 3);
    // Only the first row stored.
    first.rows[1].fate = first.rows[2].fate = RowFate::Same;
    QVERIFY(applyImport(first, {}, *year.ledger, *year.tickets));
    const ImportPlan second = plan(year, text);
    QCOMPARE(second.rows[0].fate, RowFate::Same);
    QCOMPARE(second.rows[1].fate, RowFate::Add);
    QCOMPARE(second.rows[2].fate, RowFate::Add);
  }

  void ticketLimits_data() {
    QTest::addColumn<int>("storedOnDay5");
    QTest::addColumn<int>("storedOnLaterDays");  // days 6 and 7, 200 at most each
    QTest::addColumn<QString>("reason");
    QTest::newRow("room") << 199 << 299 << "";
    QTest::newRow("day full") << kMaxDayTickets << 0 << "日の馬券が200枚を超えます";
    QTest::newRow("month full") << 150 << 349 << "月の馬券が499枚を超えます";
  }
  void ticketLimits() {
    QFETCH(int, storedOnDay5);
    QFETCH(int, storedOnLaterDays);
    QFETCH(QString, reason);
    Year year;
    const int onDay6 = std::min(storedOnLaterDays, kMaxDayTickets);
    for (const auto& [day, count] : {std::pair{5, storedOnDay5}, std::pair{6, onDay6},
                                     std::pair{7, storedOnLaterDays - onDay6}}) {
      auto list = std::make_unique<DayTicketList>();
      for (int i = 0; i < count; ++i) {
        TicketRecord t = newTicket(3, day);
        setAmountField(t, TicketField::Purchase, 1000 + i);
        list->entries[static_cast<std::size_t>(i)] = t;
      }
      list->count = static_cast<std::int16_t>(count);
      QCOMPARE(storeDayTickets(*year.tickets, 3, day, *list), TransferResult::Ok);
    }
    const ImportPlan p = plan(year, std::string(kTicketHeader) + "3,5,中山,１Ｒ,単勝,100,0\n");
    QCOMPARE(QString::fromStdString(p.rows[0].reason), reason);
    QCOMPARE(p.rows[0].fate, reason.isEmpty() ? RowFate::Add : RowFate::Error);
    if (reason.isEmpty()) QVERIFY(applyImport(p, {}, *year.ledger, *year.tickets));
  }

  void dayRows() {
    Year year;
    BetAmounts stored;
    stored.stake[0] = 1000;
    BetAmounts baseline;
    QVERIFY(showDay(*year.ledger, baseline, 3, 5));
    QCOMPARE(postDay(*year.ledger, baseline, 3, 5, stored), PostResult::Ok);
    QVERIFY(showDay(*year.ledger, baseline, 3, 6));
    QCOMPARE(postDay(*year.ledger, baseline, 3, 6, stored), PostResult::Ok);
    const std::string text =
        "月,日,単勝購入金額,単勝払戻金額,馬連購入金額\n"
        "3,5,1000,0,0\n"    // the same
        "3,6,2000,500,0\n"  // other amounts
        "3,7,0,0,300\n"     // a new day
        "3,7,0,0,400\n";    // the same day again
    const ImportPlan p = plan(year, text);
    QCOMPARE(p.kind, ImportKind::DayAmounts);
    QCOMPARE(p.rows[0].fate, RowFate::Same);
    QCOMPARE(p.rows[1].fate, RowFate::Overwrite);
    QCOMPARE(p.rows[2].fate, RowFate::Add);
    QCOMPARE(p.rows[3].fate, RowFate::Error);
    QCOMPARE(QString::fromStdString(p.rows[3].reason), QString("同じ日の行が4行目にあります"));
    QCOMPARE(p.stake, std::int64_t{2300});
    QCOMPARE(acceptedRows(p, {}), 1);
    QCOMPARE(acceptedRows(p, {false, true}), 2);

    // Without leave the day that holds other amounts keeps them.
    auto kept = std::make_unique<YearLedger>(*year.ledger);
    QVERIFY(applyImport(p, {}, *kept, *year.tickets));
    QCOMPARE(betAmounts(daySlot(*kept, 3, 6))->stake[0], 1000);
    QCOMPARE(betAmounts(daySlot(*kept, 3, 7))->stake[3], 300);
    // With it, the day and the month's total follow the row.
    QVERIFY(applyImport(p, {false, true}, *year.ledger, *year.tickets));
    QCOMPARE(betAmounts(daySlot(*year.ledger, 3, 6))->stake[0], 2000);
    QCOMPARE(amount(year.ledger->month(3), Quantity::Stake, BetType::Tan), 3000);
  }

  // Imported tickets touch the days' amounts only when asked, and then add
  // to what the day holds.
  void ticketsAddToDays_data() {
    QTest::addColumn<bool>("addToDays");
    QTest::addColumn<int>("stake");
    QTest::newRow("off") << false << 100;
    QTest::newRow("on") << true << 100 + 300 + 200;
  }
  void ticketsAddToDays() {
    QFETCH(bool, addToDays);
    QFETCH(int, stake);
    Year year;
    BetAmounts day;
    day.stake[0] = 100;
    BetAmounts baseline;
    QVERIFY(showDay(*year.ledger, baseline, 3, 5));
    QCOMPARE(postDay(*year.ledger, baseline, 3, 5, day), PostResult::Ok);
    const ImportPlan p = plan(
        year, std::string(kTicketHeader) + "3,5,中山,１Ｒ,単勝,300,0\n3,5,中山,２Ｒ,単勝,200,0\n");
    QVERIFY(applyImport(p, {addToDays, false}, *year.ledger, *year.tickets));
    QCOMPARE(year.tickets->month(3).count, std::int16_t{2});
    QCOMPARE(amount(daySlot(*year.ledger, 3, 5), Quantity::Stake, BetType::Tan), stake);
    QCOMPARE(amount(year.ledger->year, Quantity::Stake, BetType::Tan), stake);
  }
};

QTEST_APPLESS_MAIN(TestImportEngine)
#include "test_import_engine.moc"
