#include "budget/budget_status.h"

#include <QDate>

#include "state/data_session.h"
#include "widgets/budget_settings.h"
#include "widgets/core_text.h"

namespace tamrel {

BudgetStatusLabel::BudgetStatusLabel(const DataSession& session, QWidget* parent)
    : QLabel(parent), session_(session) {
  setObjectName(QStringLiteral("statusBudget"));
  setAccessibleName(QStringLiteral("今月の予算"));
  connect(&session, &DataSession::changed, this, &BudgetStatusLabel::refresh);
  connect(&session, &DataSession::dataLoaded, this, &BudgetStatusLabel::refresh);
  refresh();
}

void BudgetStatusLabel::refresh() {
  const BudgetStanding standing = sessionBudget(session_);
  const std::optional<std::int32_t> left =
      standing.months[static_cast<std::size_t>(QDate::currentDate().month() - 1)].left;
  // The year and the 回収率 against its target, for whoever asks.
  QString tip;
  if (standing.year.stake)
    tip = QStringLiteral("今年の投資 %1").arg(fromCore(formatYen(*standing.year.stake)));
  if (standing.year.limit)
    tip += QStringLiteral(" / 上限 %1").arg(fromCore(formatYen(*standing.year.limit)));
  if (standing.rate)
    tip += QStringLiteral("\n回収率 %1").arg(fromCore(formatPercent(*standing.rate)));
  if (standing.rateTarget) tip += QStringLiteral("（目標 %1%）").arg(*standing.rateTarget);
  setToolTip(tip);
  // Without a month limit there is nothing to show.
  setVisible(left.has_value());
  if (!left) return;
  if (*left >= 0) {
    setText(QStringLiteral("今月の予算 残り %1").arg(fromCore(formatYen(*left))));
    setStyleSheet(QString());
  } else {
    // -*left cannot overflow: a limit is never negative, so left > INT32_MIN.
    setText(QStringLiteral("今月の予算 %1 超過").arg(fromCore(formatYen(-*left))));
    setStyleSheet(QStringLiteral("color: red;"));
  }
}

}  // namespace tamrel
