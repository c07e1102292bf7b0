#pragma once
// A ledger of the largest size the program produces: every day slot of the
// year posted, with amounts that differ from slot to slot.

#include <cstdlib>

#include "ledger/ledger_init.h"
#include "ledger/ledger_records.h"

namespace tamrel::bench {

inline BetAmounts amountsFor(int month, int day) {
  BetAmounts a;
  for (int t = 0; t < kBetTypeCount; ++t) {
    const auto i = static_cast<std::size_t>(t);
    a.stake[i] = 100 * (month * 37 + day * 11 + t);
    a.payout[i] = 90 * (month * 41 + day * 7 + t * 3);
  }
  return a;
}

inline void fillLedger(YearLedger& ledger) {
  resetLedger(ledger);
  for (int m = 1; m <= 12; ++m) {
    for (int d = 1; d <= kSlotsPerMonth; ++d) {
      BetAmounts baseline;
      if (postDay(ledger, baseline, m, d, amountsFor(m, d)) != PostResult::Ok) std::abort();
    }
  }
}

inline YearLedger fullLedger() {
  YearLedger ledger;
  fillLedger(ledger);
  return ledger;
}

}  // namespace tamrel::bench
