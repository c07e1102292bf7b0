#include "browse/month_browse.h"

#include <QCloseEvent>
#include <QLabel>
#include <algorithm>

#include "browse/day_browse.h"
#include "browse/figures_panel.h"
#include "state/app_state.h"
#include "widgets/core_text.h"
#include "widgets/grid.h"
#include "widgets/look.h"

namespace tamrel {

namespace {

QStringList dayLabels() {
  QStringList labels;
  for (int d = 1; d <= kSlotsPerMonth; ++d) labels << fromCore(dayRowLabel(d));
  return labels;
}

}  // namespace

MonthBrowse::MonthBrowse(AppState& state, Messages& messages, QWidget* parent)
    : BrowseWindow(state, messages, kName, QStringLiteral("月別統計情報"),
                   QStringLiteral("月別累積"), parent),
      // 最新表示 shows the same month again, whatever month another window
      // has chosen since.
      month_(std::clamp(state.CurrentMonth, 1, 12)) {
  const QString hint = QStringLiteral("該当日をダブルクリックすると日別詳細が表示されます");
  makeGrid(dayLabels(), QStringLiteral("日別の集計"))->setAccessibleDescription(hint);
  tuk_ = numberBox(QStringLiteral("Tuk"), QStringLiteral("月度"));
  arrange(grid_, {tuk_, redLabel(QStringLiteral("月度")), new QLabel(hint)}, {});
  build();
}

bool MonthBrowse::fillFigures() {
  tuk_->setText(QString::number(month_));
  const PanelFigures panel = panelFigures(state_.ledger.month(month_));
  panel_->fill(panel);
  // Every build starts the month's days over at the first.
  state_.CurrentDay = 1;
  const GridFigures days = monthGridFigures(state_.ledger, month_);
  fillGrid(days);
  return panel.overflow || days.overflow;
}

void MonthBrowse::openRow(int row) {
  if (row < 1 || row > kSlotsPerMonth) return;
  // The day belongs to this month, whatever month the shared value names
  // by now.
  state_.CurrentMonth = month_;
  state_.CurrentDay = row;
  if (ChildWindow* open = openWindow(DayBrowse::kName)) open->closeWindow();
  state_.OpenWindowCount += 1;
  openBeside(new DayBrowse(state_, messages_));
}

void MonthBrowse::closeEvent(QCloseEvent* event) {
  countClosed();
  state_.MonthBrowseOpen = false;
  event->accept();
}

}  // namespace tamrel
