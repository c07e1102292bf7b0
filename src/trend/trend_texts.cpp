#include "trend/trend_texts.h"

#include <QDate>

#include "widgets/core_text.h"

namespace tamrel {

QString dateText(TrendDate date) {
  return QStringLiteral("%1月%2日").arg(date.month).arg(date.day);
}

QString dateWithWeekday(TrendDate date, int year) {
  const QDate day(year, date.month, date.day);
  if (!day.isValid()) return dateText(date);
  static const QString kWeekdays = QStringLiteral("月火水木金土日");
  return QStringLiteral("%1(%2)").arg(dateText(date), kWeekdays.at(day.dayOfWeek() - 1));
}

QString yenText(std::optional<std::int32_t> value) {
  return value ? fromCore(formatYen(*value)) : QString();
}

QString dayTipText(const TrendDay& day, int year) {
  const QString rate = day.stake && day.payout
                           ? fromCore(formatPercent(recoveryRate(*day.stake, *day.payout)))
                           : QString();
  return QStringLiteral("%1 投資 %2 払戻 %3 利益 %4 回収率 %5")
      .arg(dateWithWeekday(day.date, year), yenText(day.stake), yenText(day.payout),
           yenText(day.profit), rate);
}

}  // namespace tamrel
