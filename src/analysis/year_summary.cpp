#include "analysis/year_summary.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "analysis/cross_totals.h"
#include "analysis/trend.h"
#include "base/amount.h"
#include "detail/detail_file.h"

namespace tamrel {

namespace fs = std::filesystem;

namespace {

// Whether an entry may be at `path`: only a plain "no such entry" says not.
// An entry in a folder the user may not search cannot be looked at, but the
// folder is the user's year all the same, and reading it says why it fails.
bool present(const fs::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

std::optional<std::int32_t> addChecked(std::optional<std::int32_t> a,
                                       std::optional<std::int32_t> b) {
  if (!a || !b) return std::nullopt;
  return checkedAdd(*a, *b);
}

YearFigures yearFigures(const TrendTotals& trend, const TicketCounts& all) {
  YearFigures figures;
  figures.racingDays = trend.racingDays();
  figures.stake = trend.stake();
  figures.payout = trend.payout();
  if (figures.stake && figures.payout) {
    figures.profit = profit(*figures.stake, *figures.payout);
    figures.rate = recoveryRate(*figures.stake, *figures.payout);
  }
  figures.tickets = all.count;
  figures.hits = all.hits;
  if (const auto drawdown = trend.maxDrawdown()) figures.maxDrawdown = drawdown->amount;
  figures.runningHigh = trend.highest();
  figures.runningLow = trend.lowest();
  return figures;
}

}  // namespace

YearFigures summariseYear(const YearLedger& ledger, const TicketStore& tickets) {
  return yearFigures(trendTotals(ledger), countTickets(tickets));
}

YearSummary summariseFolder(const fs::path& folder) {
  YearSummary year;
  year.folder = folder;
  year.name = folder.filename().string();
  YearDaySums days;
  LoadReport ledger = readLedgerDays(folder / kLedgerFileName, days);
  TicketCounts counts;
  LoadReport tickets = tallyTicketFile(folder / kTicketFileName, counts);
  // Moved, not copied: each report holds its file's path.
  for (LoadReport* report : {&ledger, &tickets}) {
    if (!report->ok()) year.refused.push_back(std::move(*report));
  }
  if (year.refused.empty()) year.figures = yearFigures(trendTotals(days), counts);
  return year;
}

namespace {

// The direct subfolders of `parent`, in name order; none when it cannot be
// listed to the end (a part of a listing would pass for all of it).
std::vector<fs::path> subfolders(const fs::path& parent, std::error_code& error) {
  std::vector<fs::path> folders;
  error.clear();
  for (fs::directory_iterator it(parent, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) folders.push_back(it->path());
  }
  if (error) return {};
  std::sort(folders.begin(), folders.end());
  return folders;
}

// Whether a folder that was read holds both entries: a file that loaded, or
// was refused for anything but being missing, is there; only a missing one
// needs a look (a link to nothing is an entry all the same).
bool holdsBoth(const YearSummary& year) {
  return std::none_of(year.refused.begin(), year.refused.end(), [](const LoadReport& report) {
    return report.fault == LoadFault::Missing && !present(report.path);
  });
}

}  // namespace

std::vector<fs::path> yearFolders(const fs::path& parent, std::error_code& error) {
  std::vector<fs::path> folders = subfolders(parent, error);
  std::erase_if(folders, [](const fs::path& folder) {
    return !present(folder / kLedgerFileName) || !present(folder / kTicketFileName);
  });
  return folders;
}

bool sameFolder(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  const bool same = fs::equivalent(a, b, ec);
  return !ec && same;
}

std::string listingFaultText(const std::error_code& error) {
  if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
    return "フォルダがありません";
  }
  if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
    return "読み取れません（権限がありません）";
  }
  return "読み取れません（" + error.message() + "）";
}

std::vector<YearSummary> summariseYears(const fs::path& parent, std::error_code& error) {
  std::vector<YearSummary> years;
  // Each subfolder is read as it stands, and those that turn out not to hold
  // both files are dropped: the same folders as yearFolders lists, without a
  // look at each file before it is read.
  for (const fs::path& folder : subfolders(parent, error)) {
    YearSummary year = summariseFolder(folder);
    if (holdsBoth(year)) years.push_back(std::move(year));
  }
  return years;
}

namespace {

// The running profit carried over from year to year: each year starts where
// the one before it ended, and a fall may begin at a high of an earlier year.
class CarriedFall {
 public:
  void add(const YearFigures& f) {
    if (!known_) return;
    const auto high = checkedAdd(carried_, f.runningHigh);
    const auto low = checkedAdd(carried_, f.runningLow);
    const auto fromEarlier = low ? checkedSub(peak_, *low) : std::nullopt;
    const auto next = f.profit ? checkedAdd(carried_, *f.profit) : std::nullopt;
    if (!f.maxDrawdown || !high || !fromEarlier || !next) {
      known_ = false;
      return;
    }
    deepest_ = std::max({deepest_, *f.maxDrawdown, *fromEarlier});
    peak_ = std::max(peak_, *high);
    carried_ = *next;
  }
  std::optional<std::int32_t> deepest() const {
    return known_ ? std::optional<std::int32_t>(deepest_) : std::nullopt;
  }

 private:
  bool known_ = true;
  std::int32_t carried_ = 0;  // the running profit at the end of the years so far
  std::int32_t peak_ = 0;     // its highest so far, the start's 0 included
  std::int32_t deepest_ = 0;
};

}  // namespace

std::optional<YearFigures> yearTotals(const std::vector<YearSummary>& years) {
  std::optional<YearFigures> total;
  CarriedFall fall;
  for (const YearSummary& year : years) {
    if (!year.figures) continue;
    const YearFigures& f = *year.figures;
    if (!total) {
      total = YearFigures{};
      total->stake = total->payout = 0;
    }
    total->racingDays += f.racingDays;
    total->stake = addChecked(total->stake, f.stake);
    total->payout = addChecked(total->payout, f.payout);
    total->tickets += f.tickets;
    total->hits += f.hits;
    fall.add(f);
  }
  if (total) {
    total->maxDrawdown = fall.deepest();
    total->profit.reset();
    total->rate.reset();
    if (total->stake && total->payout) {
      total->profit = checkedSub(*total->payout, *total->stake);
      total->rate = recoveryRate(*total->stake, *total->payout);
    }
  }
  return total;
}

std::string refusalText(const YearSummary& year) {
  std::string text;
  for (const LoadReport& report : year.refused) {
    if (!text.empty()) text += '\n';
    text += report.path.filename().string() + ": " + loadFaultText(report);
  }
  return text;
}

}  // namespace tamrel
