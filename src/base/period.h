#pragma once
// A span of the year from one month and day to another, both inclusive, by
// which the trend, cross and report figures limit the days and tickets they
// count. The default is the whole year.

#include <string>
#include <string_view>

namespace tamrel {

struct Period {
  int fromMonth = 1;
  int fromDay = 1;
  int toMonth = 12;
  int toDay = 31;

  bool contains(int month, int day) const {
    const int at = key(month, day);
    return at >= key(fromMonth, fromDay) && at <= key(toMonth, toDay);
  }
  // A period that ends before it starts holds no day; it is refused in the
  // words of reversedPeriodText rather than shown as a period of nothing.
  bool ordered() const { return key(fromMonth, fromDay) <= key(toMonth, toDay); }
  bool wholeYear() const { return fromMonth == 1 && fromDay == 1 && toMonth == 12 && toDay == 31; }

 private:
  // Day slots run 1..31 in every month, so month * 32 + day orders them.
  static constexpr int key(int month, int day) { return month * 32 + day; }
};

// Why a period that is not ordered() is refused, its ends named as the
// user gave them (the report's options, the window's days).
inline std::string reversedPeriodText(std::string_view from, std::string_view to) {
  return std::string(from) + " が " + std::string(to) + " より後です";
}

}  // namespace tamrel
