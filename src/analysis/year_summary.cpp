#include "analysis/year_summary.h"

#include <sys/stat.h>

#include <algorithm>

#include "analysis/cross_totals.h"
#include "analysis/trend.h"
#include "base/amount.h"
#include "detail/detail_file.h"

namespace tamrel {

namespace fs = std::filesystem;

namespace {

bool present(const fs::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::optional<std::int32_t> addChecked(std::optional<std::int32_t> a,
                                       std::optional<std::int32_t> b) {
  if (!a || !b) return std::nullopt;
  return checkedAdd(*a, *b);
}

}  // namespace

namespace {

YearFigures yearFigures(const YearLedger& ledger, const TicketCounts& all) {
  const TrendFigures trend = computeTrend(ledger);
  YearFigures figures;
  figures.racingDays = trend.racingDays;
  figures.stake = trend.stake;
  figures.payout = trend.payout;
  figures.profit = trend.profit;
  figures.rate = trend.rate;
  figures.tickets = all.count;
  figures.hits = all.hits;
  if (trend.maxDrawdown) figures.maxDrawdown = trend.maxDrawdown->amount;
  return figures;
}

}  // namespace

YearFigures summariseYear(const YearLedger& ledger, const TicketStore& tickets) {
  return yearFigures(ledger, countTickets(tickets));
}

YearSummary summariseFolder(const fs::path& folder, YearData& scratch) {
  YearSummary year;
  year.folder = folder;
  year.name = folder.filename().string();
  const LoadReport ledger = loadLedgerFile(scratch.ledger, folder / kLedgerFileName);
  TicketCounts counts;
  const LoadReport tickets = tallyTicketFile(folder / kTicketFileName, counts);
  for (const LoadReport& report : {ledger, tickets}) {
    if (!report.ok()) year.refused.push_back(report);
  }
  if (year.refused.empty()) year.figures = yearFigures(scratch.ledger, counts);
  return year;
}

std::vector<fs::path> yearFolders(const fs::path& parent) {
  std::vector<fs::path> folders;
  std::error_code ec;
  for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_directory(typeError)) continue;
    const fs::path& folder = it->path();
    if (present(folder / kLedgerFileName) && present(folder / kTicketFileName)) {
      folders.push_back(folder);
    }
  }
  std::sort(folders.begin(), folders.end());
  return folders;
}

bool sameFolder(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  const bool same = fs::equivalent(a, b, ec);
  return !ec && same;
}

std::vector<YearSummary> summariseYears(const fs::path& parent) {
  std::vector<YearSummary> years;
  const auto scratch = std::make_unique<YearData>();
  for (const fs::path& folder : yearFolders(parent)) {
    years.push_back(summariseFolder(folder, *scratch));
  }
  return years;
}

std::optional<YearFigures> yearTotals(const std::vector<YearSummary>& years) {
  std::optional<YearFigures> total;
  for (const YearSummary& year : years) {
    if (!year.figures) continue;
    const YearFigures& f = *year.figures;
    if (!total) {
      total = YearFigures{};
      total->stake = total->payout = total->maxDrawdown = 0;
    }
    total->racingDays += f.racingDays;
    total->stake = addChecked(total->stake, f.stake);
    total->payout = addChecked(total->payout, f.payout);
    total->tickets += f.tickets;
    total->hits += f.hits;
    if (!f.maxDrawdown || !total->maxDrawdown) {
      total->maxDrawdown.reset();
    } else {
      total->maxDrawdown = std::max(*total->maxDrawdown, *f.maxDrawdown);
    }
  }
  if (total) {
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
