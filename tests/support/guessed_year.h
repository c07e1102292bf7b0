#pragma once
// A ledger whose year the program guesses as 2024: racing days that fall on
// Saturdays and Sundays in 2024 and in no other recent year as often.

#include <utility>

#include "ledger/ledger_records.h"
#include "store/app_state.h"

namespace tamrel::testdata {

inline void post2024Weekends(AppState& stored) {
  for (const auto& [month, day] :
       {std::pair{1, 6}, {1, 7}, {1, 13}, {1, 14}, {3, 2}, {3, 3}, {3, 9}, {3, 10}}) {
    BetAmounts baseline;
    BetAmounts amounts;
    amounts.stake[0] = 100;
    (void)postDay(stored.ledger, baseline, month, day, amounts);
  }
}

}  // namespace tamrel::testdata
