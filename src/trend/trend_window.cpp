#include "trend/trend_window.h"

#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "state/data_session.h"
#include "trend/day_bets_model.h"
#include "trend/trend_calendar.h"
#include "trend/trend_chart.h"
#include "trend/trend_texts.h"
#include "widgets/budget_settings.h"
#include "widgets/controls.h"
#include "widgets/core_text.h"
#include "widgets/image_export.h"
#include "widgets/look.h"
#include "widgets/messages.h"
#include "widgets/period_boxes.h"
#include "widgets/settings.h"
#include "widgets/table_export.h"

namespace tamrel {

namespace {

constexpr int kFirstYear = 2000;
constexpr int kLastYear = 2100;

// Where each figure stands: rows of caption/value pairs; a value may span
// several grid columns.
struct FigureField {
  const char* name;
  const char* caption;
  int row;
  int column;
  int span;
};
constexpr FigureField kFigureFields[] = {
    {"RacingDays", "開催日数", 0, 0, 1},
    {"WinningDays", "勝ち日数", 0, 2, 1},
    {"LosingDays", "負け日数", 0, 4, 1},
    {"LongestWinningRun", "最長連勝", 0, 6, 1},
    {"LongestLosingRun", "最長連敗", 0, 8, 1},
    {"Stake", "投資金額", 1, 0, 1},
    {"Payout", "払戻金額", 1, 2, 1},
    {"Profit", "年間利益", 1, 4, 1},
    {"Rate", "回収率", 1, 6, 1},
    {"MaxDrawdown", "最大ドローダウン", 2, 0, 3},
    {"BestDay", "最高日", 2, 4, 2},
    {"WorstDay", "最低日", 2, 7, 2},
};

// The year chosen for a data directory is kept under the directory's path.
QString yearKey(const QString& dataDir) {
  return QStringLiteral("TrendYear/") +
         QString::fromLatin1(dataDir.toUtf8().toBase64(QByteArray::Base64UrlEncoding));
}

QString countText(std::optional<int> n) { return n ? QStringLiteral("%1日").arg(*n) : QString(); }

QString extremeText(const std::optional<ExtremeDay>& day) {
  return day ? dateText(day->date) + QLatin1Char(' ') + yenText(day->profit) : QString();
}

QString drawdownText(const std::optional<Drawdown>& d) {
  if (!d) return {};
  QString text = yenText(d->amount);
  if (d->amount > 0) {
    text += QStringLiteral("（%1→%2）")
                .arg(d->peak ? dateText(*d->peak) : QStringLiteral("開始"), dateText(*d->trough));
  }
  return text;
}

void setText(ValueBox* box, const QString& text, bool negative = false) {
  box->setText(text);
  setBoxColours(box, negative ? kTrendLossColour : QColor(Qt::black), QColor(Qt::white));
}

QComboBox* chooser(const QString& name, const QString& caption, const QString& unit, int count,
                   QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->setAccessibleName(caption);
  for (int i = 1; i <= count; ++i) box->addItem(QString::number(i) + unit);
  return box;
}

}  // namespace

TrendWindow::TrendWindow(const DataSession& session, Messages& messages, QWidget* parent)
    : ChildWindow(parent), session_(session), messages_(ownMessages(messages)) {
  setObjectName(QStringLiteral("Trend"));
  setWindowTitle(QStringLiteral("収支推移"));
  setFont(uiFont());

  calendar_ = new TrendCalendar(this);
  calendar_->setYear(defaultYear(session));
  missingCaption_ = new QLabel(QStringLiteral("暦にない日"), this);
  missingCaption_->setObjectName(QStringLiteral("MissingDaysCaption"));
  missingDays_ = new QListWidget(this);
  missingDays_->setObjectName(QStringLiteral("MissingDays"));
  missingDays_->setAccessibleName(QStringLiteral("暦にない日"));
  missingDays_->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("12月31日")) + 28);
  missingCaption_->setBuddy(missingDays_);
  chart_ = new TrendChart(this);
  installImageExport(chart_, session, messages_, QStringLiteral("収支推移"), [this] {
    const Period p = period();
    return QStringLiteral("%1年 ").arg(year()) + dateText({p.fromMonth, p.fromDay}) +
           QStringLiteral("～") + dateText({p.toMonth, p.toDay});
  });

  // Beside the day's table rather than beside the calendar: the calendar
  // alone takes nearly the whole width of the work area, while the curve
  // can give up the room the list needs.
  auto* missing = new QVBoxLayout;
  missing->addWidget(missingCaption_);
  missing->addWidget(missingDays_, 1);
  auto* calendarRow = new QHBoxLayout;
  calendarRow->addStretch(1);
  calendarRow->addWidget(calendar_);
  calendarRow->addStretch(1);
  // Built in this order whatever the layout: setting the tab chain pair by
  // pair below moves controls from where their creation put them, and from
  // another order the calendar no longer follows the last figure.
  QWidget* dayPanel = buildDayPanel();
  QWidget* figures = buildFigures();
  QWidget* choosers = buildChoosers();
  // The choosers and 閉じる sit below the curve, beside the day's table,
  // rather than in a row of their own: the curve gives up the height they
  // take, and the window fits the main window's work area.
  auto* curveColumn = new QVBoxLayout;
  curveColumn->addWidget(chart_, 1);
  curveColumn->addWidget(choosers);
  auto* lower = new QHBoxLayout;
  lower->addWidget(dayPanel);
  lower->addLayout(missing);
  lower->addLayout(curveColumn, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(figures);
  layout->addLayout(calendarRow);
  layout->addLayout(lower, 1);

  // Tab reads the window as it is laid out: figures, calendar, the day, the
  // curve, then the choosers and 閉じる.
  std::vector<QWidget*> chain;
  for (const FigureField& figure : kFigureFields)
    chain.push_back(boxes_.at(QString::fromUtf8(figure.caption)));
  for (QWidget* w :
       std::initializer_list<QWidget*>{calendar_, dayTable_, missingDays_, chart_, year_}) {
    chain.push_back(w);
  }
  chain.insert(chain.end(), periodBoxes_.boxes.begin(), periodBoxes_.boxes.end());
  chain.push_back(findChild<QWidget*>(QStringLiteral("CloseCmd")));
  setTabChain(chain);

  connect(calendar_, &TrendCalendar::daySelected, this, &TrendWindow::chooseDay);
  connect(missingDays_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row < 0) return;
    const QStringList parts = missingDays_->item(row)->data(Qt::UserRole).toStringList();
    chooseDay(parts.value(0).toInt(), parts.value(1).toInt());
  });
  connect(&session, &DataSession::dayPosted, this, &ChildWindow::followData);
  connect(&session, &DataSession::yearReset, this, &ChildWindow::followData);
  connect(&session, &DataSession::dataLoaded, this, [this] {
    // Another data directory: its own year.
    const QSignalBlocker blocker(year_);
    year_->setCurrentIndex(defaultYear(session_) - kFirstYear);
    calendar_->setYear(year());
    refresh();
  });
  refresh();
}

std::optional<PrintPage> TrendWindow::printPage() const {
  PrintPage page =
      printPageOf(windowTitle(), year_->currentText() + QStringLiteral(" ") + periodText(period()),
                  {dayTable_}, {calendar_, chart_});
  TableText figures{{QStringLiteral("項目"), QStringLiteral("値")}};
  for (const FigureField& figure : kFigureFields) {
    const QString caption = QString::fromUtf8(figure.caption);
    figures << QStringList{caption, boxes_.at(caption)->text()};
  }
  page.tables.prepend(figures);
  return page;
}

QWidget* TrendWindow::buildFigures() {
  auto* panel = new QWidget(this);
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  for (const FigureField& figure : kFigureFields) {
    const QString caption = QString::fromUtf8(figure.caption);
    auto* label = new QLabel(caption, panel);
    label->setObjectName(QString::fromLatin1(figure.name) + QStringLiteral("Caption"));
    auto* box = new ValueBox(panel);
    box->setObjectName(QString::fromLatin1(figure.name));
    box->setAccessibleName(caption);
    label->setBuddy(box);
    grid->addWidget(label, figure.row, figure.column);
    grid->addWidget(box, figure.row, figure.column + 1, 1, figure.span);
    boxes_[caption] = box;
  }
  for (int c = 1; c < 10; c += 2) grid->setColumnStretch(c, 1);
  return panel;
}

QWidget* TrendWindow::buildChoosers() {
  auto* bar = new QWidget(this);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  // A list rather than a spin box: typing the digits finds the year, and
  // the list speaks the year it shows.
  year_ =
      chooser(QStringLiteral("Year"), QStringLiteral("年"), "年", kLastYear - kFirstYear + 1, bar);
  for (int i = 0; i < year_->count(); ++i) {
    year_->setItemText(i, QStringLiteral("%1年").arg(kFirstYear + i));
  }
  year_->setCurrentIndex(calendar_->year() - kFirstYear);
  periodBoxes_ = makePeriodBoxes(bar);
  const auto [fromMonth, fromDay, toMonth, toDay] = periodBoxes_.boxes;
  auto* periodLabel = new QLabel(QStringLiteral("期間"), bar);
  periodLabel->setObjectName(QStringLiteral("PeriodCaption"));
  periodLabel->setBuddy(fromMonth);
  auto* close = commandButton(QStringLiteral("CloseCmd"), QStringLiteral("閉じる"), bar);

  row->addWidget(year_);
  row->addSpacing(12);
  row->addWidget(periodLabel);
  for (QWidget* w : {fromMonth, fromDay}) row->addWidget(w);
  row->addWidget(new QLabel(QStringLiteral("〜"), bar));
  for (QWidget* w : {toMonth, toDay}) row->addWidget(w);
  row->addStretch(1);
  row->addWidget(close);

  connect(year_, &QComboBox::currentIndexChanged, this, &TrendWindow::yearChosen);
  for (QComboBox* box : periodBoxes_.boxes) {
    connect(box, &QComboBox::currentIndexChanged, this, &TrendWindow::refresh);
  }
  connect(close, &QPushButton::clicked, this, &ChildWindow::closeWindow);
  return bar;
}

QWidget* TrendWindow::buildDayPanel() {
  auto* panel = new QWidget(this);
  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(0, 0, 0, 0);
  dayCaption_ = new QLabel(panel);
  dayCaption_->setObjectName(QStringLiteral("DayCaption"));
  dayModel_ = new DayBetsModel(this);
  dayTable_ = new QTableView(panel);
  dayTable_->setObjectName(QStringLiteral("DayBets"));
  dayTable_->setAccessibleName(QStringLiteral("選択した日の券種別"));
  dayTable_->setModel(dayModel_);
  dayTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  dayTable_->setSelectionMode(QAbstractItemView::NoSelection);
  dayTable_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  // The header's own least row height is roomier than the figures need.
  const int rowHeight = fontMetrics().height() + 2;
  dayTable_->verticalHeader()->setMinimumSectionSize(rowHeight);
  dayTable_->verticalHeader()->setDefaultSectionSize(rowHeight);
  dayTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  dayTable_->horizontalHeader()->setDefaultSectionSize(
      fontMetrics().horizontalAdvance(QStringLiteral("-999,999,999円")) + 10);
  dayTable_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  dayTable_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Every row in sight: the table is small enough never to scroll.
  dayTable_->setFixedHeight(dayTable_->horizontalHeader()->sizeHint().height() +
                            dayModel_->rowCount() *
                                dayTable_->verticalHeader()->defaultSectionSize() +
                            2 * dayTable_->frameWidth());
  installTableExport(dayTable_, session_, messages_);
  dayCaption_->setBuddy(dayTable_);
  column->addWidget(dayCaption_);
  column->addWidget(dayTable_);
  column->addStretch(1);
  const int width = dayTable_->verticalHeader()->sizeHint().width() +
                    4 * dayTable_->horizontalHeader()->defaultSectionSize() +
                    2 * dayTable_->frameWidth() + 2;
  panel->setFixedWidth(width);
  return panel;
}

int TrendWindow::defaultYear(const DataSession& session) {
  const std::unique_ptr<QSettings> settings = programSettings();
  const int remembered = settings->value(yearKey(session.dataDirPath()), 0).toInt();
  if (remembered >= kFirstYear && remembered <= kLastYear) return remembered;
  return std::clamp(guessYear(session.ledger(), QDate::currentDate().year()), kFirstYear,
                    kLastYear);
}

Period TrendWindow::period() const { return periodBoxes_.period(); }

void TrendWindow::refresh() {
  const Period chosen = period();
  // Refused as the report refuses it: figures of no day at all would read
  // as a period without racing.
  if (!chosen.ordered()) {
    figures_ = TrendFigures{};
    for (const auto& [caption, box] : boxes_) setText(box, QString());
    chart_->setRefusal(
        fromCore(reversedPeriodText(dateText({chosen.fromMonth, chosen.fromDay}).toStdString(),
                                    dateText({chosen.toMonth, chosen.toDay}).toStdString())));
    calendar_->setDays(figures_.days);
    yearChosen();
    return;
  }
  chart_->setRefusal(QString());
  figures_ = computeTrend(session_.ledger(), chosen);
  // Once for an overflow, not again at every redraw while it lasts.
  if (figures_.overflow && !overflowShown_) messages_.error(kAmountOutOfRange);
  overflowShown_ = figures_.overflow;
  showFigures();
  calendar_->setDays(figures_.days);
  yearChosen();
}

void TrendWindow::showFigures() {
  const TrendFigures& f = figures_;
  const auto box = [this](const char* caption) { return boxes_.at(QString::fromUtf8(caption)); };
  setText(box("開催日数"), countText(f.racingDays));
  setText(box("勝ち日数"), countText(f.winningDays));
  setText(box("負け日数"), countText(f.losingDays));
  setText(box("最長連勝"), countText(f.longestWinningRun));
  setText(box("最長連敗"), countText(f.longestLosingRun));
  setText(box("投資金額"), yenText(f.stake));
  setText(box("払戻金額"), yenText(f.payout));
  setText(box("年間利益"), yenText(f.profit), f.profit < 0);
  setText(box("回収率"), f.rate ? fromCore(formatPercent(*f.rate)) : QString());
  setText(box("最大ドローダウン"), drawdownText(f.maxDrawdown));
  setText(box("最高日"), extremeText(f.bestDay), f.bestDay && f.bestDay->profit < 0);
  setText(box("最低日"), extremeText(f.worstDay), f.worstDay && f.worstDay->profit < 0);
}

// The year names the weekdays and decides which recorded days the calendar
// lacks.
int TrendWindow::year() const { return kFirstYear + year_->currentIndex(); }

void TrendWindow::yearChosen() {
  const int year = this->year();
  if (year != calendar_->year()) {
    const std::unique_ptr<QSettings> settings = programSettings();
    settings->setValue(yearKey(session_.dataDirPath()), year);
  }
  calendar_->setYear(year);
  // The 節 on the calendar shown, whatever year the status bar guesses.
  calendar_->setBudget(
      budgetStanding(ledgerDaySums(session_.ledger()), budgetLimits(session_.dataDirPath()), year));
  chart_->setFigures(figures_, year);
  const QSignalBlocker blocker(missingDays_);
  missingDays_->clear();
  for (const TrendDay& day : figures_.days) {
    if (QDate(year, day.date.month, day.date.day).isValid()) continue;
    auto* item = new QListWidgetItem(dateText(day.date), missingDays_);
    item->setData(Qt::UserRole,
                  QStringList{QString::number(day.date.month), QString::number(day.date.day)});
    item->setToolTip(dayTipText(day, year));
    if (day_ == day.date) missingDays_->setCurrentItem(item);
  }
  missingCaption_->setVisible(missingDays_->count() > 0);
  missingDays_->setVisible(missingDays_->count() > 0);
  showDay();
}

void TrendWindow::chooseDay(int month, int day) {
  const TrendDate date{month, day};
  if (day_ == date) return;
  day_ = date;
  calendar_->selectDay(date);
  if (QDate(calendar_->year(), month, day).isValid()) missingDays_->setCurrentRow(-1);
  showDay();
}

void TrendWindow::showDay() {
  chart_->markDay(day_);
  if (!day_) {
    dayCaption_->setText(QStringLiteral("日付を選ぶと券種別を表示します"));
    dayModel_->setFigures(std::nullopt);
    return;
  }
  dayCaption_->setText(dateWithWeekday(*day_, calendar_->year()) + QStringLiteral("の券種別"));
  const auto amounts = betAmounts(daySlot(session_.ledger(), day_->month, day_->day));
  dayModel_->setFigures(amounts ? deriveFigures(*amounts) : std::nullopt);
}

}  // namespace tamrel
