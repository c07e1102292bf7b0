#include "analysis/ticket_filter.h"

#include <algorithm>

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

std::string captionsOf(const TicketRecord& ticket) {
  const CaptionForms& forms = captionForms();
  std::string text = searchForm(ticketDateText(ticket));
  text += '\n';
  for (const CrossDimensionInfo& info : kCrossDimensions) {
    const char code = ticket.field(fieldOf(attributeOf(info.dimension)))[0];
    text += forms[static_cast<std::size_t>(info.dimension)][static_cast<unsigned char>(code)];
  }
  return text;
}

int twoDigitValue(std::string_view text) {
  if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9') {
    return -1;
  }
  return (text[0] - '0') * 10 + (text[1] - '0');
}

bool keeps(const std::vector<int>& chosen, int category) {
  return chosen.empty() || std::ranges::find(chosen, category) != chosen.end();
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
  for (const CrossDimensionInfo& info : kCrossDimensions) {
    row.category[static_cast<std::size_t>(info.dimension)] =
        static_cast<std::int8_t>(categoryOfTicket(info.dimension, ticket).value_or(-1));
  }
  row.stake = amountField(ticket, TicketField::Purchase);
  row.payout = amountField(ticket, TicketField::Payout);
  row.captions = captionsOf(ticket);
  return row;
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
  // A day's tickets entered later are stored after later days'.
  std::ranges::stable_sort(
      live, [](const TicketRecord* a, const TicketRecord* b) { return ticketBefore(*a, *b); });
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

namespace {

// Whether the filter keeps a row; `words` are the filter's filterWords.
bool keepsRow(const TicketFilter& filter, const std::vector<std::string>& words,
              const TicketRow& row) {
  // As the cross figures: a ticket whose date cannot be read lies only in
  // the whole year.
  if (!filter.period.wholeYear() &&
      (row.month == 0 || !filter.period.contains(row.month, row.day))) {
    return false;
  }
  if (filter.hits != HitChoice::Any && row.hit() != (filter.hits == HitChoice::HitsOnly)) {
    return false;
  }
  if (!filter.stake.contains(row.stake) || !filter.payout.contains(row.payout)) return false;
  for (std::size_t d = 0; d < filter.categories.size(); ++d) {
    if (!keeps(filter.categories[d], row.category[d])) return false;
  }
  return std::ranges::all_of(words, [&row](const std::string& word) {
    return row.captions.find(word) != std::string::npos;
  });
}

}  // namespace

std::vector<int> filterRows(std::span<const TicketRow> rows, const TicketFilter& filter) {
  const std::vector<std::string> words = filterWords(filter.text);
  std::vector<int> kept;
  kept.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (keepsRow(filter, words, rows[i])) kept.push_back(static_cast<int>(i));
  }
  return kept;
}

void keepOnlyFiltered(TicketStore& store, const TicketFilter& filter) {
  const std::vector<std::string> words = filterWords(filter.text);
  for (int month = 1; month <= 12; ++month) {
    MonthTickets& tickets = store.month(month);
    const int count = std::clamp<int>(tickets.count, 0, kMaxMonthTickets);
    for (int i = 0; i < count; ++i) {
      TicketRecord& ticket = tickets.slot(i);
      if (!ticket.isBlank() && !keepsRow(filter, words, ticketRow(ticket))) ticket.markBlank();
    }
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
