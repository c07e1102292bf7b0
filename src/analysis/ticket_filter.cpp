#include "analysis/ticket_filter.h"

#include <algorithm>
#include <functional>
#include <unordered_map>

#include "base/amount.h"

namespace tamrel {

namespace {

// The code attribute of each dimension, in the dimensions' order.
constexpr std::array<Attribute, kCrossDimensionCount> kAttributes{
    Attribute::Racecourse,   Attribute::RaceNo,    Attribute::Weekday,  Attribute::Surface,
    Attribute::DistanceBand, Attribute::RaceClass, Attribute::AgeGroup, Attribute::Condition,
    Attribute::RunnersBand,  Attribute::BetType};

Attribute attributeOf(CrossDimension d) { return kAttributes[static_cast<std::size_t>(d)]; }

// Half-width katakana U+FF61..U+FF9F as their full-width forms; the two
// voiced marks stay marks here and are joined to the letter before them.
constexpr std::u32string_view kFullKana =
    U"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホ"
    U"マミムメモヤユヨラリルレロワン゛゜";

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The code points of UTF-8 text; a byte that starts no character is taken
// as itself, so that no text is lost.
std::u32string decodeUtf8(std::string_view text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const int length = b < 0x80         ? 1
                       : (b >> 5) == 6  ? 2
                       : (b >> 4) == 14 ? 3
                       : (b >> 3) == 30 ? 4
                                        : 0;
    if (length <= 1 || i + static_cast<std::size_t>(length) > text.size()) {
      out += static_cast<char32_t>(b);
      ++i;
      continue;
    }
    char32_t c = b & (0x7F >> length);
    for (int k = 1; k < length; ++k)
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    out += c;
    i += static_cast<std::size_t>(length);
  }
  return out;
}

// A full-width letter that a voiced mark turns into the next code point
// (the semi-voiced mark of ハ..ホ into the one after).
bool takesVoicedMark(char32_t c) {
  return std::u32string_view(U"カキクケコサシスセソタチツテトハヒフヘホ").find(c) !=
         std::u32string_view::npos;
}

// A dimension's captions of a ticket whose code is `code`, in searchForm,
// each ended by a line break: the ticket grid's caption and, where it
// differs, the analysis row's.
std::string captionForm(CrossDimension d, char code) {
  TicketRecord probe = newTicket(1, 1);
  probe.setField(fieldOf(attributeOf(d)), std::string_view(&code, 1));
  const std::string_view caption = captionOf(attributeOf(d), probe);
  if (caption.empty()) return {};
  std::string text{caption};
  text += '\n';
  if (const auto category = categoryOfTicket(d, probe)) {
    const std::string_view row = crossCategories(d)[static_cast<std::size_t>(*category)].caption;
    if (row != caption) {
      text += row;
      text += '\n';
    }
  }
  return searchForm(text);
}

// captionForm of every dimension and code character, made once: the rows
// of a full year read them 60,000 times.
using CaptionForms = std::array<std::array<std::string, 256>, kCrossDimensionCount>;
const CaptionForms& captionForms() {
  static const CaptionForms forms = [] {
    CaptionForms made;
    for (const CrossDimensionInfo& info : kCrossDimensions) {
      for (int c = 0; c < 256; ++c) {
        made[static_cast<std::size_t>(info.dimension)][static_cast<std::size_t>(c)] =
            captionForm(info.dimension, static_cast<char>(c));
      }
    }
    return made;
  }();
  return forms;
}

const std::string& captionFormOf(std::size_t dimension, std::uint8_t code) {
  return captionForms()[dimension][code];
}

int twoDigitValue(std::string_view text) {
  if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9') {
    return -1;
  }
  return (text[0] - '0') * 10 + (text[1] - '0');
}

// A month or day field as the date order takes it: blanks skipped, any
// other character that is no digit after every day.
std::uint32_t dayOrder(std::string_view field) {
  std::uint32_t value = 0;
  for (const char c : field) {
    if (c == ' ') continue;
    if (c < '0' || c > '9') return 100;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return value;
}

// Month, day, race number and racecourse as one number, in the order of
// ticketBefore.
std::uint32_t orderKey(const TicketRecord& ticket) {
  using Ranks = std::array<std::array<std::uint8_t, 256>, 2>;
  static const Ranks ranks = [] {
    Ranks made{};
    for (int c = 0; c < 256; ++c) {
      made[0][static_cast<std::size_t>(c)] =
          static_cast<std::uint8_t>(codeRank(Attribute::RaceNo, static_cast<char>(c)));
      made[1][static_cast<std::size_t>(c)] =
          static_cast<std::uint8_t>(codeRank(Attribute::Racecourse, static_cast<char>(c)));
    }
    return made;
  }();
  const auto rank = [&](int table, TicketField f) -> std::uint32_t {
    return ranks[static_cast<std::size_t>(table)][static_cast<unsigned char>(ticket.field(f)[0])];
  };
  return ((dayOrder(ticket.field(TicketField::Month)) * 128 +
           dayOrder(ticket.field(TicketField::Day))) *
              256 +
          rank(0, TicketField::RaceNo)) *
             256 +
         rank(1, TicketField::Racecourse);
}

}  // namespace

std::string searchForm(std::string_view utf8) {
  std::u32string in = decodeUtf8(utf8);
  std::u32string folded;
  folded.reserve(in.size());
  for (char32_t c : in) {
    if (c >= 0xFF01 && c <= 0xFF5E) c = c - 0xFF01 + 0x21;
    if (c == 0x3000) c = U' ';
    if (c >= U'A' && c <= U'Z') c = c - U'A' + U'a';
    if (c >= 0xFF61 && c <= 0xFF9F) {
      c = kFullKana[c - 0xFF61];
      if ((c == U'゛' || c == U'゜') && !folded.empty()) {
        char32_t& before = folded.back();
        if (c == U'゛' && before == U'ウ') {
          before = U'ヴ';
          continue;
        }
        if (takesVoicedMark(before) && (c == U'゛' || (before >= U'ハ' && before <= U'ホ'))) {
          before += c == U'゛' ? 1 : 2;
          continue;
        }
      }
    }
    folded += c;
  }
  std::string out;
  out.reserve(utf8.size());
  for (char32_t c : folded) appendUtf8(out, c);
  return out;
}

std::string ticketDateText(const TicketRecord& ticket) {
  std::string text{ticket.field(TicketField::Month)};
  text += '/';
  text += ticket.field(TicketField::Day);
  const char weekday = ticket.field(TicketField::Weekday)[0];
  if (weekday == '1') text += "(土)";
  if (weekday == '2') text += "(日)";
  return text;
}

TicketRow ticketRow(const TicketRecord& ticket) {
  TicketRow row;
  row.ticket = ticket;
  const int month = twoDigitValue(ticket.field(TicketField::Month));
  const int day = twoDigitValue(ticket.field(TicketField::Day));
  if (month >= 1 && month <= 12 && day >= 1 && day <= 31) {
    row.month = month;
    row.day = day;
  }
  row.category = categoriesOfTicket(ticket);
  row.stake = amountField(ticket, TicketField::Purchase);
  row.payout = amountField(ticket, TicketField::Payout);
  return row;
}

std::string ticketCaptions(const TicketRecord& ticket) {
  std::string text = searchForm(ticketDateText(ticket));
  text += '\n';
  for (const CrossDimensionInfo& info : kCrossDimensions) {
    const auto d = static_cast<std::size_t>(info.dimension);
    text += captionFormOf(d, static_cast<std::uint8_t>(ticket.field(fieldOf(kAttributes[d]))[0]));
  }
  return text;
}

std::vector<TicketRow> ticketRows(const TicketStore& store) {
  std::vector<const TicketRecord*> live;
  live.reserve(12 * kMaxMonthTickets);
  for (int month = 1; month <= 12; ++month) {
    const MonthTickets& tickets = store.month(month);
    const int count = std::clamp<int>(tickets.count, 0, kMaxMonthTickets);
    for (int i = 0; i < count; ++i) {
      if (!tickets.slot(i).isBlank()) live.push_back(&tickets.slot(i));
    }
  }
  // A day's tickets entered later are stored after later days'. Sorting on
  // ticketBefore reads four fields of both tickets at every comparison; a
  // number made once per ticket of the same four sorts a year in a fraction
  // of that. Every neighbouring pair is then checked against ticketBefore,
  // so that the order is its order (equal tickets as entered) even where the
  // number would not be; then the tickets are sorted on it after all.
  const auto before = [](const TicketRecord* a, const TicketRecord* b) {
    return ticketBefore(*a, *b);
  };
  std::vector<std::pair<std::uint32_t, const TicketRecord*>> keyed;
  keyed.reserve(live.size());
  for (const TicketRecord* ticket : live) keyed.emplace_back(orderKey(*ticket), ticket);
  std::ranges::stable_sort(keyed, std::less{}, [](const auto& k) { return k.first; });
  bool agrees = true;
  for (std::size_t i = 1; i < keyed.size() && agrees; ++i) {
    const auto& [keyA, a] = keyed[i - 1];
    const auto& [keyB, b] = keyed[i];
    agrees = keyA == keyB ? !before(a, b) && !before(b, a) : before(a, b);
  }
  if (agrees) {
    for (std::size_t i = 0; i < keyed.size(); ++i) live[i] = keyed[i].second;
  } else {
    std::ranges::stable_sort(live, before);
  }
  std::vector<TicketRow> rows;
  rows.reserve(live.size());
  for (const TicketRecord* ticket : live) rows.push_back(ticketRow(*ticket));
  return rows;
}

bool AmountRange::contains(std::optional<std::int32_t> amount) const {
  if (open()) return true;
  if (!amount) return false;
  return (!from || *amount >= *from) && (!to || *amount <= *to);
}

bool TicketFilter::empty() const {
  return period.wholeYear() && hits == HitChoice::Any && stake.open() && payout.open() &&
         filterWords(text).empty() &&
         std::ranges::all_of(categories, [](const std::vector<int>& c) { return c.empty(); });
}

std::vector<std::string> filterWords(std::string_view text) {
  const std::string folded = searchForm(text);
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < folded.size()) {
    const std::size_t start = folded.find_first_not_of(" \t", at);
    if (start == std::string::npos) break;
    const std::size_t end = std::min(folded.find_first_of(" \t", start), folded.size());
    words.push_back(folded.substr(start, end - start));
    at = end;
  }
  return words;
}

std::vector<int> filterRows(std::span<const TicketRow> rows, const TicketFilter& filter) {
  return TicketIndex(rows).select(filter).kept;
}

void keepOnlyFiltered(TicketStore& store, const TicketFilter& filter) {
  std::vector<TicketRecord*> live;
  std::vector<TicketRow> rows;
  for (int month = 1; month <= 12; ++month) {
    MonthTickets& tickets = store.month(month);
    const int count = std::clamp<int>(tickets.count, 0, kMaxMonthTickets);
    for (int i = 0; i < count; ++i) {
      TicketRecord& ticket = tickets.slot(i);
      if (ticket.isBlank()) continue;
      live.push_back(&ticket);
      rows.push_back(ticketRow(ticket));
    }
  }
  std::vector<bool> kept(live.size());
  for (int i : filterRows(rows, filter)) kept[static_cast<std::size_t>(i)] = true;
  for (std::size_t i = 0; i < live.size(); ++i) {
    if (!kept[i]) live[i]->markBlank();
  }
}

TicketListFigures ticketListFigures(std::span<const TicketRow> rows, std::span<const int> shown) {
  TicketListFigures out;
  bool payoutUnknown = false;
  for (int i : shown) {
    const TicketRow& row = rows[static_cast<std::size_t>(i)];
    out.figures.add(row.stake, row.payout);
    if (!row.payout) {
      payoutUnknown = true;
    } else if (*row.payout > 0 && (!out.largestPayout || *row.payout > *out.largestPayout)) {
      out.largestPayout = *row.payout;
    }
  }
  if (payoutUnknown) out.largestPayout.reset();
  return out;
}

TicketIndex::TicketIndex(std::span<const TicketRow> rows) {
  keys_.reserve(rows.size());
  // The date's caption is all the record's month, day and weekday make of it.
  static_assert(fieldSpan(TicketField::Month).width + fieldSpan(TicketField::Day).width +
                    fieldSpan(TicketField::Weekday).width <=
                8);
  const auto dateKey = [](const TicketRecord& t) {
    std::uint64_t key = 0;
    for (const TicketField f : {TicketField::Month, TicketField::Day, TicketField::Weekday}) {
      for (const char c : t.field(f)) key = (key << 8) | static_cast<unsigned char>(c);
    }
    return key;
  };
  std::unordered_map<std::uint64_t, std::uint16_t> dateIds;
  std::uint64_t lastDate = 0;
  std::uint16_t lastId = 0;
  std::array<std::array<bool, 256>, kCrossDimensionCount> seen{};
  for (const TicketRow& row : rows) {
    Key key;
    // Rows come in date order: most share the date of the row before.
    const std::uint64_t date = dateKey(row.ticket);
    if (dates_.empty() || date != lastDate) {
      const auto [at, added] = dateIds.try_emplace(date, static_cast<std::uint16_t>(dates_.size()));
      if (added) {
        dates_.push_back({row.month, row.day, searchForm(ticketDateText(row.ticket)) + '\n'});
        datesText_ += dates_.back().caption;
      }
      lastDate = date;
      lastId = at->second;
    }
    key.date = lastId;
    for (std::size_t d = 0; d < kCrossDimensionCount; ++d) {
      const auto code = static_cast<std::uint8_t>(row.ticket.field(fieldOf(kAttributes[d]))[0]);
      key.code[d] = code;
      if (!seen[d][code]) {
        seen[d][code] = true;
        codes_[d].push_back({code, row.category[d]});
      }
    }
    key.stakeKnown = row.stake.has_value();
    key.payoutKnown = row.payout.has_value();
    key.stake = row.stake.value_or(0);
    key.payout = row.payout.value_or(0);
    keys_.push_back(key);
  }
}

TicketIndex::Selection TicketIndex::select(const TicketFilter& filter,
                                           std::span<const int> order) const {
  // A ticket is looked at as one mask: a bit per word it holds, and one bit
  // for anything that refuses it, gathered from its date's entry and its
  // codes' entries, each worked out once for the pass.
  constexpr std::size_t kMaxWords = 63;
  constexpr std::uint64_t kRefused = std::uint64_t{1} << kMaxWords;
  const std::vector<std::string> words = filterWords(filter.text);
  // A word holding a line break may span two captions, and more words than
  // the mask has bits do not fit it: then each ticket's captions are
  // searched whole, as they are written.
  const bool wholeText =
      words.size() > kMaxWords || std::ranges::any_of(words, [](const std::string& w) {
        return w.find('\n') != std::string::npos;
      });
  const auto wordsIn = [&](std::string_view text, std::uint64_t candidates) {
    std::uint64_t bits = 0;
    if (wholeText) return bits;
    for (std::size_t i = 0; i < words.size(); ++i) {
      const std::uint64_t bit = std::uint64_t{1} << i;
      if ((candidates & bit) != 0 && text.find(words[i]) != std::string_view::npos) bits |= bit;
    }
    return bits;
  };
  // Most words name no date at all: one search of every date's caption
  // (each ended by a line break, which no word here holds) spares a search
  // of each of the year's dates.
  const std::uint64_t dateWords = wordsIn(datesText_, ~std::uint64_t{0});
  const std::uint64_t allWords = wholeText ? 0 : (std::uint64_t{1} << words.size()) - 1;

  std::vector<std::uint64_t> dateMask(dates_.size());
  for (std::size_t i = 0; i < dates_.size(); ++i) {
    const Date& date = dates_[i];
    // As the cross figures: a ticket whose date cannot be read lies only in
    // the whole year.
    const bool inPeriod = filter.period.wholeYear() ||
                          (date.month != 0 && filter.period.contains(date.month, date.day));
    dateMask[i] =
        (inPeriod ? 0 : kRefused) | (dateWords == 0 ? 0 : wordsIn(date.caption, dateWords));
  }
  std::array<std::array<std::uint64_t, 256>, kCrossDimensionCount> codeMask;
  std::array<std::size_t, kCrossDimensionCount> active{};
  std::size_t activeCount = 0;
  for (std::size_t d = 0; d < kCrossDimensionCount; ++d) {
    const std::vector<int>& chosen = filter.categories[d];
    std::uint64_t any = 0;
    for (const Code& c : codes_[d]) {
      const bool refused = !chosen.empty() && std::ranges::find(chosen, c.category) == chosen.end();
      codeMask[d][c.code] =
          (refused ? kRefused : 0) | wordsIn(captionFormOf(d, c.code), ~std::uint64_t{0});
      any |= codeMask[d][c.code];
    }
    if (any != 0) active[activeCount++] = d;
  }
  const bool amounts =
      filter.hits != HitChoice::Any || !filter.stake.open() || !filter.payout.open();

  Selection out;
  out.kept.reserve(order.empty() ? keys_.size() : order.size());
  bool payoutUnknown = false;
  // Most tickets of a narrowing word fail here: kept small so that the
  // loops below take it inline and call `take` only for the few left.
  const auto codesKeep = [&](int i) {
    const Key& key = keys_[static_cast<std::size_t>(i)];
    std::uint64_t mask = dateMask[key.date];
    for (std::size_t a = 0; a < activeCount; ++a) mask |= codeMask[active[a]][key.code[active[a]]];
    return (mask & kRefused) == 0 && (mask & allWords) == allWords;
  };
  const auto take = [&](int i) {
    const Key& key = keys_[static_cast<std::size_t>(i)];
    const auto stake = key.stakeKnown ? std::optional<std::int32_t>(key.stake) : std::nullopt;
    const auto payout = key.payoutKnown ? std::optional<std::int32_t>(key.payout) : std::nullopt;
    if (amounts) {
      const bool hit = payout && *payout > 0;
      if (filter.hits != HitChoice::Any && hit != (filter.hits == HitChoice::HitsOnly)) return;
      if (!filter.stake.contains(stake) || !filter.payout.contains(payout)) return;
    }
    if (wholeText) {
      std::string text = dates_[key.date].caption;
      for (std::size_t d = 0; d < kCrossDimensionCount; ++d) text += captionFormOf(d, key.code[d]);
      const bool all = std::ranges::all_of(
          words, [&text](const std::string& w) { return text.find(w) != std::string::npos; });
      if (!all) return;
    }
    out.kept.push_back(i);
    out.figures.figures.add(stake, payout);
    if (!payout) {
      payoutUnknown = true;
    } else if (*payout > 0 &&
               (!out.figures.largestPayout || *payout > *out.figures.largestPayout)) {
      out.figures.largestPayout = payout;
    }
  };
  if (order.empty()) {
    for (int i = 0; i < size(); ++i) {
      if (codesKeep(i)) take(i);
    }
  } else {
    for (const int i : order) {
      if (codesKeep(i)) take(i);
    }
  }
  if (payoutUnknown) out.figures.largestPayout.reset();
  return out;
}

std::optional<int> categoryOfValue(CrossDimension d, std::string_view value) {
  const std::span<const Category> rows = crossCategories(d);
  const std::string wanted = searchForm(value);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string_view gridCaption = captionOf(attributeOf(d), rows[i].code);
    if (value == std::string_view(&rows[i].code, 1) || wanted == searchForm(rows[i].caption) ||
        wanted == searchForm(gridCaption)) {
      return static_cast<int>(i);
    }
  }
  return std::nullopt;
}

std::vector<std::string> knownValues(CrossDimension d) {
  std::vector<std::string> out;
  for (const Category& c : crossCategories(d)) {
    out.push_back(std::string(1, c.code) + " " + std::string(c.caption));
  }
  return out;
}

}  // namespace tamrel
