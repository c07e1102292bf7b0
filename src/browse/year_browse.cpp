#include "browse/year_browse.h"

#include <QLabel>
#include <QMdiArea>
#include <QPushButton>

#include "browse/day_browse.h"
#include "browse/figures_panel.h"
#include "browse/month_browse.h"
#include "state/data_session.h"
#include "widgets/core_text.h"
#include "widgets/grid.h"
#include "widgets/messages.h"
#include "widgets/profit_graph.h"

namespace tamrel {

namespace {

QStringList monthLabels() {
  QStringList labels;
  for (int m = 1; m <= 12; ++m) labels << fromCore(monthRowLabel(m));
  return labels;
}

std::vector<ProfitPoint> monthGraphPoints(const MonthProfits& profits) {
  std::vector<ProfitPoint> points;
  for (int m = 1; m <= 12; ++m) {
    points.push_back(
        {fromCore(graphMonthLabel(m)), profits.values[static_cast<std::size_t>(m - 1)]});
  }
  return points;
}

}  // namespace

YearBrowse::YearBrowse(const DataSession& session, Messages& messages, QWidget* parent)
    : BrowseWindow(session, messages, kName, QStringLiteral("総合統計情報"),
                   QStringLiteral("総合累積"), parent) {
  const QString hint = QStringLiteral("該当月をダブルクリックすると月別詳細が表示されます");
  makeGrid(monthLabels(), QStringLiteral("月別の集計"))->setAccessibleDescription(hint);
  QPushButton* graph = makeButton(QStringLiteral("Command3D2"), QStringLiteral("グラフ表示"));
  connect(graph, &QPushButton::clicked, this, &YearBrowse::showMonthGraph);
  arrange(grid_, {new QLabel(hint)}, {graph});
  build();
}

bool YearBrowse::fillFigures() {
  const PanelFigures panel = panelFigures(session_.ledger().year);
  panel_->fill(panel);
  const GridFigures months = yearGridFigures(session_.ledger());
  fillGrid(months);
  return panel.overflow || months.overflow;
}

void YearBrowse::activated() {
  // The graph stays in front of the window it belongs to.
  bringToFront(openWindow(kGraphName));
}

void YearBrowse::showMonthGraph() {
  if (ChildWindow* open = openWindow(kGraphName)) {
    bringToFront(open);
    return;
  }
  const MonthProfits profits = monthProfits(session_.ledger());
  if (profits.overflow) messages_.error(kAmountOutOfRange);
  auto* graph =
      new ProfitGraphWindow(session_, messages_, kGraphName, QStringLiteral("月別利益表示"),
                            monthGraphPoints(profits), /*closed=*/{});
  // It follows the ledger on its own, as long as it stays open: an overflow
  // shows as months without a bar, told by the browse windows.
  const DataSession& session = session_;
  graph->setPointSource([&session] { return monthGraphPoints(monthProfits(session.ledger())); });
  graph->followSession(session_, ChildWindow::Follows::Days);
  openBeside(graph);
}

void YearBrowse::openRow(int row) {
  if (row < 1 || row > 12) return;
  // A month browse already open (this month or another) makes way for the
  // one asked for, built afresh.
  if (ChildWindow* open = openWindow(MonthBrowse::kName)) open->closeWindow();
  openBeside(new MonthBrowse(session_, messages_, row));
}

void closeMonthAndDayBrowse(const QMdiArea& area) {
  closeOpenWindow(&area, MonthBrowse::kName);
  closeOpenWindow(&area, DayBrowse::kName);
}

}  // namespace tamrel
