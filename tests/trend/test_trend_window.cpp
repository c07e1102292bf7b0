// The 収支推移 window on a data session: the figures it shows, how it follows
// postings, what a click on a calendar day shows, the year it starts with and
// the overflow notice.

#include <QComboBox>
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

QTEST_MAIN(TestTrendWindow)
#include "test_trend_window.moc"
