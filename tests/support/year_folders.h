#pragma once
// Year folders for the year comparison tests: a year built by postings and
// tickets, saved into a folder, and a snapshot of a folder tree to show that
// nothing was written.

#include <QtTest>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "analysis/analysis_tickets.h"
#include "detail/detail_file.h"
#include "ledger/ledger_file.h"
#include "ledger/ledger_init.h"
#include "support/odd_files.h"

namespace testsupport {

using namespace tamrel;

// A year of 馬連 days and tickets.
struct Year {
  std::unique_ptr<YearLedger> ledger = std::make_unique<YearLedger>();
  std::unique_ptr<TicketStore> tickets = std::make_unique<TicketStore>();
  Year() {
    resetLedger(*ledger);
    clearTickets(*tickets);
  }
  void day(int month, int day, std::int32_t stake, std::int32_t payout) {
    BetAmounts baseline;
    BetAmounts values;
    values.stake[index(BetType::Uma)] = stake;
    values.payout[index(BetType::Uma)] = payout;
    QVERIFY(postDay(*ledger, baseline, month, day, values) == PostResult::Ok);
  }
  void ticket(int month, int day, std::int32_t purchase, std::int32_t payout) {
    analysisdata::append(*tickets, month,
                         analysisdata::ticket(month, day, "5111111411", purchase, payout));
  }
  bool save(const std::filesystem::path& dir) const {
    std::filesystem::create_directories(dir);
    return saveLedger(*ledger, dir / "tosidata.dat") == SaveResult::Ok &&
           saveTickets(*tickets, dir / "info.dat") == SaveResult::Ok;
  }
};

// Every entry under `dir` with its bytes and modification time.
inline std::map<std::string, std::string> everything(const std::filesystem::path& dir) {
  std::map<std::string, std::string> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    std::string what = e.is_directory() ? "/" : "(special)";
    if (e.is_regular_file()) {
      what = testsupport::readBytes(e.path()) + "@" +
             std::to_string(e.last_write_time().time_since_epoch().count());
    }
    out[e.path().string()] = what;
  }
  return out;
}

}  // namespace testsupport
