#include <QtTest>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "base/amount.h"

using namespace tamrel;

Q_DECLARE_METATYPE(std::optional<std::int32_t>)

namespace {

QString stored(std::int32_t value) {
  const auto text = amountText(value);
  if (!text) return QStringLiteral("<none>");
  return QString::fromLatin1(text->data(), static_cast<qsizetype>(text->size()));
}

}  // namespace

class TestAmount : public QObject {
  Q_OBJECT

 private slots:
  void parseAmount_data();
  void parseAmount();
  void parseDecimal_data();
  void parseDecimal();
  void roundToAmount_data();
  void roundToAmount();
  void amountText_data();
  void amountText();
  void storedTextReadsBack();
  void formatAmount_data();
  void formatAmount();
  void formatYen_data();
  void formatYen();
  void formatPercent_data();
  void formatPercent();
  void checkedArithmetic();
  void recoveryRateAndProfit();
};

void TestAmount::parseAmount_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<std::optional<std::int32_t>>("expected");
  using O = std::optional<std::int32_t>;
  QTest::newRow("blanks then trailing letters") << "  12abc" << O(12);
  QTest::newRow("tab skipped") << "\t34" << O(34);
  QTest::newRow("half rounds to even down") << "2.5" << O(2);
  QTest::newRow("half rounds to even up") << "3.5" << O(4);
  QTest::newRow("just above half") << "2.5000001" << O(3);
  QTest::newRow("below half") << "2.4999999" << O(2);
  QTest::newRow("negative half to even") << "-2.5" << O(-2);
  QTest::newRow("negative") << "-7" << O(-7);
  QTest::newRow("plus sign") << "+5" << O(5);
  QTest::newRow("empty") << "" << O(0);
  QTest::newRow("blanks only") << "          " << O(0);
  QTest::newRow("letters") << "abc" << O(0);
  QTest::newRow("sign alone") << "-" << O(0);
  QTest::newRow("sign then blank") << "- 5" << O(-5);
  QTest::newRow("point alone") << "." << O(0);
  QTest::newRow("fraction only below half") << ".4" << O(0);
  QTest::newRow("fraction only above half") << ".6" << O(1);
  QTest::newRow("exponent is not read") << "1e3" << O(1);
  QTest::newRow("digit grouping stops") << "1,000" << O(1);
  QTest::newRow("second point stops") << "1.2.3" << O(1);
  QTest::newRow("inner blank skipped") << "12 34" << O(1234);
  QTest::newRow("grouped by blanks") << "1 000" << O(1000);
  QTest::newRow("tab inside") << "1\t000" << O(1000);
  QTest::newRow("blanks everywhere") << " - 1 2 . 5 " << O(-12);
  QTest::newRow("blank after point, half to even up") << "3. 5" << O(4);
  QTest::newRow("blanks among fraction digits") << "2.5 0 1" << O(3);
  QTest::newRow("blank then letter stops") << "12 a 34" << O(12);
  QTest::newRow("blanks then point only") << " . " << O(0);
  QTest::newRow("blanks in a long number") << "2 147 483 648" << O();
  QTest::newRow("stored zero") << "0000000000" << O(0);
  QTest::newRow("stored amount") << "0000000500" << O(500);
  QTest::newRow("stored negative") << "-000000500" << O(-500);
  QTest::newRow("ten digits in order") << "1234567890" << O(1234567890);
  QTest::newRow("ten digits, one past 9") << "00000:0000" << O(0);
  QTest::newRow("ten places led by one below 0") << "/000000012" << O(0);
  QTest::newRow("ten places, a blank among them") << "0000 00500" << O(500);
  QTest::newRow("ten places, last not a digit") << "000000050x" << O(50);
  QTest::newRow("stored one") << "0000000001" << O(1);
  QTest::newRow("stored, led by 1") << "1999999999" << O(1999999999);
  QTest::newRow("stored, led by 2") << "2000000000" << O(2000000000);
  QTest::newRow("ten places, one past 9 at the end") << "000000000:" << O(0);
  QTest::newRow("max") << "2147483647" << O(2147483647);
  QTest::newRow("min") << "-2147483648" << O(std::numeric_limits<std::int32_t>::min());
  QTest::newRow("max+1") << "2147483648" << O();
  QTest::newRow("ten nines") << "9999999999" << O();
  QTest::newRow("min-1") << "-2147483649" << O();
  QTest::newRow("rounds over max") << "2147483647.5" << O();
  QTest::newRow("rounds to even at min")
      << "-2147483648.5" << O(std::numeric_limits<std::int32_t>::min());
  QTest::newRow("long leading zeros") << "000000000000000000000000000042" << O(42);
  QTest::newRow("very long number") << QString(500, QLatin1Char('9')) << O();
  QTest::newRow("full-width digits are no number") << QStringLiteral("１２") << O(0);
}

void TestAmount::parseAmount() {
  QFETCH(QString, text);
  QFETCH(std::optional<std::int32_t>, expected);
  const std::string utf8 = text.toStdString();
  QCOMPARE(tamrel::parseAmount(utf8), expected);
  // The forms the passes over a whole year read agree with it.
  std::int32_t value = -1;
  QCOMPARE(tamrel::readAmount(utf8, value), expected.has_value());
  QCOMPARE(value, expected.value_or(-1));
  QCOMPARE(tamrel::positiveAmount(utf8), expected.value_or(0) > 0);
}

void TestAmount::parseDecimal_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<double>("expected");
  QTest::newRow("fraction kept") << " 12.75yen" << 12.75;
  QTest::newRow("negative") << "-0.5" << -0.5;
  QTest::newRow("no number") << "x1" << 0.0;
  QTest::newRow("plus") << "+3" << 3.0;
  QTest::newRow("point then digits") << ".25" << 0.25;
  QTest::newRow("beyond 32 bits") << "10000000000" << 1e10;
  QTest::newRow("blanks skipped") << "1 2 . 5 x" << 12.5;
  QTest::newRow("blank after sign") << "- 0.25" << -0.25;
  QTest::newRow("integer then point") << "7." << 7.0;
  const QString zeros323(323, QLatin1Char('0'));
  QTest::newRow("too small for a double") << "0." + zeros323 + "1" << 0.0;
  QTest::newRow("too small, blanks among the zeros") << "00 0." + zeros323 + "1" << 0.0;
  QTest::newRow("too small, negative") << "-00." + zeros323 + "0000001" << 0.0;
  QTest::newRow("too large for a double")
      << "1" + QString(400, QLatin1Char('0')) + ".5" << std::numeric_limits<double>::infinity();
  QTest::newRow("too large, negative")
      << "-9" + QString(400, QLatin1Char('0')) << -std::numeric_limits<double>::infinity();
}

void TestAmount::parseDecimal() {
  QFETCH(QString, text);
  QFETCH(double, expected);
  QCOMPARE(tamrel::parseDecimal(text.toStdString()), expected);
}

void TestAmount::roundToAmount_data() {
  QTest::addColumn<double>("value");
  QTest::addColumn<std::optional<std::int32_t>>("expected");
  using O = std::optional<std::int32_t>;
  QTest::newRow("half even down") << 0.5 << O(0);
  QTest::newRow("half even up") << 1.5 << O(2);
  QTest::newRow("negative half") << -1.5 << O(-2);
  QTest::newRow("ordinary") << 1234.4 << O(1234);
  QTest::newRow("max") << 2147483647.0 << O(2147483647);
  QTest::newRow("above max") << 2147483648.0 << O();
  QTest::newRow("below min") << -2147483649.0 << O();
  QTest::newRow("nan") << std::nan("") << O();
  QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << O();
}

void TestAmount::roundToAmount() {
  QFETCH(double, value);
  QFETCH(std::optional<std::int32_t>, expected);
  QCOMPARE(tamrel::roundToAmount(value), expected);
}

void TestAmount::amountText_data() {
  QTest::addColumn<int>("value");
  QTest::addColumn<QString>("expected");
  QTest::newRow("zero") << 0 << "0000000000";
  QTest::newRow("500") << 500 << "0000000500";
  QTest::newRow("max") << 2147483647 << "2147483647";
  QTest::newRow("-500") << -500 << "-000000500";
  QTest::newRow("-1") << -1 << "-000000001";
  QTest::newRow("smallest storable") << -999999999 << "-999999999";
  QTest::newRow("too negative") << -1000000000 << "<none>";
  QTest::newRow("min") << std::numeric_limits<int>::min() << "<none>";
}

void TestAmount::amountText() {
  QFETCH(int, value);
  QFETCH(QString, expected);
  QCOMPARE(stored(value), expected);
}

void TestAmount::storedTextReadsBack() {
  for (std::int32_t v : {0, 1, 9, 500, -500, -1, 123456789, -999999999, 2147483647}) {
    const auto text = tamrel::amountText(v);
    QVERIFY(text);
    QCOMPARE(tamrel::parseAmount(std::string_view(text->data(), text->size())),
             std::optional<std::int32_t>(v));
  }
}

void TestAmount::formatAmount_data() {
  QTest::addColumn<int>("value");
  QTest::addColumn<QString>("expected");
  QTest::addColumn<QString>("grouped");
  QTest::newRow("zero") << 0 << "0"
                        << "0";
  QTest::newRow("three digits") << -999 << "-999"
                                << "-999";
  QTest::newRow("four digits") << 1000 << "1000"
                               << "1,000";
  QTest::newRow("no grouping") << 1234567 << "1234567"
                               << "1,234,567";
  QTest::newRow("negative") << -1 << "-1"
                            << "-1";
  QTest::newRow("negative six digits") << -123456 << "-123456"
                                       << "-123,456";
  QTest::newRow("max") << 2147483647 << "2147483647"
                       << "2,147,483,647";
  QTest::newRow("min") << std::numeric_limits<int>::min() << "-2147483648"
                       << "-2,147,483,648";
}

void TestAmount::formatAmount() {
  QFETCH(int, value);
  QFETCH(QString, expected);
  QFETCH(QString, grouped);
  QCOMPARE(QString::fromStdString(tamrel::formatAmount(value)), expected);
  QCOMPARE(QString::fromStdString(tamrel::formatGroupedAmount(value)), grouped);
}

void TestAmount::formatYen_data() {
  QTest::addColumn<int>("value");
  QTest::addColumn<QString>("expected");
  QTest::newRow("zero") << 0 << "0円";
  QTest::newRow("three digits") << -999 << "-999円";
  QTest::newRow("four digits") << 4500 << "4,500円";
  QTest::newRow("min") << std::numeric_limits<int>::min() << "-2,147,483,648円";
}

void TestAmount::formatYen() {
  QFETCH(int, value);
  QFETCH(QString, expected);
  QCOMPARE(QString::fromStdString(tamrel::formatYen(value)), expected);
}

void TestAmount::formatPercent_data() {
  QTest::addColumn<float>("rate");
  QTest::addColumn<QString>("expected");
  QTest::newRow("zero") << 0.0f << "0.00%";
  QTest::newRow("1.5") << 1.5f << "150.00%";
  QTest::newRow("1.2345") << 1.2345f << "123.45%";
  QTest::newRow("two thirds as float") << 0.6666667f << "66.67%";
  QTest::newRow("one third") << recoveryRate(300, 100) << "33.33%";
  QTest::newRow("300 of 200") << recoveryRate(300, 200) << "66.67%";
  QTest::newRow("2350 of 1000") << recoveryRate(1000, 2350) << "235.00%";
  QTest::newRow("one seventh") << recoveryRate(7, 1) << "14.29%";
  QTest::newRow("0.1") << 0.1f << "10.00%";
  QTest::newRow("0.07") << 0.07f << "7.00%";
  QTest::newRow("0.29") << 0.29f << "29.00%";
  QTest::newRow("0.005") << 0.005f << "0.50%";
  QTest::newRow("1.15") << 1.15f << "115.00%";
  QTest::newRow("exactly one") << 1.0f << "100.00%";
  QTest::newRow("large") << recoveryRate(100, 1234500) << "1234500.00%";
  QTest::newRow("negative payout") << recoveryRate(200, -100) << "-50.00%";
  QTest::newRow("tiny negative has no sign") << -0.00001f << "0.00%";
}

void TestAmount::formatPercent() {
  QFETCH(float, rate);
  QFETCH(QString, expected);
  QCOMPARE(QString::fromStdString(tamrel::formatPercent(rate)), expected);
}

void TestAmount::checkedArithmetic() {
  using O = std::optional<std::int32_t>;
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  QCOMPARE(checkedAdd(kMax - 1, 1), O(kMax));
  QCOMPARE(checkedAdd(kMax, 1), O());
  QCOMPARE(checkedAdd(kMin, -1), O());
  QCOMPARE(checkedSub(kMin + 1, 1), O(kMin));
  QCOMPARE(checkedSub(kMin, 1), O());
  QCOMPARE(checkedSub(0, kMin), O());
  const std::array<std::int32_t, 3> fits{kMax - 10, 5, 5};
  QCOMPARE(checkedSum(fits), O(kMax));
  const std::array<std::int32_t, 3> over{kMax - 10, 5, 6};
  QCOMPARE(checkedSum(over), O());
  const std::array<std::int32_t, 2> under{kMin, -1};
  QCOMPARE(checkedSum(under), O());
  QCOMPARE(checkedSum(std::span<const std::int32_t>()), O(0));
}

void TestAmount::recoveryRateAndProfit() {
  using O = std::optional<std::int32_t>;
  QCOMPARE(recoveryRate(0, 5000), 0.0f);
  QCOMPARE(recoveryRate(0, 0), 0.0f);
  QCOMPARE(recoveryRate(1000, 2350), 2.35f);
  QCOMPARE(profit(1000, 2350), O(1350));
  QCOMPARE(profit(1000, 0), O(-1000));
  QCOMPARE(profit(std::numeric_limits<std::int32_t>::min(), 1), O());
  QCOMPARE(profit(-1, std::numeric_limits<std::int32_t>::max()), O());
}

QTEST_APPLESS_MAIN(TestAmount)
#include "test_amount.moc"
