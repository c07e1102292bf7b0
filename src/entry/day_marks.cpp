#include "entry/day_marks.h"

#include <QDate>
#include <algorithm>
#include <string_view>

#include "analysis/trend.h"
#include "base/amount.h"
#include "detail/ticket_records.h"
#include "ledger/ledger_records.h"
#include "widgets/core_text.h"

namespace tamrel {

namespace {

// The n-th Monday (1-based) of `month`.
int nthMonday(int year, int month, int n) {
  const int first = QDate(year, month, 1).dayOfWeek();  // 1 = Monday
  return 1 + (8 - first) % 7 + 7 * (n - 1);
}

// The equinox days as the almanac gives them for 1980-2099.
int springEquinox(int year) {
  const int y = year - 1980;
  return static_cast<int>(20.8431 + 0.242194 * y) - y / 4;
}
int autumnEquinox(int year) {
  const int y = year - 1980;
  return static_cast<int>(23.2488 + 0.242194 * y) - y / 4;
}

// The holidays the law names for a date, without the substitute and the
// in-between days.
bool namedHoliday(int year, int month, int day) {
  switch (month) {
    case 1:
      return day == 1 || day == nthMonday(year, 1, 2);
    case 2:
      return day == 11 || (year >= 2020 && day == 23);
    case 3:
      return day == springEquinox(year);
    case 4:
      return day == 29 || (year == 2019 && day == 30);
    case 5:
      return (day >= 3 && day <= 5 && (year >= 2007 || day != 4)) ||
             (year == 2019 && (day == 1 || day == 2));
    case 7:
      if (year == 2020) return day == 23 || day == 24;
      if (year == 2021) return day == 22 || day == 23;
      return day == (year >= 2003 ? nthMonday(year, 7, 3) : 20);
    case 8:
      if (year == 2020) return day == 10;
      if (year == 2021) return day == 8;
      return year >= 2016 && day == 11;
    case 9:
      return day == (year >= 2003 ? nthMonday(year, 9, 3) : 15) || day == autumnEquinox(year);
    case 10:
      if (year == 2019 && day == 22) return true;
      if (year == 2020 || year == 2021) return false;
      return day == nthMonday(year, 10, 2);
    case 11:
      return day == 3 || day == 23;
    case 12:
      return year <= 2018 && day == 23;
    default:
      return false;
  }
}

bool isSunday(const QDate& date) { return date.dayOfWeek() == 7; }

// A holiday on a Sunday moves to the next day that is no holiday (before
// 2007 only to the Monday).
bool substituteHoliday(const QDate& date) {
  if (isSunday(date)) return false;
  QDate before = date.addDays(-1);
  if (date.year() < 2007) {
    return date.dayOfWeek() == 1 && namedHoliday(before.year(), before.month(), before.day());
  }
  while (namedHoliday(before.year(), before.month(), before.day())) {
    if (isSunday(before)) return true;
    before = before.addDays(-1);
  }
  return false;
}

// A weekday between two holidays is one too.
bool betweenHolidays(const QDate& date) {
  if (isSunday(date)) return false;
  const QDate before = date.addDays(-1);
  const QDate after = date.addDays(1);
  return namedHoliday(before.year(), before.month(), before.day()) &&
         namedHoliday(after.year(), after.month(), after.day());
}

const std::array<QString, 7> kWeekdays{
    QStringLiteral("月"), QStringLiteral("火"), QStringLiteral("水"), QStringLiteral("木"),
    QStringLiteral("金"), QStringLiteral("土"), QStringLiteral("日")};

}  // namespace

int ledgerYear(const YearLedger& ledger) { return guessYear(ledger, QDate::currentDate().year()); }

bool isNationalHoliday(int year, int month, int day) {
  const QDate date(year, month, day);
  if (!date.isValid()) return false;
  return namedHoliday(year, month, day) || substituteHoliday(date) || betweenHolidays(date);
}

std::array<bool, 32> daysHoldingData(const YearLedger& ledger, const TicketStore& tickets,
                                     int month) {
  std::array<bool, 32> held{};
  if (month < 1 || month > 12) return held;
  for (int d = 1; d <= 31; ++d)
    held[static_cast<std::size_t>(d)] = daySums(daySlot(ledger, month, d)).racing;
  const MonthTickets& m = tickets.month(month);
  const int live = std::clamp<int>(m.count, 0, kMaxMonthTickets);
  for (int i = 0; i < live; ++i) {
    const TicketRecord& r = m.slot(i);
    if (r.isBlank()) continue;
    const std::string_view dd = r.field(TicketField::Day);
    const int day = (dd.size() == 2 && dd[0] >= '0' && dd[0] <= '9' && dd[1] >= '0' && dd[1] <= '9')
                        ? (dd[0] - '0') * 10 + (dd[1] - '0')
                        : 0;
    if (day >= 1 && day <= 31) held[static_cast<std::size_t>(day)] = true;
  }
  return held;
}

std::optional<DaySlot> latestDayHoldingData(const YearLedger& ledger, const TicketStore& tickets) {
  for (int month = 12; month >= 1; --month) {
    const std::array<bool, 32> held = daysHoldingData(ledger, tickets, month);
    for (int day = 31; day >= 1; --day) {
      if (held[static_cast<std::size_t>(day)]) return DaySlot{month, day};
    }
  }
  return std::nullopt;
}

QString dayListText(int year, int month, int day, bool holdsData) {
  QString text = fromCore(fullWidthNumber(day)) + QStringLiteral("日");
  const QDate date(year, month, day);
  if (!date.isValid()) {
    text += QStringLiteral("（暦なし）");
  } else {
    text += u'（' + kWeekdays[static_cast<std::size_t>(date.dayOfWeek() - 1)];
    if (isNationalHoliday(year, month, day)) text += QStringLiteral("・祝");
    text += u'）';
  }
  if (holdsData) text += u'●';
  return text;
}

QString weekdayCaption(int year, int month, int day) {
  const QDate date(year, month, day);
  if (!date.isValid()) return {};
  if (date.dayOfWeek() == 6) return QStringLiteral("土曜日");
  if (date.dayOfWeek() == 7) return QStringLiteral("日曜日");
  return QStringLiteral("その他");
}

}  // namespace tamrel
