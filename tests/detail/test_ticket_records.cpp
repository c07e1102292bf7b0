#include <QtTest>

#include <limits>
#include <string>

#include "detail/ticket_records.h"
#include "support/record_text.h"

using namespace tamrel;
using testdata::bytes;
using testdata::recordOf;

Q_DECLARE_METATYPE(tamrel::Attribute)
Q_DECLARE_METATYPE(tamrel::TicketField)

namespace {

constexpr std::string_view kWorkedExample = "05,11,A,A,2,1,1,1,0000001000,0000000000,4,4,0,4";

char code(Attribute a, const char* caption) {
  const auto c = codeOf(a, caption);
  return c ? *c : '?';
}

}  // namespace

class TicketRecordsTest : public QObject {
  Q_OBJECT

 private slots:
  void workedExampleFromCaptions() {
    TicketRecord r = newTicket(5, 11);
    const auto set = [&r](Attribute a, const char* caption) {
      const char c = code(a, caption);
      r.setField(fieldOf(a), std::string_view(&c, 1));
    };
    set(Attribute::Racecourse, "小倉");
    set(Attribute::RaceNo, "１０Ｒ");
    set(Attribute::Weekday, "日曜日");
    set(Attribute::Surface, "芝");
    set(Attribute::DistanceBand, "1600m以下");
    set(Attribute::RaceClass, "Ｇ１");
    QVERIFY(setAmountField(r, TicketField::Purchase, 1000));
    QVERIFY(setAmountField(r, TicketField::Payout, 0));
    set(Attribute::BetType, "馬連");
    set(Attribute::AgeGroup, "４歳上");
    set(Attribute::Condition, "無し");
    set(Attribute::RunnersBand, "16頭以上");
    QCOMPARE(bytes(r.view()), bytes(kWorkedExample));
    QCOMPARE(kWorkedExample.size(), TicketRecord::kWidth);
  }

  void fieldsReadByColumn_data() {
    QTest::addColumn<TicketField>("field");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("month") << TicketField::Month << QByteArray("05");
    QTest::newRow("day") << TicketField::Day << QByteArray("11");
    QTest::newRow("racecourse") << TicketField::Racecourse << QByteArray("A");
    QTest::newRow("raceNo") << TicketField::RaceNo << QByteArray("A");
    QTest::newRow("weekday") << TicketField::Weekday << QByteArray("2");
    QTest::newRow("purchase") << TicketField::Purchase << QByteArray("0000001000");
    QTest::newRow("payout") << TicketField::Payout << QByteArray("0000000000");
    QTest::newRow("betType") << TicketField::BetType << QByteArray("4");
    QTest::newRow("condition") << TicketField::Condition << QByteArray("0");
    QTest::newRow("runners (last column)") << TicketField::RunnersBand << QByteArray("4");
  }
  void fieldsReadByColumn() {
    QFETCH(TicketField, field);
    QFETCH(QByteArray, text);
    QCOMPARE(bytes(recordOf(kWorkedExample).field(field)), text);
  }

  void setFieldWritesOnlyItsColumns_data() {
    QTest::addColumn<TicketField>("field");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("month") << TicketField::Month << QByteArray("12")
                           << QByteArray("12,11,A,A,2,1,1,1,0000001000,0000000000,4,4,0,4");
    QTest::newRow("day, short value padded")
        << TicketField::Day << QByteArray("7")
        << QByteArray("05,7 ,A,A,2,1,1,1,0000001000,0000000000,4,4,0,4");
    QTest::newRow("purchase") << TicketField::Purchase << QByteArray("0000000500")
                              << QByteArray("05,11,A,A,2,1,1,1,0000000500,0000000000,4,4,0,4");
    QTest::newRow("payout, long value cut")
        << TicketField::Payout << QByteArray("123456789012")
        << QByteArray("05,11,A,A,2,1,1,1,0000001000,1234567890,4,4,0,4");
    QTest::newRow("betType") << TicketField::BetType << QByteArray("7")
                             << QByteArray("05,11,A,A,2,1,1,1,0000001000,0000000000,7,4,0,4");
    QTest::newRow("runners, last column")
        << TicketField::RunnersBand << QByteArray("1")
        << QByteArray("05,11,A,A,2,1,1,1,0000001000,0000000000,4,4,0,1");
  }
  void setFieldWritesOnlyItsColumns() {
    QFETCH(TicketField, field);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, expected);
    TicketRecord r = recordOf(kWorkedExample);
    r.setField(field, std::string_view(value.constData(), static_cast<std::size_t>(value.size())));
    QCOMPARE(bytes(r.view()), expected);
  }

  void codeToCaption_data() {
    QTest::addColumn<Attribute>("attribute");
    QTest::addColumn<char>("code");
    QTest::addColumn<QString>("caption");
    QTest::newRow("race 1") << Attribute::RaceNo << '1' << QString("１Ｒ");
    QTest::newRow("race 9") << Attribute::RaceNo << '9' << QString("９Ｒ");
    QTest::newRow("race A") << Attribute::RaceNo << 'A' << QString("１０Ｒ");
    QTest::newRow("race C") << Attribute::RaceNo << 'C' << QString("１２Ｒ");
    QTest::newRow("no 13th race") << Attribute::RaceNo << 'D' << QString();
    QTest::newRow("race has no 0") << Attribute::RaceNo << '0' << QString();
    QTest::newRow("racecourse A") << Attribute::Racecourse << 'A' << QString("小倉");
    QTest::newRow("racecourse B") << Attribute::Racecourse << 'B' << QString("その他");
    QTest::newRow("racecourse lower-case") << Attribute::Racecourse << 'a' << QString();
    QTest::newRow("weekday 2") << Attribute::Weekday << '2' << QString("日曜日");
    QTest::newRow("dirt half-width") << Attribute::Surface << '2' << QString("ﾀﾞｰﾄ");
    QTest::newRow("jump") << Attribute::Surface << '3' << QString("障害");
    QTest::newRow("distance 3") << Attribute::DistanceBand << '3' << QString("2400m以下");
    QTest::newRow("distance 4") << Attribute::DistanceBand << '4' << QString("2400m以上");
    QTest::newRow("class G1 full-width") << Attribute::RaceClass << '1' << QString("Ｇ１");
    QTest::newRow("class open half-width") << Attribute::RaceClass << '4' << QString("ｵｰﾌﾟﾝ");
    QTest::newRow("class 500") << Attribute::RaceClass << '7' << QString("500万");
    QTest::newRow("class 9") << Attribute::RaceClass << '9' << QString("新馬");
    QTest::newRow("wide half-width") << Attribute::BetType << '5' << QString("ﾜｲﾄﾞ");
    QTest::newRow("trio") << Attribute::BetType << '7' << QString("3連複");
    QTest::newRow("bet type 0") << Attribute::BetType << '0' << QString();
    QTest::newRow("bet type 8") << Attribute::BetType << '8' << QString();
    QTest::newRow("age 3 up") << Attribute::AgeGroup << '3' << QString("３歳上");
    QTest::newRow("condition 0") << Attribute::Condition << '0' << QString("無し");
    QTest::newRow("condition 1") << Attribute::Condition << '1' << QString("牝限");
    QTest::newRow("condition 2") << Attribute::Condition << '2' << QString("ﾊﾝﾃﾞ");
    QTest::newRow("condition 3") << Attribute::Condition << '3' << QString();
    QTest::newRow("runners 1") << Attribute::RunnersBand << '1' << QString("9頭以下");
    QTest::newRow("runners 0") << Attribute::RunnersBand << '0' << QString();
    QTest::newRow("blank record space") << Attribute::Surface << ' ' << QString();
  }
  void codeToCaption() {
    QFETCH(Attribute, attribute);
    QFETCH(char, code);
    QFETCH(QString, caption);
    const std::string_view got = captionOf(attribute, code);
    QCOMPARE(QString::fromUtf8(got.data(), static_cast<qsizetype>(got.size())), caption);
  }

  void captionToCode_data() {
    QTest::addColumn<Attribute>("attribute");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<char>("code");  // '?' for no code
    QTest::newRow("１０Ｒ") << Attribute::RaceNo << QString("１０Ｒ") << 'A';
    QTest::newRow("１２Ｒ") << Attribute::RaceNo << QString("１２Ｒ") << 'C';
    QTest::newRow("half-width 10R") << Attribute::RaceNo << QString("10R") << '?';
    QTest::newRow("１Ｒ not a prefix of １０Ｒ") << Attribute::RaceNo << QString("１Ｒ") << '1';
    QTest::newRow("小倉") << Attribute::Racecourse << QString("小倉") << 'A';
    QTest::newRow("札幌") << Attribute::Racecourse << QString("札幌") << '1';
    QTest::newRow("trailing blank") << Attribute::Racecourse << QString("札幌 ") << '?';
    QTest::newRow("その他 weekday") << Attribute::Weekday << QString("その他") << '3';
    QTest::newRow("土曜日") << Attribute::Weekday << QString("土曜日") << '1';
    QTest::newRow("full-width dirt") << Attribute::Surface << QString("ダート") << '?';
    QTest::newRow("無し") << Attribute::Condition << QString("無し") << '0';
    QTest::newRow("empty") << Attribute::Racecourse << QString() << '?';
    QTest::newRow("3連複") << Attribute::BetType << QString("3連複") << '7';
    QTest::newRow("full-width ３連複") << Attribute::BetType << QString("３連複") << '?';
  }
  void captionToCode() {
    QFETCH(Attribute, attribute);
    QFETCH(QString, caption);
    QFETCH(char, code);
    const QByteArray utf8 = caption.toUtf8();
    const auto got = codeOf(
        attribute, std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    QCOMPARE(got.value_or('?'), code);
  }

  void tablesHaveUniqueCodesAndCaptions_data() {
    QTest::addColumn<Attribute>("attribute");
    QTest::addColumn<int>("size");
    QTest::newRow("racecourse") << Attribute::Racecourse << 11;
    QTest::newRow("raceNo") << Attribute::RaceNo << 12;
    QTest::newRow("weekday") << Attribute::Weekday << 3;
    QTest::newRow("surface") << Attribute::Surface << 3;
    QTest::newRow("distance") << Attribute::DistanceBand << 4;
    QTest::newRow("class") << Attribute::RaceClass << 9;
    QTest::newRow("betType") << Attribute::BetType << 7;
    QTest::newRow("age") << Attribute::AgeGroup << 4;
    QTest::newRow("condition") << Attribute::Condition << 3;
    QTest::newRow("runners") << Attribute::RunnersBand << 4;
  }
  void tablesHaveUniqueCodesAndCaptions() {
    QFETCH(Attribute, attribute);
    QFETCH(int, size);
    const auto table = codeTable(attribute);
    QCOMPARE(static_cast<int>(table.size()), size);
    for (const CodeCaption& e : table) {
      QCOMPARE(captionOf(attribute, e.code), e.caption);
      QCOMPARE(codeOf(attribute, e.caption).value_or('?'), e.code);
    }
  }

  void betTypeCodesFollowTheBetTypeOrder() {
    for (const BetTypeInfo& bt : kBetTypes) {
      const char c = codeOfBetType(bt.type);
      QCOMPARE(c, static_cast<char>('1' + index(bt.type)));
      QVERIFY(betTypeOfCode(c) == bt.type);
      QCOMPARE(captionOf(Attribute::BetType, c), bt.caption);
    }
    QVERIFY(!betTypeOfCode('0'));
    QVERIFY(!betTypeOfCode('8'));
    QVERIFY(!betTypeOfCode(' '));
  }

  void captionOfRecordField() {
    const TicketRecord r = recordOf(kWorkedExample);
    QCOMPARE(bytes(captionOf(Attribute::RaceNo, r)), QByteArray("１０Ｒ"));
    QCOMPARE(bytes(captionOf(Attribute::Condition, r)), QByteArray("無し"));
    QVERIFY(captionOf(Attribute::Racecourse, TicketRecord()).empty());
  }

  void amountFields() {
    TicketRecord r = recordOf(kWorkedExample);
    QCOMPARE(amountField(r, TicketField::Purchase).value_or(-1), 1000);
    QVERIFY(setAmountField(r, TicketField::Payout, std::numeric_limits<std::int32_t>::max()));
    QCOMPARE(bytes(r.field(TicketField::Payout)), QByteArray("2147483647"));
    QCOMPARE(amountField(r, TicketField::Payout).value_or(-1), 2147483647);
    // A negative amount must keep to its ten columns and read back.
    QVERIFY(setAmountField(r, TicketField::Purchase, -500));
    QCOMPARE(amountField(r, TicketField::Purchase).value_or(0), -500);
    QCOMPARE(bytes(r.view().substr(28)), QByteArray(",2147483647,4,4,0,4"));
    r.setField(TicketField::Payout, "9999999999");
    QVERIFY(!amountField(r, TicketField::Payout));
  }

  void newTicketHasSeparators() {
    const TicketRecord r = newTicket(3, 7);
    QCOMPARE(bytes(r.view()), QByteArray("03,07, , , , , , ,          ,          , , , , "));
    QVERIFY(!r.isBlank());
  }

  void blankEntryKeepsDay() {
    TicketRecord r = recordOf(kWorkedExample);
    blankEntry(r);
    QCOMPARE(bytes(r.view()), QByteArray("  ,11") + QByteArray(42, ' '));
    QVERIFY(r.isBlank());
  }

  void clearTicketsResetsHeaderAndCounts() {
    TicketStore store;
    store.header = recordOf("99,99,9,9,9,9,9,9,9999999999,9999999999,9,XYZ,W");
    for (int m = 1; m <= 12; ++m) {
      store.month(m).slot(0) = recordOf(kWorkedExample);
      store.month(m).slot(1) = recordOf(kWorkedExample);
      store.month(m).count = 2;
    }
    clearTickets(store);
    QCOMPARE(bytes(store.header.view()),
             QByteArray("00,00,0,0,0,0,0,0,0000000000,0000000000,0,XYZ,W"));
    for (int m = 1; m <= 12; ++m) {
      QCOMPARE(store.month(m).count, std::int16_t{0});
      QVERIFY(store.month(m).slot(0).isBlank());
      // Older text may stay behind the end marker; only the count says what lives.
      QCOMPARE(bytes(store.month(m).slot(1).view()), bytes(kWorkedExample));
    }
  }

  void adjustTotals_data() {
    QTest::addColumn<int>("startStake");
    QTest::addColumn<int>("startPayout");
    QTest::addColumn<int>("purchase");
    QTest::addColumn<int>("payout");
    QTest::addColumn<int>("sign");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("endStake");
    QTest::addColumn<int>("endPayout");
    const int maxI = std::numeric_limits<std::int32_t>::max();
    const int minI = std::numeric_limits<std::int32_t>::min();
    QTest::newRow("add") << 100 << 0 << 1000 << 5000 << 1 << true << 1100 << 5000;
    QTest::newRow("subtract") << 1100 << 5000 << 1000 << 5000 << -1 << true << 100 << 0;
    QTest::newRow("subtract below zero") << 0 << 0 << 300 << 0 << -1 << true << -300 << 0;
    QTest::newRow("stake overflow") << maxI << 0 << 1 << 7 << 1 << false << maxI << 0;
    QTest::newRow("payout overflow, stake untouched")
        << 10 << maxI << 5 << 1 << 1 << false << 10 << maxI;
    QTest::newRow("underflow") << minI << 0 << 1 << 0 << -1 << false << minI << 0;
    QTest::newRow("sign must be one") << 0 << 0 << 10 << 10 << 2 << false << 0 << 0;
  }
  void adjustTotals() {
    QFETCH(int, startStake);
    QFETCH(int, startPayout);
    QFETCH(int, purchase);
    QFETCH(int, payout);
    QFETCH(int, sign);
    QFETCH(bool, ok);
    QFETCH(int, endStake);
    QFETCH(int, endPayout);
    DayBetTotals totals;
    totals.stake[3] = startStake;
    totals.payout[3] = startPayout;
    totals.stake[0] = 77;
    QCOMPARE(tamrel::adjustTotals(totals, BetType::Uma, purchase, payout, sign), ok);
    QCOMPARE(totals.stake[3], endStake);
    QCOMPARE(totals.payout[3], endPayout);
    QCOMPARE(totals.stake[0], 77);
  }

  void dayTotalsSkipBlankEntries() {
    DayTicketList list;
    list.entries[0] = recordOf("05,11,A,A,2,1,1,1,0000001000,0000000000,4,4,0,4");
    list.entries[1] = recordOf("05,11,A,A,2,1,1,1,0000000200,0000003000,4,4,0,4");
    list.entries[2] = recordOf("05,11,A,A,2,1,1,1,0000000300,0000000400,1,4,0,4");
    blankEntry(list.entries[2]);
    list.entries[3] = recordOf("05,11,A,A,2,1,1,1,0000000100,0000000000,7,4,0,4");
    list.entries[4] = recordOf("05,11,A,A,2,1,1,1,0000009999,0000000000,4,4,0,4");  // beyond count
    list.count = 4;
    const auto totals = dayTotals(list);
    QVERIFY(totals);
    QCOMPARE(totals->stake[index(BetType::Uma)], 1200);
    QCOMPARE(totals->payout[index(BetType::Uma)], 3000);
    QCOMPARE(totals->stake[index(BetType::Tan)], 0);
    QCOMPARE(totals->stake[index(BetType::Ren3)], 100);

    list.entries[1].setField(TicketField::Purchase, "2147483647");
    QVERIFY(!dayTotals(list));
  }
};

QTEST_APPLESS_MAIN(TicketRecordsTest)
#include "test_ticket_records.moc"
