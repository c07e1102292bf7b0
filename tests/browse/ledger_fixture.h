#pragma once
// Ledger records as the browse tests need them: amounts put straight into a
// record, and stored texts no posting would write (out of range, totals
// that disagree with the bet types), as a damaged or edited file leaves
// them.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>

#include <QtGlobal>

#include "ledger/ledger_init.h"
#include "ledger/ledger_records.h"

namespace tamrel::fixture {

inline std::unique_ptr<YearLedger> emptyLedger() {
  auto ledger = std::make_unique<YearLedger>();
  resetLedger(*ledger);
  return ledger;
}

// Puts `text` (ten characters) into file field k as it stands.
inline void putFieldText(LedgerRecord& r, int k, std::string_view text) {
  const auto at = static_cast<std::size_t>(r.fieldText(k).data() - r.text.data());
  std::copy(text.begin(), text.end(), r.text.begin() + static_cast<std::ptrdiff_t>(at));
}

inline void putBet(LedgerRecord& r, BetType t, std::int32_t stake, std::int32_t payout) {
  if (!setAmount(r, Quantity::Stake, t, stake) || !setAmount(r, Quantity::Payout, t, payout)) {
    qFatal("amount cannot be stored");
  }
}

// The stored stake and payout totals of a month or day record.
inline void putTotals(LedgerRecord& r, std::int32_t stake, std::int32_t payout) {
  if (!r.setField(LedgerRecord::kStakeTotalField, stake) ||
      !r.setField(LedgerRecord::kPayoutTotalField, payout)) {
    qFatal("total cannot be stored");
  }
}

// A number no 32-bit amount can hold.
inline constexpr std::string_view kTooLarge = "9999999999";

}  // namespace tamrel::fixture
