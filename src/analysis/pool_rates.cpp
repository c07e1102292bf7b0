#include "analysis/pool_rates.h"

namespace tamrel {

const PoolRateRow& poolRateRow(int year, int month, int day) {
  const auto key = [](int y, int m, int d) { return (y * 13 + m) * 32 + d; };
  const PoolRateRow* found = &kPoolRates.front();
  for (const PoolRateRow& row : kPoolRates) {
    if (key(row.year, row.month, row.day) <= key(year, month, day)) found = &row;
  }
  return *found;
}

RatePermille poolRate(BetType type, int year, int month, int day) {
  return poolRateRow(year, month, day).rates[static_cast<std::size_t>(index(type))];
}

}  // namespace tamrel
