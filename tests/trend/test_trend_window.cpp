// The 収支推移 window on a data session: the figures it shows, how it follows
// postings, what a click on a calendar day shows, the year it starts with and
// the overflow notice.

#include <QComboBox>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QMdiArea>
#include <QScatterSeries>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "browse/ledger_fixture.h"
#include "state/data_session.h"
#include "support/scripted_messages.h"
#include "support/session_access.h"
#include "trend/trend_calendar.h"
#include "trend/trend_chart.h"
#include "trend/trend_window.h"
#include "widgets/settings.h"

using namespace tamrel;

namespace {

// 単勝 only: stake and payout of a day.
void post(DataSession& session, int month, int day, int stake, int payout) {
  BetAmounts amounts;
  amounts.stake[0] = stake;
  amounts.payout[0] = payout;
  QCOMPARE(session.postDay(month, day, amounts), PostResult::Ok);
}

struct Harness {
  QTemporaryDir dir;
  DataSession session;
  ScriptedMessages messages;
  QMdiArea area;
  TrendWindow* window = nullptr;

  Harness() {
    session.setDataDir(dir.path());
    session.resetYear();
  }
  void open() {
    area.resize(1024, 700);
    window = new TrendWindow(session, messages);
    openChildWindow(area, window);
    area.show();
  }
  template <typename T = QLineEdit>
  T* get(const char* name) const {
    return window->findChild<T*>(QString::fromLatin1(name));
  }
  QString text(const char* name) const { return get(name)->text(); }
  // The year list's entry, as a user sees it.
  int year() const { return get<QComboBox>("Year")->currentText().chopped(1).toInt(); }
  void chooseYear(int year) {
    auto* list = get<QComboBox>("Year");
    list->setCurrentIndex(list->findText(QString::number(year) + "年"));
  }
  TrendCalendar* calendar() const { return get<TrendCalendar>("Calendar"); }
  TrendChart* chart() const { return get<TrendChart>("Curve"); }
  void choosePeriod(int fromMonth, int fromDay, int toMonth, int toDay) {
    const std::pair<const char*, int> boxes[] = {
        {"FromMonth", fromMonth}, {"FromDay", fromDay}, {"ToMonth", toMonth}, {"ToDay", toDay}};
    for (const auto& [name, value] : boxes) get<QComboBox>(name)->setCurrentIndex(value - 1);
  }
  // The texts the chart draws, as a user reads them.
  QStringList drawnTexts() const {
    QStringList texts;
    for (const QGraphicsItem* item : chart()->scene()->items()) {
      const auto* text = dynamic_cast<const QGraphicsTextItem*>(item);
      if (text != nullptr && text->isVisible()) texts << text->toPlainText();
    }
    return texts;
  }
  // The value axis's labels drawn whole and clear of one another.
  bool valueLabelsReadable() const {
    QList<QRectF> labels;
    for (const QGraphicsItem* item : chart()->scene()->items()) {
      const auto* text = dynamic_cast<const QGraphicsTextItem*>(item);
      if (text == nullptr || !text->isVisible()) continue;
      if (text->toPlainText().contains(QStringLiteral("..")) ||
          text->toPlainText().contains(QChar(0x2026))) {
        return false;
      }
      if (text->toPlainText().endsWith(QStringLiteral("円"))) labels << text->sceneBoundingRect();
    }
    for (qsizetype i = 0; i < labels.size(); ++i) {
      for (qsizetype j = i + 1; j < labels.size(); ++j) {
        if (labels[i].intersects(labels[j])) return false;
      }
    }
    return labels.size() >= 2;
  }
  QString cell(int row, int column) const {
    const QAbstractItemModel* model = get<QTableView>("DayBets")->model();
    return model->index(row, column).data().toString();
  }
};

}  // namespace

class TestTrendWindow : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init() { programSettings()->clear(); }
  void figuresAsComputed();
  void periodLimitsTheFigures();
  void postingWhileOpenRedraws();
  void clickOnCalendarDayShowsItsBetTypes();
  void daysTheCalendarLacksAreListed();
  void yearIsGuessedThenRemembered();
  void overflowIsToldOnce();
  void valueLabelsStayReadable_data();
  void valueLabelsStayReadable();
  void reversedPeriodIsRefused_data();
  void reversedPeriodIsRefused();
};

void TestTrendWindow::figuresAsComputed() {
  Harness h;
  post(h.session, 1, 4, 1000, 1500);
  post(h.session, 1, 5, 2000, 0);
  post(h.session, 2, 1, 1000, 1200);
  h.open();
  QCOMPARE(h.text("RacingDays"), QString("3日"));
  QCOMPARE(h.text("WinningDays"), QString("2日"));
  QCOMPARE(h.text("LosingDays"), QString("1日"));
  QCOMPARE(h.text("Stake"), QString("4,000円"));
  QCOMPARE(h.text("Profit"), QString("-1,300円"));
  QCOMPARE(h.get("Profit")->palette().color(QPalette::Text), QColor(0xc6, 0x28, 0x28));
  QCOMPARE(h.get("Stake")->palette().color(QPalette::Text), QColor(Qt::black));
  QCOMPARE(h.text("Rate"), QString("67.50%"));
  QCOMPARE(h.text("MaxDrawdown"), QString("2,000円（1月4日→1月5日）"));
  QCOMPARE(h.text("BestDay"), QString("1月4日 500円"));
  QCOMPARE(h.text("WorstDay"), QString("1月5日 -2,000円"));
  QCOMPARE(h.get("WorstDay")->accessibleName(), QString("最低日"));
  // Tab goes on from the last figure to the calendar.
  QCOMPARE(h.get("WorstDay")->nextInFocusChain(), h.calendar());
  QCOMPARE(h.chart()->cumulativeLine()->count(), 3);
  QCOMPARE(h.chart()->drawdownMarks()->points(),
           (QList<QPointF>{QPointF(0, 500), QPointF(1, -1500)}));
  QVERIFY(h.messages.texts().isEmpty());
}

void TestTrendWindow::periodLimitsTheFigures() {
  Harness h;
  post(h.session, 1, 5, 2000, 0);
  post(h.session, 3, 1, 1000, 1500);
  h.open();
  h.get<QComboBox>("FromMonth")->setCurrentIndex(1);  // from 2月1日
  QCOMPARE(h.text("RacingDays"), QString("1日"));
  QCOMPARE(h.text("MaxDrawdown"), QString("0円"));
  QVERIFY(!h.calendar()->dayColour({1, 5}).isValid());
  QVERIFY(h.calendar()->dayColour({3, 1}).isValid());
}

void TestTrendWindow::postingWhileOpenRedraws() {
  Harness h;
  post(h.session, 1, 4, 1000, 1500);
  h.open();
  QVERIFY(!h.calendar()->dayColour({6, 3}).isValid());
  post(h.session, 6, 3, 3000, 1000);
  QCOMPARE(h.text("RacingDays"), QString("2日"));
  QCOMPARE(h.text("WorstDay"), QString("6月3日 -2,000円"));
  // The largest loss of the year: the strongest red.
  QCOMPARE(h.calendar()->dayColour({6, 3}), QColor(0xc6, 0x28, 0x28));
  QCOMPARE(h.chart()->cumulativeLine()->count(), 2);
  h.session.resetYear();
  QCOMPARE(h.text("RacingDays"), QString("0日"));
}

void TestTrendWindow::clickOnCalendarDayShowsItsBetTypes() {
  Harness h;
  post(h.session, 1, 4, 1000, 1500);
  BetAmounts amounts{};
  amounts.stake = {100, 200, 0, 0, 300, 0, 900};
  amounts.payout = {0, 600, 0, 0, 0, 0, 4200};
  QCOMPARE(h.session.postDay(3, 5, amounts), PostResult::Ok);
  h.open();
  h.chooseYear(2023);  // 3月5日 is a Sunday
  TrendCalendar* calendar = h.calendar();
  QTest::mouseClick(calendar, Qt::LeftButton, {}, calendar->dayRect({3, 5}).center());
  QCOMPARE(h.get<QLabel>("DayCaption")->text(), QString("3月5日(日)の券種別"));
  QCOMPARE(h.cell(1, 1), QString("600円"));    // 複勝 payout
  QCOMPARE(h.cell(4, 2), QString("-300円"));   // ワイド profit
  QCOMPARE(h.cell(6, 3), QString("466.67%"));  // ３連複 rate
  QCOMPARE(h.cell(7, 0), QString("1,500円"));  // 合計 stake
  QCOMPARE(h.chart()->dayMark()->points(), QList<QPointF>{QPointF(1, 3800)});
  // The arrow keys move the choice a day or a week through the calendar.
  QTest::keyClick(calendar, Qt::Key_Up);
  QCOMPARE(h.get<QLabel>("DayCaption")->text(), QString("2月26日(日)の券種別"));
  QCOMPARE(h.cell(7, 0), QString("0円"));
  QVERIFY(h.chart()->dayMark()->points().isEmpty());
  QCOMPARE(calendar->tipText({3, 5}),
           QString("3月5日(日) 投資 1,500円 払戻 4,800円 利益 3,300円 回収率 320.00%"));
  QCOMPARE(calendar->accessibleDescription(), calendar->tipText({2, 26}));
}

void TestTrendWindow::daysTheCalendarLacksAreListed() {
  Harness h;
  post(h.session, 2, 30, 1000, 0);
  post(h.session, 2, 29, 500, 0);
  h.open();
  auto* list = h.get<QListWidget>("MissingDays");
  h.chooseYear(2023);
  QCOMPARE(list->count(), 2);
  QCOMPARE(list->item(0)->text(), QString("2月29日"));
  h.chooseYear(2024);  // a leap year has 29 February
  QCOMPARE(list->count(), 1);
  list->setCurrentRow(0);
  QCOMPARE(h.get<QLabel>("DayCaption")->text(), QString("2月30日の券種別"));
  QCOMPARE(h.cell(0, 0), QString("1,000円"));
}

void TestTrendWindow::yearIsGuessedThenRemembered() {
  Harness h;
  // Weekends only in 2020, where 29 February is a Saturday.
  for (const auto& [month, day] : {std::pair{1, 4}, {1, 5}, {2, 29}, {3, 7}, {3, 8}}) {
    post(h.session, month, day, 100, 0);
  }
  const int current = QDate::currentDate().year();
  h.open();
  QCOMPARE(h.year(), current - 29 <= 2020 ? 2020 : current);
  QCOMPARE(h.calendar()->year(), h.year());
  h.chooseYear(2011);
  h.window->closeWindow();

  h.open();
  QCOMPARE(h.year(), 2011);
  // Another data directory has its own year.
  QTemporaryDir other;
  DataSession elsewhere;
  elsewhere.setDataDir(other.path());
  elsewhere.resetYear();
  QCOMPARE(TrendWindow::defaultYear(elsewhere), current);
}

void TestTrendWindow::overflowIsToldOnce() {
  Harness h;
  // Two days whose stakes together leave the 32-bit range, as an edited
  // file may hold them.
  for (int day : {1, 2}) {
    fixture::putBet(daySlot(DataSessionTestAccess::state(h.session).ledger, 4, day), BetType::Tan,
                    2'000'000'000, 0);
  }
  h.open();
  QCOMPARE(h.messages.texts(), QStringList{kAmountOutOfRange});
  QCOMPARE(h.text("Stake"), QString());
  QCOMPARE(h.text("RacingDays"), QString("2日"));
  post(h.session, 5, 1, 100, 0);
  QCOMPARE(h.messages.texts().size(), 1);
  QCOMPARE(h.text("RacingDays"), QString("3日"));
}

// Whatever the period and the window's height, the value axis shows its
// sums whole, not "...", and not run into one another.
void TestTrendWindow::valueLabelsStayReadable_data() {
  QTest::addColumn<QList<int>>("period");  // from month, day, to month, day
  QTest::addColumn<int>("height");         // of the window's frame; 0: as it opens
  QTest::newRow("the year") << QList<int>{1, 1, 12, 31} << 0;
  QTest::newRow("one month") << QList<int>{1, 1, 1, 31} << 0;
  QTest::newRow("one day") << QList<int>{3, 7, 3, 7} << 0;
  QTest::newRow("the year, low window") << QList<int>{1, 1, 12, 31} << 560;
  QTest::newRow("the year, tall window") << QList<int>{1, 1, 12, 31} << 1000;
}

void TestTrendWindow::valueLabelsStayReadable() {
  QFETCH(QList<int>, period);
  QFETCH(int, height);
  Harness h;
  // Sums from a few hundred yen to six figures, gains and losses.
  for (int month = 1; month <= 12; ++month) {
    for (int day : {7, 14, 21})
      post(h.session, month, day, 1000 * day, (month * day * 733) % 40000);
  }
  h.open();
  if (height > 0) {
    h.area.resize(1024, height);
    h.window->parentWidget()->resize(h.window->parentWidget()->width(), height);
  }
  h.choosePeriod(period[0], period[1], period[2], period[3]);
  QTRY_VERIFY2(h.valueLabelsReadable(), qPrintable(h.drawnTexts().join(QLatin1Char('|'))));
}

// A period that ends before it starts is refused in words, as the report
// refuses it, and nothing of the year is shown for it (not zeros).
void TestTrendWindow::reversedPeriodIsRefused_data() {
  QTest::addColumn<QList<int>>("period");
  QTest::addColumn<QString>("refusal");
  QTest::newRow("March to February") << QList<int>{3, 1, 2, 31} << "3月1日 が 2月31日 より後です";
  QTest::newRow("a day back") << QList<int>{3, 7, 3, 6} << "3月7日 が 3月6日 より後です";
  QTest::newRow("one day") << QList<int>{3, 7, 3, 7} << "";
}

void TestTrendWindow::reversedPeriodIsRefused() {
  QFETCH(QList<int>, period);
  QFETCH(QString, refusal);
  Harness h;
  post(h.session, 3, 7, 1000, 0);
  post(h.session, 2, 5, 500, 800);
  h.open();
  h.choosePeriod(period[0], period[1], period[2], period[3]);
  QCOMPARE(h.chart()->refusal(), refusal);
  QCOMPARE(h.chart()->accessibleDescription(), refusal);
  QVERIFY(h.drawnTexts().contains(refusal) || refusal.isEmpty());
  const bool refused = !refusal.isEmpty();
  QCOMPARE(h.text("RacingDays"), refused ? QString() : QString("1日"));
  QCOMPARE(h.text("Stake"), refused ? QString() : QString("1,000円"));
  QCOMPARE(h.chart()->cumulativeLine()->count(), refused ? 0 : 1);
  QCOMPARE(h.calendar()->dayColour({3, 7}).isValid(), !refused);
  // Put in order again, the period is shown.
  h.choosePeriod(1, 1, 12, 31);
  QCOMPARE(h.chart()->refusal(), QString());
  QCOMPARE(h.text("RacingDays"), QString("2日"));
}

QTEST_MAIN(TestTrendWindow)
#include "test_trend_window.moc"
