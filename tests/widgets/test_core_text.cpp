// Box texts as the amount parser reads them, and core texts as shown.

#include <QTest>
#include <optional>

#include "widgets/core_text.h"

using namespace tamrel;

Q_DECLARE_METATYPE(std::optional<std::int32_t>)

class TestCoreText : public QObject {
  Q_OBJECT
 private slots:
  void boxAmount_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<std::int32_t>>("amount");
    QTest::addColumn<double>("decimal");
    using O = std::optional<std::int32_t>;
    QTest::newRow("ASCII") << "1500" << O(1500) << 1500.0;
    QTest::newRow("full-width digits") << "１２３" << O(123) << 123.0;
    QTest::newRow("full-width minus") << "－５００" << O(-500) << -500.0;
    QTest::newRow("full-width point") << "１２．５" << O(12) << 12.5;
    QTest::newRow("full-width space inside") << "１　０００" << O(1000) << 1000.0;
    QTest::newRow("mixed widths") << "1２3" << O(123) << 123.0;
    QTest::newRow("full-width letters stop") << "１２ａ３" << O(12) << 12.0;
    QTest::newRow("yen sign stops") << "３００円" << O(300) << 300.0;
    // The long-vowel mark looks like a minus but is none.
    QTest::newRow("long-vowel mark is no minus") << "ー５" << O(0) << 0.0;
    QTest::newRow("beyond the range") << "３０００００００００" << O() << 3e9;
    QTest::newRow("empty") << "" << O(0) << 0.0;
  }

  void boxAmount() {
    QFETCH(QString, text);
    QFETCH(std::optional<std::int32_t>, amount);
    QFETCH(double, decimal);
    QCOMPARE(tamrel::boxAmount(text), amount);
    QCOMPARE(boxDecimal(text), decimal);
  }

  void asciiFormsLeaveOtherTextAlone() {
    QCOMPARE(asciiForms(QStringLiteral("ﾊﾝﾃﾞ戦 Ｇ１")), QStringLiteral("ﾊﾝﾃﾞ戦 G1"));
    QCOMPARE(asciiForms(QStringLiteral("！～")), QStringLiteral("!~"));
    QCOMPARE(amountInputText(QStringLiteral("１２")), std::string("12"));
    QCOMPARE(fromCore("単勝"), QStringLiteral("単勝"));
  }
};

QTEST_MAIN(TestCoreText)
#include "test_core_text.moc"
