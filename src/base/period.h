#pragma once
// A span of the year from one month and day to another, both inclusive, by
// which the trend, cross and report figures limit the days and tickets they
// count. The default is the whole year.

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
  // A period that ends before it starts holds no day.
  bool ordered() const { return key(fromMonth, fromDay) <= key(toMonth, toDay); }
  bool wholeYear() const { return fromMonth == 1 && fromDay == 1 && toMonth == 12 && toDay == 31; }

 private:
  // Day slots run 1..31 in every month, so month * 32 + day orders them.
  static constexpr int key(int month, int day) { return month * 32 + day; }
};

}  // namespace tamrel
