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
  const std::optional<std::int32_t> left = monthBudgetLeft(session_, QDate::currentDate().month());
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
