#include "analysis/benchmark.h"

#include <algorithm>
#include <charconv>
#include <chrono>

#include "analysis/trend.h"

namespace tamrel {

namespace {

// A ticket's month or day; `fallback` when the field is no number (only an
// edited file has such a ticket, and it still belongs to the year).
int dateField(const TicketRecord& ticket, TicketField field, int fallback) {
  const std::string_view text = ticket.field(field);
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc{} && end == text.data() + text.size() ? value : fallback;
}

}  // namespace

std::optional<RateInterval> bootstrapInterval(std::span<const BenchmarkTicket> tickets,
                                              int resamples, std::uint32_t seed) {
  if (tickets.empty() || resamples < 1) return std::nullopt;
  BootstrapGenerator generator(seed);
  const auto n = static_cast<std::uint32_t>(tickets.size());
  std::vector<double> rates(static_cast<std::size_t>(resamples));
  for (double& rate : rates) {
    // At most 12 x 499 amounts below 2^31 each: 64 bits hold any sum.
    std::int64_t stake = 0;
    std::int64_t payout = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
      const BenchmarkTicket& t = tickets[uniformIndex(generator, n)];
      stake += t.stake;
      payout += t.payout;
    }
    rate = stake == 0 ? 0.0 : static_cast<double>(payout) / static_cast<double>(stake);
  }
  std::sort(rates.begin(), rates.end());
  // As many draws below the interval as above it: 2.5 % on each side.
  const auto outside = static_cast<std::size_t>(resamples / 40);
  return RateInterval{rates[outside], rates[rates.size() - 1 - outside]};
}

std::string_view verdictText(Verdict v) {
  switch (v) {
    case Verdict::Above:
      return "控除率より上";
    case Verdict::Below:
      return "控除率より下";
    case Verdict::Indistinct:
      return "区別できない";
    case Verdict::TooFew:
      break;
  }
  return "件数不足";
}

Verdict verdictOf(int tickets, const std::optional<RateInterval>& interval, double poolRate) {
  if (tickets < kBenchmarkMinTickets || !interval) return Verdict::TooFew;
  if (interval->low > poolRate) return Verdict::Above;
  if (interval->high < poolRate) return Verdict::Below;
  return Verdict::Indistinct;
}

BenchmarkGroup benchmarkGroup(std::span<const BenchmarkTicket> tickets) {
  BenchmarkGroup group;
  group.tickets = static_cast<int>(tickets.size());
  std::int64_t weighted = 0;  // stake x rate in tenths of a percent: below 2^54
  for (const BenchmarkTicket& t : tickets) {
    group.stake += t.stake;
    group.payout += t.payout;
    weighted += std::int64_t{t.stake} * t.poolRate;
  }
  if (group.stake != 0) {
    group.rate = static_cast<double>(group.payout) / static_cast<double>(group.stake);
    group.poolRate = static_cast<double>(weighted) / static_cast<double>(group.stake) / 1000.0;
  }
  group.interval = bootstrapInterval(tickets);
  group.verdict =
      group.poolRate ? verdictOf(group.tickets, group.interval, *group.poolRate) : Verdict::TooFew;
  return group;
}

BenchmarkTable computeBenchmark(const TicketStore& store, CrossDimension dimension, int year,
                                const Period& period) {
  BenchmarkTable table;
  table.dimension = dimension;
  const std::span<const Category> captions = crossCategories(dimension);
  std::vector<std::vector<BenchmarkTicket>> groups(captions.size());
  std::vector<BenchmarkTicket> all;
  // Only tickets with a bet type have a pool rate to be measured against.
  for (const TicketRecord& ticket :
       cellTickets(store, dimension, kAnyCategory, CrossDimension::BetType, kAnyCategory, period)) {
    const auto category = categoryOfTicket(dimension, ticket);
    const auto type = betTypeOfCode(ticket.field(TicketField::BetType)[0]);
    const auto stake = amountField(ticket, TicketField::Purchase);
    const auto payout = amountField(ticket, TicketField::Payout);
    if (!category || !type) continue;
    if (!stake || !payout || *stake < 0 || *payout < 0) {
      ++table.unreadable;
      continue;
    }
    const int month = dateField(ticket, TicketField::Month, 12);
    const int day = dateField(ticket, TicketField::Day, 31);
    const BenchmarkTicket t{*stake, *payout, poolRate(*type, year, month, day)};
    groups[static_cast<std::size_t>(*category)].push_back(t);
    all.push_back(t);
  }
  for (std::size_t i = 0; i < groups.size(); ++i) {
    BenchmarkGroup group = benchmarkGroup(groups[i]);
    group.caption = captions[i].caption;
    table.groups.push_back(group);
  }
  table.total = benchmarkGroup(all);
  table.total.caption = "合計";
  return table;
}

int benchmarkYear(const YearLedger& ledger) {
  using namespace std::chrono;
  const year_month_day today{floor<days>(system_clock::now())};
  return guessYear(ledger, static_cast<int>(today.year()));
}

}  // namespace tamrel
