#include "detail/ticket_records.h"

#include <algorithm>

#include "base/amount.h"

namespace tamrel {

namespace {

constexpr CodeCaption kRacecourses[] = {
    {'1', "札幌"}, {'2', "函館"}, {'3', "新潟"}, {'4', "福島"}, {'5', "中山"},   {'6', "東京"},
    {'7', "中京"}, {'8', "京都"}, {'9', "阪神"}, {'A', "小倉"}, {'B', "その他"},
};

constexpr CodeCaption kRaceNumbers[] = {
    {'1', "１Ｒ"}, {'2', "２Ｒ"}, {'3', "３Ｒ"}, {'4', "４Ｒ"},   {'5', "５Ｒ"},   {'6', "６Ｒ"},
    {'7', "７Ｒ"}, {'8', "８Ｒ"}, {'9', "９Ｒ"}, {'A', "１０Ｒ"}, {'B', "１１Ｒ"}, {'C', "１２Ｒ"},
};

constexpr CodeCaption kWeekdays[] = {{'1', "土曜日"}, {'2', "日曜日"}, {'3', "その他"}};

constexpr CodeCaption kSurfaces[] = {{'1', "芝"}, {'2', "ﾀﾞｰﾄ"}, {'3', "障害"}};

constexpr CodeCaption kDistanceBands[] = {
    {'1', "1600m以下"}, {'2', "2000m以下"}, {'3', "2400m以下"}, {'4', "2400m以上"}};

constexpr CodeCaption kRaceClasses[] = {
    {'1', "Ｇ１"},   {'2', "Ｇ２"},  {'3', "Ｇ３"},   {'4', "ｵｰﾌﾟﾝ"}, {'5', "1600万"},
    {'6', "1000万"}, {'7', "500万"}, {'8', "未勝利"}, {'9', "新馬"},
};

// The bet type code is the BetType index plus one; the captions are the
// bet types' own.
constexpr auto kBetTypeCodes = [] {
  std::array<CodeCaption, kBetTypeCount> table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = {static_cast<char>('1' + i), kBetTypes[i].caption};
  }
  return table;
}();

constexpr CodeCaption kAgeGroups[] = {
    {'1', "２歳"}, {'2', "３歳"}, {'3', "３歳上"}, {'4', "４歳上"}};

constexpr CodeCaption kConditions[] = {{'0', "無し"}, {'1', "牝限"}, {'2', "ﾊﾝﾃﾞ"}};

constexpr CodeCaption kRunnersBands[] = {
    {'1', "9頭以下"}, {'2', "12頭以下"}, {'3', "15頭以下"}, {'4', "16頭以上"}};

constexpr std::string_view kHeaderPrefix = "00,00,0,0,0,0,0,0,0000000000,0000000000,0";
static_assert(kHeaderPrefix.size() == 41);

}  // namespace

std::string_view TicketRecord::field(TicketField f) const {
  const FieldSpan s = fieldSpan(f);
  return view().substr(static_cast<std::size_t>(s.column - 1), static_cast<std::size_t>(s.width));
}

void TicketRecord::setField(TicketField f, std::string_view value) {
  const FieldSpan s = fieldSpan(f);
  const auto width = static_cast<std::size_t>(s.width);
  char* out = text.data() + (s.column - 1);
  const std::size_t n = std::min(width, value.size());
  std::copy_n(value.data(), n, out);
  std::fill(out + n, out + width, ' ');
}

std::span<const CodeCaption> codeTable(Attribute a) {
  switch (a) {
    case Attribute::Racecourse:
      return kRacecourses;
    case Attribute::RaceNo:
      return kRaceNumbers;
    case Attribute::Weekday:
      return kWeekdays;
    case Attribute::Surface:
      return kSurfaces;
    case Attribute::DistanceBand:
      return kDistanceBands;
    case Attribute::RaceClass:
      return kRaceClasses;
    case Attribute::BetType:
      return kBetTypeCodes;
    case Attribute::AgeGroup:
      return kAgeGroups;
    case Attribute::Condition:
      return kConditions;
    case Attribute::RunnersBand:
      return kRunnersBands;
  }
  return {};
}

std::string_view captionOf(Attribute a, char code) {
  for (const CodeCaption& entry : codeTable(a)) {
    if (entry.code == code) return entry.caption;
  }
  return {};
}

std::optional<char> codeOf(Attribute a, std::string_view caption) {
  for (const CodeCaption& entry : codeTable(a)) {
    if (entry.caption == caption) return entry.code;
  }
  return std::nullopt;
}

TicketField fieldOf(Attribute a) {
  switch (a) {
    case Attribute::Racecourse:
      return TicketField::Racecourse;
    case Attribute::RaceNo:
      return TicketField::RaceNo;
    case Attribute::Weekday:
      return TicketField::Weekday;
    case Attribute::Surface:
      return TicketField::Surface;
    case Attribute::DistanceBand:
      return TicketField::DistanceBand;
    case Attribute::RaceClass:
      return TicketField::RaceClass;
    case Attribute::BetType:
      return TicketField::BetType;
    case Attribute::AgeGroup:
      return TicketField::AgeGroup;
    case Attribute::Condition:
      return TicketField::Condition;
    case Attribute::RunnersBand:
      return TicketField::RunnersBand;
  }
  return TicketField::Month;
}

std::string_view captionOf(Attribute a, const TicketRecord& record) {
  const std::string_view code = record.field(fieldOf(a));
  return captionOf(a, code[0]);
}

int codeRank(Attribute a, char code) {
  const std::span<const CodeCaption> table = codeTable(a);
  const auto found = std::ranges::find(table, code, &CodeCaption::code);
  return static_cast<int>(found - table.begin());
}

namespace {

// A month or day field as its number; a field that holds no number (only an
// edited file has one) after every day.
int dateNumber(std::string_view field) {
  int value = 0;
  for (const char c : field) {
    if (c == ' ') continue;
    if (c < '0' || c > '9') return 100;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::array<int, 4> dateAndRace(const TicketRecord& t) {
  return {dateNumber(t.field(TicketField::Month)), dateNumber(t.field(TicketField::Day)),
          codeRank(Attribute::RaceNo, t.field(TicketField::RaceNo)[0]),
          codeRank(Attribute::Racecourse, t.field(TicketField::Racecourse)[0])};
}

}  // namespace

bool ticketBefore(const TicketRecord& a, const TicketRecord& b) {
  return dateAndRace(a) < dateAndRace(b);
}

std::optional<tamrel::BetType> betTypeOfCode(char code) {
  if (code < '1' || code > '0' + kBetTypeCount) return std::nullopt;
  return static_cast<BetType>(code - '1');
}

char codeOfBetType(BetType type) { return static_cast<char>('1' + index(type)); }

std::optional<std::int32_t> amountField(const TicketRecord& record, TicketField f) {
  return parseAmount(record.field(f));
}

bool setAmountField(TicketRecord& record, TicketField f, std::int32_t value) {
  const auto text = amountText(value);
  if (!text) return false;
  record.setField(f, std::string_view(text->data(), text->size()));
  return true;
}

std::array<char, 2> twoDigits(int value) {
  const int v = std::clamp(value, 0, 99);
  return {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}

TicketRecord newTicket(int month, int day) {
  TicketRecord r;
  for (const FieldSpan& s : kTicketFieldSpans) {
    const auto after = static_cast<std::size_t>(s.column - 1 + s.width);
    if (after < r.text.size()) r.text[after] = ',';
  }
  const auto mm = twoDigits(month);
  const auto dd = twoDigits(day);
  r.setField(TicketField::Month, {mm.data(), mm.size()});
  r.setField(TicketField::Day, {dd.data(), dd.size()});
  return r;
}

void clearTickets(TicketStore& store) {
  std::copy(kHeaderPrefix.begin(), kHeaderPrefix.end(), store.header.text.begin());
  for (MonthTickets& m : store.months) {
    m.count = 0;
    m.records[0].markBlank();
  }
}

void blankEntry(TicketRecord& entry) {
  entry.text[0] = ' ';
  entry.text[1] = ' ';
  std::fill(entry.text.begin() + 5, entry.text.end(), ' ');
}

bool adjustTotals(DayBetTotals& totals, BetType type, std::int32_t purchase, std::int32_t payout,
                  int sign) {
  if (sign != 1 && sign != -1) return false;
  const auto i = static_cast<std::size_t>(index(type));
  if (i >= static_cast<std::size_t>(kBetTypeCount)) return false;
  const auto apply = [sign](std::int32_t sum, std::int32_t v) {
    return sign > 0 ? checkedAdd(sum, v) : checkedSub(sum, v);
  };
  const auto stake = apply(totals.stake[i], purchase);
  const auto paid = apply(totals.payout[i], payout);
  if (!stake || !paid) return false;
  totals.stake[i] = *stake;
  totals.payout[i] = *paid;
  return true;
}

std::optional<DayBetTotals> dayTotals(const DayTicketList& list) {
  DayBetTotals totals;
  const int n = std::clamp<int>(list.count, 0, kDayListSlots);
  for (int i = 0; i < n; ++i) {
    const TicketRecord& entry = list.entries[static_cast<std::size_t>(i)];
    if (entry.isBlank()) continue;
    const auto type = betTypeOfCode(entry.field(TicketField::BetType)[0]);
    if (!type) continue;
    const auto purchase = amountField(entry, TicketField::Purchase);
    const auto payout = amountField(entry, TicketField::Payout);
    if (!purchase || !payout) return std::nullopt;
    if (!adjustTotals(totals, *type, *purchase, *payout, 1)) return std::nullopt;
  }
  return totals;
}

}  // namespace tamrel
