#pragma once
// How the trend window speaks of days and figures: dates as "3月5日", the
// weekday when the year has that date, and the hover text of a racing day,
// shared by the calendar and the curve.

#include <QColor>
#include <QString>
#include <cstdint>
#include <optional>

#include "analysis/trend.h"

namespace tamrel {

// Profit blue, loss red: the same two colours in the calendar and the curve.
inline const QColor kTrendProfitColour(0x1f, 0x5f, 0xbf);
inline const QColor kTrendLossColour(0xc6, 0x28, 0x28);

// "3月5日".
QString dateText(TrendDate date);
// "3月5日(日)"; without the weekday when `year` has no such date (2月30日).
QString dateWithWeekday(TrendDate date, int year);
// An amount with grouping and 円; empty when it could not be computed.
QString yenText(std::optional<std::int32_t> value);
// "3月5日(日) 投資 4,500円 払戻 4,200円 利益 -300円 回収率 93.33%".
QString dayTipText(const TrendDay& day, int year);

}  // namespace tamrel
