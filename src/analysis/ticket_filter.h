#pragma once
// The year's tickets as one list that can be narrowed by anything a user
// sees of a ticket: the period, any values of the ten dimensions of the
// cross figures, hit or miss, ranges of stake and payout, and words matched
// against the captions the list shows. And the figures of what is left,
// counted as the cross figures count, so that a list narrowed to one pair
// shows that cell's figures.
//
// The rows are made once per change of the tickets, and laid out once more
// as compact keys (TicketIndex); filtering them again on every keystroke
// reads no record text and compares no caption per ticket: the free-text
// words are matched once against the few captions a dimension has.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/cross_totals.h"
#include "base/period.h"
#include "detail/ticket_records.h"

namespace tamrel {

// One live ticket with what filtering reads of it.
struct TicketRow {
  TicketRecord ticket;
  int month = 0;  // 0 when the record's month or day is not a date
  int day = 0;
  // The ticket's category in each dimension (crossCategories order); -1
  // when its code is none of the dimension's.
  std::array<std::int8_t, kCrossDimensionCount> category{};
  std::optional<std::int32_t> stake;  // nullopt: out of the 32-bit range
  std::optional<std::int32_t> payout;

  bool hit() const { return payout && *payout > 0; }
};

// Every live ticket of the store in date and race order (ticketBefore).
std::vector<TicketRow> ticketRows(const TicketStore& store);
// The row of one ticket.
TicketRow ticketRow(const TicketRecord& ticket);
// The captions a user reads of a ticket, in searchForm, each ended by a line
// break so that no word matches across two of them: a word of the free text
// keeps the ticket when it is part of this text.
std::string ticketCaptions(const TicketRecord& ticket);

// Text as the free-text filter compares it: full-width letters, digits and
// signs as ASCII, ASCII letters in lower case, half-width katakana as
// full-width (voiced marks joined), the ideographic space as a space. So
// "ダート" finds "ﾀﾞｰﾄ" and "1r" finds "１Ｒ".
std::string searchForm(std::string_view utf8);

// The date as the list shows it: "03/05(土)", the weekday only for the
// weekday codes of Saturday and Sunday.
std::string ticketDateText(const TicketRecord& ticket);

enum class HitChoice { Any, HitsOnly, MissesOnly };

// Both ends included; an end left empty is open. An amount out of range is
// in no closed range.
struct AmountRange {
  std::optional<std::int32_t> from;
  std::optional<std::int32_t> to;

  bool open() const { return !from && !to; }
  bool contains(std::optional<std::int32_t> amount) const;
  friend bool operator==(const AmountRange&, const AmountRange&) = default;
};

struct TicketFilter {
  Period period;
  // Per dimension the categories kept (crossCategories indices); none kept
  // is every ticket, those without a category of the dimension too.
  std::array<std::vector<int>, kCrossDimensionCount> categories;
  HitChoice hits = HitChoice::Any;
  AmountRange stake;
  AmountRange payout;
  // Words separated by spaces (either width); a ticket is kept when every
  // word is part of one of its captions.
  std::string text;

  std::vector<int>& of(CrossDimension d) { return categories[static_cast<std::size_t>(d)]; }
  const std::vector<int>& of(CrossDimension d) const {
    return categories[static_cast<std::size_t>(d)];
  }
  // Keeps every ticket.
  bool empty() const;
  friend bool operator==(const TicketFilter&, const TicketFilter&) = default;
};

// The words of a free text in searchForm; blanks of either width part them.
std::vector<std::string> filterWords(std::string_view text);

// The indices into `rows` of the rows the filter keeps, in order.
std::vector<int> filterRows(std::span<const TicketRow> rows, const TicketFilter& filter);
// Blanks every live ticket of the store the filter does not keep, so that
// any pass over the store sees only the kept ones.
void keepOnlyFiltered(TicketStore& store, const TicketFilter& filter);

// The figures of a set of tickets: as the cross engine counts them, and the
// largest payout (nullopt when no ticket paid out, or a payout is out of
// range and so unknown).
struct TicketListFigures {
  CrossFigures figures;
  std::optional<std::int32_t> largestPayout;
};
// Counted ticket by ticket, the plain rule that TicketIndex::select's
// figures are held against.
TicketListFigures ticketListFigures(std::span<const TicketRow> rows, std::span<const int> shown);

// What the filters read of a year's rows, made once per change of the
// tickets so that a filter's pass over them costs nanoseconds a ticket:
// per ticket the code of each dimension, its date among the year's few
// distinct dates, and its amounts.
class TicketIndex {
 public:
  TicketIndex() = default;
  explicit TicketIndex(std::span<const TicketRow> rows);

  int size() const { return static_cast<int>(keys_.size()); }

  struct Selection {
    std::vector<int> kept;  // indices into the rows
    TicketListFigures figures;
  };
  // The rows the filter keeps, taken in `order` (indices into the rows, the
  // rows' own order when empty), and their figures counted in the same pass.
  Selection select(const TicketFilter& filter, std::span<const int> order = {}) const;

 private:
  struct Key {
    std::array<std::uint8_t, kCrossDimensionCount> code{};
    std::uint16_t date = 0;  // into dates_
    bool stakeKnown = false;
    bool payoutKnown = false;
    std::int32_t stake = 0;
    std::int32_t payout = 0;
  };
  struct Date {
    int month = 0;  // 0 when the record's month or day is not a date
    int day = 0;
    std::string caption;  // as in ticketCaptions, its line break included
  };
  // Per dimension the codes the rows hold, and their categories (-1: none).
  struct Code {
    std::uint8_t code = 0;
    std::int8_t category = -1;
  };

  std::vector<Key> keys_;
  std::vector<Date> dates_;
  std::string datesText_;  // every date's caption, one after the other
  std::array<std::vector<Code>, kCrossDimensionCount> codes_;
};

// The category of a dimension a value names: its caption as the analysis
// window or the ticket grid shows it (compared in searchForm), or its code
// in the file. nullopt for any other text.
std::optional<int> categoryOfValue(CrossDimension d, std::string_view value);
// What categoryOfValue takes for a dimension, for a message: "code caption"
// per category.
std::vector<std::string> knownValues(CrossDimension d);

}  // namespace tamrel
