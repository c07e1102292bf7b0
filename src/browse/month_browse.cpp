#include "browse/month_browse.h"

#include <QLabel>
#include <algorithm>

#include "browse/day_browse.h"
#include "browse/figures_panel.h"
#include "state/data_session.h"
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

MonthBrowse::MonthBrowse(const DataSession& session, Messages& messages, int month, QWidget* parent)
    : BrowseWindow(session, messages, kName, QStringLiteral("月別統計情報"),
                   QStringLiteral("月別累積"), parent),
      month_(std::clamp(month, 1, 12)) {
  const QString hint = QStringLiteral("該当日をダブルクリックすると日別詳細が表示されます");
  makeGrid(dayLabels(), QStringLiteral("日別の集計"))->setAccessibleDescription(hint);
  tuk_ = numberBox(QStringLiteral("Tuk"), QStringLiteral("月度"));
  arrange(grid_, {tuk_, redLabel(QStringLiteral("月度")), new QLabel(hint)}, {});
  build();
}

bool MonthBrowse::fillFigures() {
  tuk_->setText(QString::number(month_));
  const PanelFigures panel = panelFigures(session_.ledger().month(month_));
  panel_->fill(panel);
  const GridFigures days = monthGridFigures(session_.ledger(), month_);
  fillGrid(days);
  return panel.overflow || days.overflow;
}

void MonthBrowse::openRow(int row) {
  if (row < 1 || row > kSlotsPerMonth) return;
  if (ChildWindow* open = openWindow(DayBrowse::kName)) open->closeWindow();
  openBeside(new DayBrowse(session_, messages_, month_, row));
}

}  // namespace tamrel
