#pragma once
// 運か実力か: whether a group of tickets returned more than the pools give
// back on average, or whether the difference is within what luck alone
// would give. For each category of one dimension of クロス分析 (券種 by
// default) and for all tickets together: the 回収率, the pool's own return
// rate, their difference and a 95 % interval for the 回収率, and a verdict.
//
// The interval is a percentile bootstrap over the group's tickets: the
// tickets are drawn again with replacement, as many as there are, 2,000
// times, and the 回収率 of each draw (its payouts over its stakes) is taken;
// the interval runs from the 51st to the 1,950th of the 2,000 sorted rates.
// Payouts of betting tickets are far from normal (mostly nothing, now and
// then many times the stake), so an interval from a normal approximation
// would lean where the data does not; the bootstrap takes the shape of the
// tickets themselves, and drawing whole tickets keeps each stake with its
// payout, so the rate stays a ratio of sums as the 回収率 is. The draws come
// from a fixed seed through a generator defined here to the bit: the same
// tickets always give the same interval.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "analysis/cross_totals.h"
#include "analysis/pool_rates.h"
#include "base/period.h"
#include "detail/ticket_records.h"

namespace tamrel {

inline constexpr int kBootstrapResamples = 2000;
inline constexpr std::uint32_t kBootstrapSeed = 20140607u;
// Fewer tickets than this and the interval says too little to judge by.
inline constexpr int kBenchmarkMinTickets = 30;

// The amounts of one ticket as the bootstrap draws them, and the pool rate of
// its bet type on its date.
struct BenchmarkTicket {
  std::int32_t stake = 0;
  std::int32_t payout = 0;
  RatePermille poolRate = 0;
};

struct RateInterval {
  double low = 0;
  double high = 0;
};

// The bootstrap's randomness: xoshiro256** (Blackman and Vigna, "Scrambled
// linear pseudorandom number generators", 2021), its state filled from the
// seed by splitmix64, each 64-bit output handed out as two 32-bit values,
// low half first. A year's bootstrap draws some 24 million indices; this
// gives them at a fraction of mt19937's cost per value, and all 64 output
// bits of the ** scrambler are sound, so both halves may be used.
class BootstrapGenerator {
 public:
  using result_type = std::uint32_t;
  static constexpr result_type min() { return 0; }
  static constexpr result_type max() { return 0xFFFFFFFFu; }

  explicit BootstrapGenerator(std::uint64_t seed) {
    for (std::uint64_t& word : state_) word = splitMix64(seed);
  }
  // The generator from its state as it stands, for checking it against the
  // authors' own outputs.
  static BootstrapGenerator fromState(const std::array<std::uint64_t, 4>& state) {
    BootstrapGenerator g(0);
    g.state_ = state;
    return g;
  }

  // The next output of splitmix64 (Steele, Lea and Flood) from `state`,
  // which it moves on.
  static std::uint64_t splitMix64(std::uint64_t& state) {
    state += 0x9E3779B97F4A7C15u;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }

  result_type operator()() {
    if (spareHalf_) {
      spareHalf_ = false;
      return static_cast<result_type>(word_ >> 32);
    }
    word_ = next64();
    spareHalf_ = true;
    return static_cast<result_type>(word_);
  }

  std::uint64_t next64() {
    const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    return result;
  }

 private:
  static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

  std::array<std::uint64_t, 4> state_{};
  std::uint64_t word_ = 0;
  bool spareHalf_ = false;
};

// A uniform index below `n` (n >= 1) from the generator's 32-bit output x:
// the top 32 bits of x * n, x rejected where the low 32 bits fall below
// 2^32 mod n (which would make some indices likelier). The standard
// library's distributions may differ between implementations, this may
// not; and it needs no division for nearly every draw, which a bootstrap
// makes millions of.
template <typename Generator>
std::uint32_t uniformIndex(Generator& generator, std::uint32_t n) {
  std::uint64_t product = std::uint64_t{static_cast<std::uint32_t>(generator())} * n;
  auto low = static_cast<std::uint32_t>(product);
  if (low < n) {
    const std::uint32_t threshold = (0u - n) % n;  // 2^32 mod n
    while (low < threshold) {
      product = std::uint64_t{static_cast<std::uint32_t>(generator())} * n;
      low = static_cast<std::uint32_t>(product);
    }
  }
  return static_cast<std::uint32_t>(product >> 32);
}

// The percentile bootstrap interval of payouts over stakes (see above);
// nullopt without a ticket. A draw whose stakes add up to 0 has the rate 0,
// as the 回収率 of a zero stake is shown.
std::optional<RateInterval> bootstrapInterval(std::span<const BenchmarkTicket> tickets,
                                              int resamples = kBootstrapResamples,
                                              std::uint32_t seed = kBootstrapSeed);

enum class Verdict {
  Above,       // 控除率より上: the whole interval above the pool's rate
  Below,       // 控除率より下: the whole interval below it
  Indistinct,  // 区別できない: the interval holds the rate
  TooFew,      // 件数不足: fewer than kBenchmarkMinTickets tickets
};
std::string_view verdictText(Verdict v);
Verdict verdictOf(int tickets, const std::optional<RateInterval>& interval, double poolRate);

// One group's figures. Stakes and payouts are 64-bit sums: a year of tickets
// (12 x 499, each up to the 32-bit limit) can pass 2^31 and cannot pass 2^63.
struct BenchmarkGroup {
  std::string_view caption;
  int tickets = 0;
  std::int64_t stake = 0;
  std::int64_t payout = 0;
  std::optional<double> rate;      // 回収率; empty without a stake
  std::optional<double> poolRate;  // stake-weighted; empty without a stake
  std::optional<RateInterval> interval;
  Verdict verdict = Verdict::TooFew;

  std::optional<double> difference() const {
    if (!rate || !poolRate) return std::nullopt;
    return *rate - *poolRate;
  }
};

struct BenchmarkTable {
  CrossDimension dimension = CrossDimension::BetType;
  std::vector<BenchmarkGroup> groups;  // the dimension's categories, in row order
  BenchmarkGroup total;                // every ticket with a category in the dimension
  // Tickets left out because an amount could not be read within the range.
  int unreadable = 0;
};

// The tickets of the period grouped by `dimension`. `year` dates the tickets
// for the pool rate table (the ledger itself holds no year). A ticket counts
// only with a known bet type, as only that has a pool rate.
BenchmarkTable computeBenchmark(const TicketStore& store, CrossDimension dimension, int year,
                                const Period& period = {});

// The year that dates a ledger's tickets: the one whose weekends its racing
// days fit best (guessYear), counted back from today.
int benchmarkYear(const YearLedger& ledger);

// The figures of one group of tickets (the pieces computeBenchmark puts
// together, for the tests and for a group the caller has drawn itself).
BenchmarkGroup benchmarkGroup(std::span<const BenchmarkTicket> tickets);

}  // namespace tamrel
