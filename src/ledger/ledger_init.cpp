#include "ledger/ledger_init.h"

#include <algorithm>
#include <string>

namespace tamrel {

namespace {

// Identifier, then every separator "," and every amount zero.
void resetRecord(LedgerRecord& record, char kind, int number) {
  std::string line;
  line.reserve(LedgerRecord::kWidth);
  line.push_back(kind);
  line.push_back(static_cast<char>('0' + number / 10));
  line.push_back(static_cast<char>('0' + number % 10));
  for (int k = 1; k <= LedgerRecord::kFieldCount; ++k) line.append(",0000000000");
  std::copy(line.begin(), line.end(), record.text.begin());
}

}  // namespace

void resetLedger(YearLedger& ledger) {
  resetRecord(ledger.year, 'S', 0);
  for (int m = 1; m <= 12; ++m) resetRecord(ledger.month(m), 'M', m);
  for (int i = 1; i <= kSlotsPerHalf; ++i) {
    const int day = (i - 1) % kSlotsPerMonth + 1;
    const auto slot = static_cast<std::size_t>(i - 1);
    resetRecord(ledger.firstHalf[slot], 'D', day);
    resetRecord(ledger.secondHalf[slot], 'D', day);
  }
}

}  // namespace tamrel
