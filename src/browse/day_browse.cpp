#include "browse/day_browse.h"

#include <QLabel>
#include <algorithm>

#include "browse/figures_panel.h"
#include "state/data_session.h"
#include "widgets/look.h"

namespace tamrel {

DayBrowse::DayBrowse(const DataSession& session, Messages& messages, int month, int day,
                     QWidget* parent)
    : BrowseWindow(session, messages, kName, QStringLiteral("日別統計情報"),
                   QStringLiteral("日別累積"), parent),
      month_(std::clamp(month, 1, 12)),
      day_(std::clamp(day, 1, kSlotsPerMonth)) {
  auto* notice =
      new QLabel(QStringLiteral("上記データを修正するには、収支入力で行って下さい"), this);
  notice->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  notice->setAlignment(Qt::AlignCenter);
  notice->setMargin(8);
  tuk_ = numberBox(QStringLiteral("Tuk"), QStringLiteral("月"));
  hi_ = numberBox(QStringLiteral("Hi"), QStringLiteral("日"));
  arrange(notice, {tuk_, redLabel(QStringLiteral("月")), hi_, redLabel(QStringLiteral("日"))}, {});
  build();
}

bool DayBrowse::fillFigures() {
  tuk_->setText(QString::number(month_));
  hi_->setText(QString::number(day_));
  const PanelFigures panel = panelFigures(daySlot(session_.ledger(), month_, day_));
  panel_->fill(panel);
  return panel.overflow;
}

}  // namespace tamrel
