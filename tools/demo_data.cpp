// tamrel_demo_data [--empty] <dir>: writes a made-up but plausible year of
// betting ("tosidata.dat" and "info.dat") into <dir>, so the program has
// something to show on a first run. The same year comes out every time, on
// every system. With --empty it writes a fresh empty year instead, exactly
// the files that "ﾃﾞｰﾀ初期化" and the save at exit would write: this is how a
// new ledger begins (the installed launcher and scripts/run.sh call it).
// With --year YYYY it writes a different made-up year, on that year's
// weekends, for a folder of several years side by side.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "detail/detail_file.h"
#include "detail/month_transfer.h"
#include "detail/ticket_records.h"
#include "ledger/ledger_file.h"
#include "ledger/ledger_init.h"
#include "ledger/ledger_records.h"
#include "store/app_state.h"
#include "store/data_files.h"

namespace {

using namespace tamrel;

// A 64-bit linear congruential generator: its sequence is fixed by these two
// constants alone, unlike the standard distributions.
class Lcg {
 public:
  explicit Lcg(std::uint64_t seed) : state_(seed) {}
  // A number in [0, n).
  int below(int n) {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((state_ >> 33) % static_cast<std::uint64_t>(n));
  }
  bool chance(int percent) { return below(100) < percent; }
  template <std::size_t N>
  char pick(const char (&codes)[N]) {
    return codes[below(static_cast<int>(N - 1))];  // N - 1: skip the terminator
  }

 private:
  std::uint64_t state_;
};

constexpr int kDemoYear = 2023;

struct BetProfile {
  int hitPercent;
  int minOdds10;  // payout multiple x 10
  int maxOdds10;
};

// Hit rate and odds range of each bet type, in bet type order, chosen so
// that each returns about 80% of its stakes in the long run.
constexpr BetProfile kProfiles[kBetTypeCount] = {
    {20, 15, 65},   // 単勝
    {35, 11, 35},   // 複勝
    {12, 20, 120},  // 枠連
    {7, 30, 200},   // 馬連
    {18, 15, 75},   // ﾜｲﾄﾞ
    {4, 50, 350},   // 馬単
    {3, 80, 450},   // 3連複
};

std::string_view one(const char& c) { return {&c, 1}; }

TicketRecord makeTicket(Lcg& rng, int month, int day, char weekday, char racecourse) {
  TicketRecord t = newTicket(month, day);
  const int race = 1 + rng.below(12);
  const char raceCode = "0123456789ABC"[race];
  t.setField(TicketField::Racecourse, one(racecourse));
  t.setField(TicketField::RaceNo, one(raceCode));
  t.setField(TicketField::Weekday, one(weekday));

  const char surface = rng.chance(4) ? '3' : (rng.chance(50) ? '1' : '2');
  t.setField(TicketField::Surface, one(surface));
  const char distance = surface == '3' ? '4' : rng.pick("11112233334");
  t.setField(TicketField::DistanceBand, one(distance));

  // Early races are for maidens and newcomers, the 11th is the feature race.
  char raceClass;
  if (race <= 3) {
    raceClass = rng.pick("8889");
  } else if (race == 11) {
    raceClass = rng.pick("123444");
  } else {
    raceClass = rng.pick("5667778");
  }
  t.setField(TicketField::RaceClass, one(raceClass));
  const char age = raceClass == '9' ? '1' : rng.pick("12233444");
  t.setField(TicketField::AgeGroup, one(age));
  t.setField(TicketField::Condition, one(rng.pick("0000000012")));
  t.setField(TicketField::RunnersBand, one(rng.pick("1223334444")));

  const int typeIndex = rng.below(kBetTypeCount);
  const BetType type = kBetTypes[static_cast<std::size_t>(typeIndex)].type;
  const char typeCode = codeOfBetType(type);
  t.setField(TicketField::BetType, one(typeCode));

  // 100 to 5000 yen, mostly round sums.
  const int purchase = 100 * (1 + (rng.chance(70) ? rng.below(10) : rng.below(50)));
  const BetProfile& p = kProfiles[typeIndex];
  int payout = 0;
  if (rng.chance(p.hitPercent)) {
    const int odds10 = p.minOdds10 + rng.below(p.maxOdds10 - p.minOdds10 + 1);
    payout = purchase / 100 * odds10 * 10;  // paid per 100 yen, in tens of yen
  }
  setAmountField(t, TicketField::Purchase, purchase);
  setAmountField(t, TicketField::Payout, payout);
  return t;
}

bool fail(const char* what) {
  std::fprintf(stderr, "tamrel_demo_data: %s\n", what);
  return false;
}

bool buildYear(YearLedger& ledger, TicketStore& store, int calendarYear, int& dayCount,
               int& ticketCount) {
  using namespace std::chrono;
  resetYear(ledger, store);
  // The demo year's seed is 20230107; each other year has its own.
  Lcg rng(static_cast<std::uint64_t>(calendarYear) * 10000 + 107);
  // Two racecourses run on most weekends; the pair changes with the season.
  constexpr char kVenuePairs[12][3] = {"5A", "69", "59", "58", "68", "39",
                                       "12", "3A", "45", "68", "68", "59"};
  for (sys_days d = sys_days{year{calendarYear} / January / 1};
       d < sys_days{year{calendarYear + 1} / January / 1}; d += days{1}) {
    const weekday wd{d};
    if (wd != Saturday && wd != Sunday) continue;
    const year_month_day ymd{d};
    // No racing over the new-year holidays.
    if ((ymd.month() == January && ymd.day() < day{5}) ||
        (ymd.month() == December && ymd.day() > day{28}))
      continue;
    if (rng.chance(8)) continue;  // a weekend the punter stayed home
    const int month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    const int day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    const char weekdayCode = wd == Saturday ? '1' : '2';

    DayTicketList list;
    const int count = 1 + rng.below(5);
    for (int i = 0; i < count; ++i) {
      const char* pair = kVenuePairs[month - 1];
      const char racecourse = rng.chance(3) ? 'B' : pair[rng.below(2)];
      list.entries[static_cast<std::size_t>(i)] =
          makeTicket(rng, month, day, weekdayCode, racecourse);
    }
    list.count = static_cast<std::int16_t>(count);

    const auto totals = dayTotals(list);
    if (!totals) return fail("ticket sums overflow");
    BetAmounts baseline;
    if (!showDay(ledger, baseline, month, day)) return fail("unreadable day slot");
    if (postDay(ledger, baseline, month, day, *totals) != PostResult::Ok)
      return fail("posting overflows");
    if (storeDayTickets(store, month, day, list) != TransferResult::Ok)
      return fail("month ticket table full");
    ++dayCount;
    ticketCount += count;
  }
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool empty = argc == 3 && std::string_view(argv[1]) == "--empty";
  const bool chosenYear = argc == 4 && std::string_view(argv[1]) == "--year";
  int calendarYear = kDemoYear;
  if (chosenYear) calendarYear = std::atoi(argv[2]);
  if ((argc != 2 && !empty && !chosenYear) || calendarYear < 2000 || calendarYear > 2100) {
    std::fprintf(stderr, "usage: tamrel_demo_data [--empty | --year YYYY] <dir>\n");
    return 2;
  }
  const char* const dirArg = argv[argc - 1];
  const std::filesystem::path dir = dirArg;
  std::error_code ec;
  // Never overwrite a real ledger, whether with made-up figures or with an
  // empty year.
  if (std::filesystem::exists(dir / std::string(kLedgerFileName), ec) ||
      std::filesystem::exists(dir / std::string(kTicketFileName), ec)) {
    std::fprintf(stderr, "tamrel_demo_data: %s already holds data files\n", dirArg);
    return 1;
  }
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    std::fprintf(stderr, "tamrel_demo_data: cannot create %s\n", dirArg);
    return 1;
  }

  // Both stores are large: keep them off the stack. Saved as the program
  // saves them, into the directory it would have switched to.
  static AppState state;
  state.DataDirSwitched = true;
  state.DataDir = dir.string();
  int days = 0;
  int tickets = 0;
  if (empty) {
    resetYear(state.ledger, state.tickets);
  } else if (!buildYear(state.ledger, state.tickets, calendarYear, days, tickets)) {
    return 1;
  }
  if (!saveData(state).ok()) {
    std::fprintf(stderr, "tamrel_demo_data: cannot write the data files in %s\n", dirArg);
    return 1;
  }
  // Named in full: the launcher passes ".", and this line is all a first
  // start tells of where the new ledger is.
  std::filesystem::path shown = std::filesystem::absolute(dir, ec).lexically_normal();
  if (ec) shown = dir;
  if (!shown.has_filename() && shown.has_relative_path()) shown = shown.parent_path();
  if (empty) {
    std::printf("a fresh empty year written to %s\n", shown.c_str());
  } else {
    std::printf("%d racing days, %d tickets written to %s\n", days, tickets, shown.c_str());
  }
  return 0;
}
