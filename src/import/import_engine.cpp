#include "import/import_engine.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <memory>
#include <span>
#include <unordered_map>

#include "base/amount.h"
#include "base/simd.h"
#include "detail/month_transfer.h"
#include "ledger/calendar_day.h"

namespace tamrel {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string lineText(int line) { return std::to_string(line) + "行目"; }

ImportRefusal tooLarge() { return {0, "8 MBを超えるものは取り込めません"}; }

// Length of the UTF-8 sequence at `at`, 0 when it is not one (overlong,
// surrogate or beyond U+10FFFF included).
std::size_t utf8Length(std::string_view s, std::size_t at) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char c = b(at);
  if (c < 0x80) return 1;
  std::size_t n = 0;
  unsigned char lo = 0x80;
  unsigned char hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (at + n > s.size()) return 0;
  if (b(at + 1) < lo || b(at + 1) > hi) return 0;
  for (std::size_t i = 2; i < n; ++i) {
    if (b(at + i) < 0x80 || b(at + i) > 0xBF) return 0;
  }
  return n;
}

// Whether the bytes follow Shift_JIS (CP932): single bytes, half-width
// kana, and lead bytes each followed by a trail byte.
bool validShiftJis(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) continue;
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (!lead || i + 1 >= s.size()) return false;
    const auto t = static_cast<unsigned char>(s[++i]);
    if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
  }
  return true;
}

bool asciiOnly(std::string_view s) {
  return std::ranges::all_of(s, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// What is wrong with a line (without its end), in the order it is told: a
// NUL or another control character wherever it stands, else a BOM, else
// bytes that are not UTF-8.
enum class LineFault { None, Nul, Control, Bom, NotUtf8 };

LineFault lineFault(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  bool bom = false;
  bool notUtf8 = false;
  for (std::size_t i = 0; i < n;) {
#if TAMREL_SSE2
    // Sixteen printable ASCII characters at a time: none of them is a
    // fault, nor the start of a BOM.
    while (i + 16 <= n) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      const __m128i printable = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(0x1F)),
                                              _mm_cmplt_epi8(v, _mm_set1_epi8(0x7F)));
      if (_mm_movemask_epi8(printable) != 0xFFFF) break;
      i += 16;
    }
    if (i >= n) break;
#endif
    const unsigned char c = p[i];
    if (c < 0x80) {
      if (c == 0) return LineFault::Nul;
      if ((c < 0x20 && c != '\t') || c == 0x7F) return LineFault::Control;
      ++i;
      continue;
    }
    if (c == 0xEF && i + 2 < n && p[i + 1] == 0xBB && p[i + 2] == 0xBF) bom = true;
    // Kana, kanji and full-width forms: three bytes whose lead needs no
    // narrower range for its second byte.
    if (c >= 0xE1 && c != 0xED && c <= 0xEF && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 &&
        (p[i + 2] & 0xC0) == 0x80) {
      i += 3;
      continue;
    }
    const std::size_t length = utf8Length(text, i);
    // A byte that begins no sequence is passed alone, so that a control
    // character or a BOM after it is still seen.
    notUtf8 = notUtf8 || length == 0;
    i += std::max<std::size_t>(length, 1);
  }
  if (bom) return LineFault::Bom;
  return notUtf8 ? LineFault::NotUtf8 : LineFault::None;
}

std::optional<ImportRefusal> refusalOf(LineFault fault, int line) {
  switch (fault) {
    case LineFault::None:
      return std::nullopt;
    case LineFault::Nul:
      return ImportRefusal{line, "NUL文字があります"};
    case LineFault::Control:
      return ImportRefusal{line, "文字ではないデータがあります"};
    case LineFault::Bom:
      return ImportRefusal{line, "途中にBOMがあります"};
    case LineFault::NotUtf8:
      return ImportRefusal{line, "UTF-8ではない文字があります"};
  }
  return std::nullopt;
}

// The lines of an input, each without its end; the size and each line's
// length checked. Calls `line(text, number, ended)` for each until it
// refuses. `whole(start, number)` may take a line first, all at once (the
// offset after it), when it can tell that `line` would have nothing to say
// of it; npos leaves the line to `line`.
template <typename EachLine, typename WholeLine>
std::optional<ImportRefusal> scanLines(std::string_view bytes, ImportLimits limits, EachLine&& line,
                                       WholeLine&& whole) {
  if (bytes.size() > limits.bytes) return tooLarge();
  if (bytes.starts_with(kBom)) bytes.remove_prefix(kBom.size());
  int number = 0;
  for (std::size_t start = 0; start < bytes.size();) {
    ++number;
    if (const std::size_t after = whole(start, number); after != std::string_view::npos) {
      start = after;
      continue;
    }
    const void* lf = std::memchr(bytes.data() + start, '\n', bytes.size() - start);
    const std::size_t end =
        lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - bytes.data())
                      : bytes.size();
    std::string_view text = bytes.substr(start, end - start);
    if (text.ends_with('\r')) text.remove_suffix(1);
    if (text.size() > limits.line) {
      return ImportRefusal{number, "行が長すぎます（4 KBまで）"};
    }
    if (auto refusal = line(text, number, end < bytes.size())) return refusal;
    start = end + 1;
  }
  return std::nullopt;
}

// --- Captions ------------------------------------------------------------

// Text as captions are compared: full-width letters, digits and signs as
// their ASCII forms, lower case as upper, blanks (ASCII and ideographic)
// left out.
std::string fold(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = std::max<std::size_t>(utf8Length(text, i), 1);
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    if (n == 1) {
      char c = text[i];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (c != ' ' && c != '\t') out += c;
    } else if (n == 3 && b(0) == 0xE3 && b(1) == 0x80 && b(2) == 0x80) {
      // U+3000, the ideographic blank
    } else if (n == 3 && b(0) == 0xEF && (b(1) == 0xBC || b(1) == 0xBD)) {
      // U+FF01..U+FF5E: the full-width forms of '!'..'~'
      const unsigned cp = 0xF000u | ((b(1) & 0x3Fu) << 6) | (b(2) & 0x3Fu);
      if (cp >= 0xFF01 && cp <= 0xFF5E) {
        char c = static_cast<char>(cp - 0xFF01 + '!');
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        out += c;
      } else {
        out.append(text.substr(i, n));
      }
    } else {
      out.append(text.substr(i, n));
    }
    i += n;
  }
  return out;
}

// Other names for the code tables' captions, as spreadsheets and purchase
// lists write them (already folded).
constexpr std::pair<std::string_view, std::string_view> kAliases[] = {
    {"ダート", "ﾀﾞｰﾄ"},    {"ダ", "ﾀﾞｰﾄ"},   {"ワイド", "ﾜｲﾄﾞ"},
    {"オープン", "ｵｰﾌﾟﾝ"}, {"OP", "ｵｰﾌﾟﾝ"},  {"ハンデ", "ﾊﾝﾃﾞ"},
    {"三連複", "3連複"},   {"なし", "無し"}, {"", ""},
};

std::string unalias(std::string folded) {
  for (const auto& [alias, caption] : kAliases) {
    if (!alias.empty() && folded == alias) return std::string(caption);
  }
  return folded;
}

struct HeaderName {
  std::string_view caption;
  ImportField field;
};

constexpr HeaderName kHeaderNames[] = {
    {"日付", ImportField::Date},
    {"年月日", ImportField::Date},
    {"開催日", ImportField::Date},
    {"月", ImportField::Month},
    {"日", ImportField::Day},
    {"場名", ImportField::Racecourse},
    {"競馬場", ImportField::Racecourse},
    {"開催", ImportField::Racecourse},
    {"場", ImportField::Racecourse},
    {"レース", ImportField::RaceNo},
    {"R", ImportField::RaceNo},
    {"レース番号", ImportField::RaceNo},
    {"曜日", ImportField::Weekday},
    {"コース", ImportField::Surface},
    {"芝ダ", ImportField::Surface},
    {"距離", ImportField::DistanceBand},
    {"馬齢", ImportField::AgeGroup},
    {"クラス", ImportField::RaceClass},
    {"条件", ImportField::Condition},
    {"頭数", ImportField::RunnersBand},
    {"券種", ImportField::BetType},
    {"式別", ImportField::BetType},
    {"購入金額", ImportField::Stake},
    {"投資金額", ImportField::Stake},
    {"金額", ImportField::Stake},
    {"払戻金額", ImportField::Payout},
    {"払戻", ImportField::Payout},
    {"配当金額", ImportField::Payout},
};

constexpr std::string_view kStakeWords[] = {"購入金額", "投資金額", "金額", "購入", "投資"};
constexpr std::string_view kPayoutWords[] = {"払戻金額", "払戻", "配当金額", "配当"};

// The bet type a folded name gives: its code-table caption or the name
// every output uses, or an alias of either.
std::optional<BetType> betTypeOfName(const std::string& folded) {
  // Folded once: every ticket row looks its bet type up.
  static const auto kNames = [] {
    std::vector<std::pair<std::string, BetType>> names;
    for (const BetTypeInfo& bet : kBetTypes) {
      names.emplace_back(fold(bet.caption), bet.type);
      names.emplace_back(fold(bet.labelCaption), bet.type);
    }
    return names;
  }();
  const std::string name = unalias(folded);
  for (const auto& [caption, type] : kNames) {
    if (name == caption) return type;
  }
  return std::nullopt;
}

// --- Values --------------------------------------------------------------

std::optional<int> smallNumber(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || text.size() > 4 || ec != std::errc{} || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

std::string_view withoutSuffix(std::string_view text, std::string_view suffix) {
  if (text.ends_with(suffix)) text.remove_suffix(suffix.size());
  return text;
}

// An amount: digits with or without "円" and commas between groups of
// three, a leading "-" for a refund; read by the shared rule.
std::variant<std::int32_t, std::string> amountByRule(std::string_view raw) {
  std::string text = fold(raw);
  if (text.ends_with("円")) text.resize(text.size() - std::string_view("円").size());
  if (text.empty()) return 0;
  std::string digits;
  std::size_t groupDigits = 0;
  bool grouped = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '-' && i == 0) {
      digits += c;
    } else if (c >= '0' && c <= '9') {
      digits += c;
      ++groupDigits;
    } else if (c == ',' && groupDigits > 0 && (!grouped || groupDigits == 3)) {
      grouped = true;
      groupDigits = 0;
    } else {
      return "金額ではありません: " + std::string(raw);
    }
  }
  if (groupDigits == 0 || (grouped && groupDigits != 3)) {
    return "金額ではありません: " + std::string(raw);
  }
  const std::optional<std::int32_t> value = parseAmount(digits);
  if (!value || *value > kImportMaxAmount || *value < -kImportMaxAmount) {
    return "金額が999,999,999円を超えます: " + std::string(raw);
  }
  return *value;
}

// The reports' shortcuts (with TAMREL_SIMD): a cell read as it stands
// where folding cannot change it. Without, every cell goes by the rule.
constexpr bool kShortcuts = TAMREL_SIMD != 0;

// Whether `text` is an optional "-" and digits up to `maxDigits`, nothing
// else: the rule reads such text as it stands.
bool plainDigits(std::string_view text, bool sign, std::size_t maxDigits) {
  if (sign && text.starts_with('-')) text.remove_prefix(1);
  if (text.empty() || text.size() > maxDigits) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::variant<std::int32_t, std::string> amountOf(std::string_view raw) {
  if (raw.empty()) return 0;
  // Digits alone: no blank, "円" or group to take away, ten digits at most
  // (the shared rule says whether they are in range).
  if (kShortcuts && plainDigits(raw, true, 10)) {
    std::int32_t value = 0;
    if (readAmount(raw, value) && value <= kImportMaxAmount && value >= -kImportMaxAmount) {
      return value;
    }
  }
  return amountByRule(raw);
}

struct Date {
  int year = 0;
  int month = 0;
  int day = 0;
};

// "2026/3/5", "2026-03-05", "2026.3.5", "2026年3月5日", "3/5", "3月5日".
std::optional<Date> dateOf(std::string_view raw) {
  std::string text = fold(raw);
  std::string unified;
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, 3, "年") == 0 || text.compare(i, 3, "月") == 0) {
      unified += '/';
      i += 3;
    } else if (text.compare(i, 3, "日") == 0 && i + 3 == text.size()) {
      i += 3;
    } else {
      const char c = text[i++];
      unified += (c == '-' || c == '.') ? '/' : c;
    }
  }
  std::vector<std::string_view> parts;
  std::string_view rest = unified;
  while (true) {
    const std::size_t slash = rest.find('/');
    parts.push_back(rest.substr(0, slash));
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
  Date date;
  std::size_t at = 0;
  if (parts.size() == 3) {
    if (parts[0].size() != 4) return std::nullopt;
    const auto year = smallNumber(parts[at++]);
    if (!year) return std::nullopt;
    date.year = *year;
  }
  const auto month = smallNumber(parts[at]);
  const auto day = smallNumber(parts[at + 1]);
  if (!month || !day) return std::nullopt;
  date.month = *month;
  date.day = *day;
  return date;
}

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// --- Rows ----------------------------------------------------------------

// The cells of one record by field.
struct RowReader {
  const ImportRecords& records;
  std::size_t record;
  const ColumnMap& map;

  std::string_view operator()(ImportField f) const {
    const int c = map[f];
    if (c < 0) return {};
    return records.field(record, static_cast<std::size_t>(c));
  }
};

// A month or day cell: digits with or without its name ("3", "3月").
std::optional<int> monthOrDay(std::string_view text, std::string_view name) {
  if (kShortcuts && plainDigits(text, false, 4)) return smallNumber(text);
  return smallNumber(withoutSuffix(fold(text), name));
}

// The row's date, or why it is none.
std::variant<Date, std::string> rowDate(const RowReader& field, const ColumnMap& map, int year) {
  Date date;
  if (map[ImportField::Date] >= 0 && !field(ImportField::Date).empty()) {
    const auto read = dateOf(field(ImportField::Date));
    if (!read) return "日付ではありません: " + std::string(field(ImportField::Date));
    date = *read;
  } else {
    const std::pair<ImportField, std::string_view> parts[] = {{ImportField::Month, "月"},
                                                              {ImportField::Day, "日"}};
    for (const auto& [part, name] : parts) {
      const std::string_view text = field(part);
      const auto number = monthOrDay(text, name);
      if (!number) {
        return text.empty() ? std::string(name) + "がありません"
                            : std::string(name) + "ではありません: " + std::string(text);
      }
      (part == ImportField::Month ? date.month : date.day) = *number;
    }
  }
  if (date.year != 0 && year != 0 && date.year != year) {
    return std::to_string(date.year) + "年の行です（この年は" + std::to_string(year) + "年）";
  }
  const int knownYear = date.year != 0 ? date.year : year;
  if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > kSlotsPerMonth ||
      !isCalendarDay(date.month, date.day) ||
      (knownYear != 0 && date.month == 2 && date.day == 29 && !leapYear(knownYear))) {
    return "ない日付です: " + std::to_string(date.month) + "/" + std::to_string(date.day);
  }
  return date;
}

struct AttributeColumn {
  Attribute attribute;
  ImportField field;
  std::string_view name;
};

constexpr AttributeColumn kAttributeColumns[] = {
    {Attribute::Racecourse, ImportField::Racecourse, "場名"},
    {Attribute::RaceNo, ImportField::RaceNo, "レース"},
    {Attribute::Weekday, ImportField::Weekday, "曜日"},
    {Attribute::Surface, ImportField::Surface, "コース"},
    {Attribute::DistanceBand, ImportField::DistanceBand, "距離"},
    {Attribute::AgeGroup, ImportField::AgeGroup, "馬齢"},
    {Attribute::RaceClass, ImportField::RaceClass, "クラス"},
    {Attribute::Condition, ImportField::Condition, "条件"},
    {Attribute::RunnersBand, ImportField::RunnersBand, "頭数"},
    {Attribute::BetType, ImportField::BetType, "券種"},
};

// The code of an attribute's text; blank for an empty field, nullopt for
// text that names no code.
std::optional<char> attributeCodeByRule(Attribute a, std::string_view raw) {
  std::string text = fold(raw);
  if (text.empty()) return ' ';
  if (a == Attribute::Racecourse) text = std::string(withoutSuffix(text, "競馬場"));
  if (a == Attribute::RaceNo &&
      std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; })) {
    text += 'R';
  }
  if (a == Attribute::BetType) {
    const auto type = betTypeOfName(text);
    if (!type) return std::nullopt;
    return codeOfBetType(*type);
  }
  // Each table's captions folded once: every row looks up ten attributes.
  static const auto kFolded = [] {
    std::array<std::vector<std::pair<std::string, char>>, 10> tables;
    for (std::size_t i = 0; i < tables.size(); ++i) {
      for (const CodeCaption& entry : codeTable(static_cast<Attribute>(i))) {
        tables[i].emplace_back(fold(entry.caption), entry.code);
      }
    }
    return tables;
  }();
  text = unalias(std::move(text));
  for (const auto& [caption, code] : kFolded[static_cast<std::size_t>(a)]) {
    if (caption == text) return code;
  }
  return std::nullopt;
}

// The texts an attribute's cells hold as the reports write them and as
// people commonly type them, each with the code the rule gives it: found as
// they stand, without folding. Only texts the rule reads are listed, so a
// text found here has the code the rule would give.
class ExactCaptions {
 public:
  ExactCaptions() {
    for (std::size_t i = 0; i < std::size(kAttributeColumns); ++i) {
      const Attribute a = kAttributeColumns[i].attribute;
      std::vector<std::string> texts;
      for (const CodeCaption& entry : codeTable(a)) {
        texts.emplace_back(entry.caption);
        texts.emplace_back(outputName(entry.caption));
        if (a == Attribute::Racecourse) texts.push_back(std::string(entry.caption) + "競馬場");
      }
      for (const auto& [alias, caption] : kAliases) texts.emplace_back(alias);
      if (a == Attribute::RaceNo) {
        for (int n = 1; n <= 12; ++n) {
          texts.push_back(std::to_string(n));
          texts.push_back(std::to_string(n) + "R");
        }
      }
      for (const std::string& text : texts) {
        const auto code = attributeCodeByRule(a, text);
        if (!text.empty() && code) add(i, text, *code);
      }
    }
  }

  // The code of `text` in column i of kAttributeColumns; nullopt when it is
  // not listed (the rule may still read it).
  std::optional<char> find(std::size_t column, std::string_view text) const {
    if (text.size() > kLongest) return std::nullopt;
    const Key key = keyOf(text);
    for (std::size_t h = slotOf(column, key);; h = (h + 1) % kSize) {
      const Entry& e = entries_[h];
      if (e.key.size == 0) return std::nullopt;
      if (e.key.head == key.head && e.key.tail == key.tail && e.key.size == key.size &&
          e.column == column && (key.size <= 16 || longTexts_[h] == text)) {
        return e.code;
      }
    }
  }

 private:
  static constexpr std::size_t kSize = 512;  // some two hundred texts
  static constexpr std::size_t kLongest = 28;
  // A text's first and last bytes, up to eight of each, overlapping in a
  // short one: the whole text when it has sixteen bytes or fewer. Found
  // without a loop: every row looks up ten texts.
  struct Key {
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
    std::size_t size = 0;
  };
  static Key keyOf(std::string_view text) {
    Key key;
    const std::size_t n = key.size = text.size();
    if (n >= 8) {
      std::memcpy(&key.head, text.data(), 8);
      std::memcpy(&key.tail, text.data() + n - 8, 8);
    } else if (n >= 4) {
      std::uint32_t a = 0;
      std::uint32_t b = 0;
      std::memcpy(&a, text.data(), 4);
      std::memcpy(&b, text.data() + n - 4, 4);
      key.head = a;
      key.tail = b;
    } else if (n > 0) {
      const auto b = [&](std::size_t i) {
        return std::uint64_t{static_cast<unsigned char>(text[i])};
      };
      key.head = b(0) | b(n / 2) << 8 | b(n - 1) << 16;
    }
    return key;
  }
  static std::size_t slotOf(std::size_t column, const Key& key) {
    std::uint64_t h = (key.head * 0x9E3779B97F4A7C15u) ^ (key.tail * 0xC2B2AE3D27D4EB4Fu) ^
                      (key.size << 8 | column);
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9u;
    h ^= h >> 32;
    return static_cast<std::size_t>(h % kSize);
  }
  struct Entry {
    Key key;  // size 0: a free slot
    std::size_t column = 0;
    char code = ' ';
  };
  void add(std::size_t column, const std::string& text, char code) {
    if (text.size() > kLongest || find(column, text)) return;
    const Key key = keyOf(text);
    std::size_t h = slotOf(column, key);
    while (entries_[h].key.size != 0) h = (h + 1) % kSize;
    entries_[h] = {key, column, code};
    longTexts_[h] = text;
  }
  std::array<Entry, kSize> entries_;
  // Each slot's text, read only for a text longer than its key.
  std::array<std::string, kSize> longTexts_;
};

std::optional<char> attributeCode(std::size_t column, std::string_view raw) {
  if (kShortcuts) {
    if (raw.empty()) return ' ';
    static const ExactCaptions kExact;
    if (const auto code = kExact.find(column, raw)) return code;
  }
  return attributeCodeByRule(kAttributeColumns[column].attribute, raw);
}

void ticketRow(ImportRow& row, const RowReader& field) {
  // Where each attribute's code stands in a record.
  static const auto kOffsets = [] {
    std::array<std::size_t, std::size(kAttributeColumns)> offsets{};
    for (std::size_t i = 0; i < offsets.size(); ++i) {
      offsets[i] =
          static_cast<std::size_t>(fieldSpan(fieldOf(kAttributeColumns[i].attribute)).column - 1);
    }
    return offsets;
  }();
  row.ticket = newTicket(row.month, row.day);
  for (std::size_t i = 0; i < std::size(kAttributeColumns); ++i) {
    const AttributeColumn& column = kAttributeColumns[i];
    const std::string_view text = field(column.field);
    const auto code = attributeCode(i, text);
    if (!code) {
      row.reason = "知らない" + std::string(column.name) + "です: " + std::string(text);
      return;
    }
    row.ticket.text[kOffsets[i]] = *code;
  }
  const auto type = betTypeOfCode(row.ticket.field(TicketField::BetType)[0]);
  if (!type) {
    row.reason = "券種がありません";
    return;
  }
  std::int32_t amounts[2] = {0, 0};
  const ImportField fields[2] = {ImportField::Stake, ImportField::Payout};
  for (int i = 0; i < 2; ++i) {
    const auto value = amountOf(field(fields[i]));
    if (const auto* why = std::get_if<std::string>(&value)) {
      row.reason = *why;
      return;
    }
    amounts[i] = std::get<std::int32_t>(value);
  }
  setAmountField(row.ticket, TicketField::Purchase, amounts[0]);
  setAmountField(row.ticket, TicketField::Payout, amounts[1]);
  row.amounts.stake[static_cast<std::size_t>(index(*type))] = amounts[0];
  row.amounts.payout[static_cast<std::size_t>(index(*type))] = amounts[1];
  row.fate = RowFate::Add;
}

void dayRow(ImportRow& row, const RowReader& field) {
  for (const BetTypeInfo& bet : kBetTypes) {
    const auto i = static_cast<std::size_t>(index(bet.type));
    for (const bool stake : {true, false}) {
      const auto value =
          amountOf(field(stake ? dayStakeField(bet.type) : dayPayoutField(bet.type)));
      if (const auto* why = std::get_if<std::string>(&value)) {
        row.reason = *why;
        return;
      }
      (stake ? row.amounts.stake : row.amounts.payout)[i] = std::get<std::int32_t>(value);
    }
  }
  row.fate = RowFate::Add;
}

constexpr std::size_t slotKey(int month, int day) {
  return static_cast<std::size_t>((month - 1) * kSlotsPerMonth + (day - 1));
}

}  // namespace

std::string ImportRefusal::text() const {
  return line > 0 ? lineText(line) + ": " + message : message;
}

std::variant<ImportEncoding, ImportRefusal> sniffImport(std::string_view bytes) {
  const bool bom = bytes.starts_with(kBom);
  int firstUtf8 = 0;      // a line of UTF-8 that Shift_JIS cannot read
  int firstShiftJis = 0;  // a line that is not UTF-8 but Shift_JIS
  const auto refusal = scanLines(
      bytes, ImportLimits{},
      [&](std::string_view line, int number, bool) {
        const LineFault fault = lineFault(line);
        if (fault != LineFault::None && fault != LineFault::NotUtf8)
          return refusalOf(fault, number);
        if (asciiOnly(line)) return std::optional<ImportRefusal>{};
        const bool utf8 = fault == LineFault::None;
        const bool shiftJis = validShiftJis(line);
        if (!utf8 && !shiftJis) {
          return std::optional<ImportRefusal>{
              ImportRefusal{number, "UTF-8でもShift_JISでもない文字があります"}};
        }
        if (utf8 && !shiftJis && firstUtf8 == 0) firstUtf8 = number;
        if (!utf8 && firstShiftJis == 0) firstShiftJis = number;
        if (firstUtf8 != 0 && firstShiftJis != 0) {
          return std::optional<ImportRefusal>{ImportRefusal{std::max(firstUtf8, firstShiftJis),
                                                            "UTF-8とShift_JISが混ざっています"}};
        }
        return std::optional<ImportRefusal>{};
      },
      [](std::size_t, int) { return std::string_view::npos; });
  if (refusal) return *refusal;
  if (firstShiftJis != 0) {
    if (bom) return ImportRefusal{firstShiftJis, "BOMがあるのにUTF-8ではありません"};
    return ImportEncoding::ShiftJis;
  }
  return bom ? ImportEncoding::Utf8Bom : ImportEncoding::Utf8;
}

std::optional<ImportRefusal> checkImportLimits(std::string_view bytes) {
  return scanLines(
      bytes, ImportLimits{},
      [](std::string_view, int, bool) { return std::optional<ImportRefusal>{}; },
      [](std::size_t, int) { return std::string_view::npos; });
}

// Reads records straight into their places, each line checked just before
// it is split, so that the text is gone through once.
class ImportRecordsReader {
 public:
  static std::variant<ImportRecords, ImportRefusal> read(std::string_view utf8, ImportLimits limits,
                                                         bool shortcuts) {
    ImportRecordsReader reader;
    reader.limits_ = limits;
    if (auto refusal = reader.readAll(utf8, shortcuts)) return *refusal;
    return std::move(reader.out_);
  }

 private:
  // The separator the first line uses most, outside quotes.
  static char separatorOf(std::string_view text) {
    int commas = 0;
    int tabs = 0;
    bool quoted = false;
    for (const char c : text.substr(0, text.find('\n'))) {
      if (c == '"') quoted = !quoted;
      if (quoted) continue;
      commas += c == ',';
      tabs += c == '\t';
    }
    return tabs > 0 && tabs >= commas ? '\t' : ',';
  }

  std::optional<ImportRefusal> readAll(std::string_view utf8, bool shortcuts) {
    if (utf8.size() > limits_.bytes) return tooLarge();
    // The lines go without the BOM: the places are counted from after it.
    std::string_view text = utf8;
    if (text.starts_with(kBom)) text.remove_prefix(kBom.size());
    out_.text_ = text;
    out_.separator_ = separatorOf(text);
    // A record of the reports is some ninety bytes and fourteen fields.
    out_.places_.reserve(text.size() / 6);
    out_.first_.reserve(text.size() / 64 + 2);
    out_.lines_.reserve(text.size() / 64 + 1);
    int start = 1;
    classify();
    auto refusal = scanLines(
        utf8, limits_,
        [&](std::string_view line, int number, bool ended) {
          if (auto fault = refusalOf(lineFault(line), number)) return fault;
          if (!quoted_) start = number;
          if (splitLine(line, ended)) endRecord(start);
          return std::optional<ImportRefusal>{};
        },
        [&](std::size_t at, int number) {
          if (!shortcuts || quoted_) return std::string_view::npos;
          const std::size_t after = wholeLine(at);
          if (after != std::string_view::npos) endRecord(number);
          return after;
        });
    if (refusal) return refusal;
    if (quoted_) return ImportRefusal{start, "引用符 \" が閉じていません"};
    return std::nullopt;
  }

  // What a byte is to wholeLine.
  enum Kind : std::uint8_t {
    kPlain,      // a character of a field
    kSeparator,  // the separator
    kLf,         // the line's end
    kCr,         // the CR of a CR LF, or a lone one
    kThree,      // the lead of three bytes
    kEf,         // the same, or of a BOM
    kOther,      // anything the line-by-line way must see to
  };

  void classify() {
    kinds_.fill(kOther);
    for (int c = 0x20; c < 0x7F; ++c) kinds_[static_cast<std::size_t>(c)] = kPlain;
    kinds_['\t'] = kPlain;
    kinds_['"'] = kOther;
    kinds_[static_cast<unsigned char>(out_.separator_)] = kSeparator;
    kinds_['\n'] = kLf;
    kinds_['\r'] = kCr;
    for (int c = 0xE1; c <= 0xEE; ++c) kinds_[static_cast<std::size_t>(c)] = kThree;
    kinds_[0xED] = kOther;
    kinds_[0xEF] = kEf;
  }

  // The line from `at` split in one go when it is the common kind: within
  // its length, no quote, no control character, no BOM, only ASCII and
  // three-byte UTF-8 (kana, kanji, full-width forms). Such a line is one
  // record whose fields lie between its separators, as splitLine would find
  // them, and lineFault would find nothing in it. The offset after it; npos,
  // nothing added, for any other line.
  std::size_t wholeLine(std::size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(out_.text_.data());
    const std::size_t n = out_.text_.size();
    const std::size_t mark = out_.places_.size();
    std::size_t field = at;
    std::size_t i = at;
    std::size_t end = n;  // of the line, its CR left off
    std::size_t after = n;
#if TAMREL_SSE2
    std::size_t bytewise = at;  // the sixteen bytes from here were not a clean block
#endif
    while (i < n) {
#if TAMREL_SSE2
      if (i >= bytewise && i + 16 <= n) {
        const std::size_t taken = cleanBlock(p, i, field);
        if (taken != 0) {
          i += taken;
          continue;
        }
        bytewise = i + 16;
      }
#endif
      const unsigned char c = p[i];
      const Kind kind = kinds_[c];
      // The kinds as often as a line of the reports holds them.
      if (kind == kThree || (kind == kEf && !(i + 2 < n && p[i + 1] == 0xBB && p[i + 2] == 0xBF))) {
        if (i + 2 < n && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80) {
          i += 3;
          continue;
        }
      } else if (kind == kPlain) {
        ++i;
        continue;
      } else if (kind == kSeparator) {
        addPlace(static_cast<std::uint32_t>(field), i - field);
        field = ++i;
        continue;
      } else if (kind == kLf || (kind == kCr && (i + 1 == n || p[i + 1] == '\n'))) {
        end = i;
        after = std::min(i + (kind == kCr ? 2 : 1), n);
        break;
      }
      // Not the common kind.
      out_.places_.resize(mark);
      blank_ = true;
      return std::string_view::npos;
    }
    if (end - at > limits_.line) {
      out_.places_.resize(mark);
      blank_ = true;
      return std::string_view::npos;
    }
    addPlace(static_cast<std::uint32_t>(field), end - field);
    return after;
  }

#if TAMREL_SSE2
  // Sixteen bytes from `i` (a character's start) at once, as the byte loop
  // of wholeLine would take them: printable ASCII, separators and whole
  // three-byte characters of its kinds (a character cut by the block's end
  // is left to the next). The bytes taken, their fields added; 0, nothing
  // added, when any of them is something else (a line's end, a quote, a
  // control character, a BOM, other UTF-8 or none).
  std::size_t cleanBlock(const unsigned char* p, std::size_t i, std::size_t& field) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const auto mask = [](__m128i m) { return static_cast<unsigned>(_mm_movemask_epi8(m)); };
    const auto bytes = [](int b) { return _mm_set1_epi8(static_cast<char>(b)); };
    const __m128i zero = _mm_setzero_si128();
    const unsigned high = mask(v);
    const unsigned control =
        mask(_mm_cmpgt_epi8(bytes(0x20), v)) & ~high & ~mask(_mm_cmpeq_epi8(v, bytes('\t')));
    const unsigned special =
        control | mask(_mm_cmpeq_epi8(v, bytes('"'))) | mask(_mm_cmpeq_epi8(v, bytes(0x7F)));
    // Leads E1..EF but ED: above E0, not above EF.
    const unsigned lead = ~mask(_mm_cmpeq_epi8(_mm_subs_epu8(v, bytes(0xE0)), zero)) &
                          mask(_mm_cmpeq_epi8(_mm_subs_epu8(v, bytes(0xEF)), zero)) &
                          ~mask(_mm_cmpeq_epi8(v, bytes(0xED))) & 0xFFFFu;
    const unsigned cont = mask(_mm_cmpeq_epi8(_mm_and_si128(v, bytes(0xC0)), bytes(0x80)));
    const unsigned bom = mask(_mm_cmpeq_epi8(v, bytes(0xEF))) &
                         (mask(_mm_cmpeq_epi8(v, bytes(0xBB))) >> 1) &
                         (mask(_mm_cmpeq_epi8(v, bytes(0xBF))) >> 2);
    const unsigned other = high & ~lead & ~cont;
    // A character begun in the last two bytes is left to the next block.
    const unsigned open = lead & 0xC000u;
    const std::size_t taken = open == 0 ? 16 : static_cast<std::size_t>(__builtin_ctz(open));
    const unsigned keep = (1u << taken) - 1;
    const unsigned inside = lead & keep;
    const unsigned expected = (inside << 1) | (inside << 2);
    // (A character begun inside but ending beyond `keep` fails the last test.)
    if (((special | other | bom) & keep) != 0 || (cont & keep) != expected) {
      return 0;
    }
    for (unsigned separators = mask(_mm_cmpeq_epi8(v, bytes(out_.separator_))) & keep;
         separators != 0; separators &= separators - 1) {
      const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(separators));
      addPlace(static_cast<std::uint32_t>(field), at - field);
      field = at + 1;
    }
    return taken;
  }
#endif

  void addPlace(std::uint32_t begin, std::size_t size) {
    out_.places_.push_back({begin, static_cast<std::uint32_t>(size)});
    blank_ = blank_ && size == 0;
  }

  void endRecord(int line) {
    if (blank_) {
      out_.places_.resize(out_.first_.back());
    } else {
      out_.first_.push_back(static_cast<std::uint32_t>(out_.places_.size()));
      out_.lines_.push_back(line);
    }
    blank_ = true;
  }

  // The fields of one line (its end left off) as RFC 4180 says; true when
  // the record ends with it, false when a quoted field goes on past it.
  bool splitLine(std::string_view line, bool ended) {
    const char separator = out_.separator_;
    const auto base = static_cast<std::uint32_t>(line.data() - out_.text_.data());
    std::string& unquoted = out_.unquoted_;
    std::size_t i = 0;
    while (true) {
      if (!quoted_) {
        if (i < line.size() && line[i] == '"') {
          quoted_ = true;
          fieldStart_ = unquoted.size();
          ++i;
        } else {
          // A field without quotes: its place in the text.
          std::size_t stop = line.find(separator, i);
          if (stop == std::string_view::npos) stop = line.size();
          addPlace(base + static_cast<std::uint32_t>(i), stop - i);
          if (stop == line.size()) return true;
          i = stop + 1;
          continue;
        }
      }
      // Inside quotes: up to the closing quote, "" standing for one, the
      // line's end kept when the field goes on.
      while (true) {
        const std::size_t quote = line.find('"', i);
        if (quote == std::string_view::npos) {
          unquoted.append(line.substr(i));
          // The CR of a CR LF was taken off the line; it belongs to the field.
          const char* end = line.data() + line.size();
          if (ended) unquoted.append(end, *end == '\r' ? 2 : 1);
          return false;
        }
        unquoted.append(line.substr(i, quote - i));
        if (quote + 1 < line.size() && line[quote + 1] == '"') {
          unquoted += '"';
          i = quote + 2;
          continue;
        }
        i = quote + 1;
        quoted_ = false;
        break;
      }
      // Whatever follows the closing quote up to the separator is the
      // field's too, quotes included.
      std::size_t stop = line.find(separator, i);
      if (stop == std::string_view::npos) stop = line.size();
      unquoted.append(line.substr(i, stop - i));
      addPlace(static_cast<std::uint32_t>(fieldStart_) | ImportRecords::kUnquoted,
               unquoted.size() - fieldStart_);
      if (stop == line.size()) return true;
      i = stop + 1;
    }
  }

  ImportLimits limits_;
  ImportRecords out_;
  std::array<Kind, 256> kinds_{};
  bool quoted_ = false;
  bool blank_ = true;
  std::size_t fieldStart_ = 0;  // in out_.unquoted_, of a field that had quotes
};

std::variant<ImportRecords, ImportRefusal> readImportRecords(std::string_view utf8,
                                                             ImportLimits limits) {
  return ImportRecordsReader::read(utf8, limits, kShortcuts);
}

std::optional<ImportField> fieldOfCaption(std::string_view caption) {
  const std::string folded = fold(caption);
  for (const HeaderName& name : kHeaderNames) {
    if (folded == fold(name.caption)) return name.field;
  }
  // A bet type's name followed by a word for stake or payout.
  for (const bool stake : {true, false}) {
    for (const std::string_view word : stake ? std::span<const std::string_view>(kStakeWords)
                                             : std::span<const std::string_view>(kPayoutWords)) {
      if (!folded.ends_with(word) || folded.size() == word.size()) continue;
      const auto type = betTypeOfName(folded.substr(0, folded.size() - word.size()));
      if (type) return stake ? dayStakeField(*type) : dayPayoutField(*type);
    }
  }
  return std::nullopt;
}

ColumnMap mapHeader(const ImportRecords& records) {
  ColumnMap map;
  for (std::size_t c = 0; !records.empty() && c < records.fieldCount(0); ++c) {
    const auto field = fieldOfCaption(records.field(0, c));
    if (field && map[*field] < 0) map[*field] = static_cast<int>(c);
  }
  return map;
}

std::variant<ImportKind, std::string> kindOf(const ColumnMap& map) {
  const bool date =
      map[ImportField::Date] >= 0 || (map[ImportField::Month] >= 0 && map[ImportField::Day] >= 0);
  if (!date) return std::string("日付（または月と日）の列がありません");
  bool dayColumns = false;
  for (const BetTypeInfo& bet : kBetTypes) {
    dayColumns =
        dayColumns || map[dayStakeField(bet.type)] >= 0 || map[dayPayoutField(bet.type)] >= 0;
  }
  if (dayColumns) return ImportKind::DayAmounts;
  if (map[ImportField::BetType] >= 0 && map[ImportField::Stake] >= 0) return ImportKind::Tickets;
  return std::string("券種と購入金額の列、または券種ごとの金額の列がありません");
}

std::string_view fateCaption(RowFate fate) {
  switch (fate) {
    case RowFate::Add:
      return "追加";
    case RowFate::Same:
      return "同じものがある";
    case RowFate::Overwrite:
      return "上書き";
    case RowFate::Error:
      return "エラー";
  }
  return {};
}

ImportPlan planImport(const ImportRecords& records, const ColumnMap& map, ImportKind kind,
                      const YearLedger& ledger, const TicketStore& tickets, int year,
                      bool headerRow) {
  ImportPlan plan;
  plan.kind = kind;
  plan.rows.reserve(records.size());
  // The stored tickets still unmatched, by their text: each file row that is
  // the same as one takes it, so a ticket bought twice is two rows. The
  // texts are the store's own, which outlives the plan's making.
  std::unordered_map<std::string_view, int> stored;
  std::array<int, 12> monthCount{};
  std::array<int, 12 * kSlotsPerMonth> dayCount{};
  std::array<int, 12 * kSlotsPerMonth> dayRowLine{};
  if (kind == ImportKind::Tickets) {
    for (int m = 1; m <= 12; ++m) {
      const MonthTickets& month = tickets.month(m);
      for (int i = 0; i < std::clamp<int>(month.count, 0, kMaxMonthTickets); ++i) {
        const TicketRecord& t = month.slot(i);
        if (t.isBlank()) continue;
        ++stored[t.view()];
        ++monthCount[static_cast<std::size_t>(m - 1)];
        const auto d = smallNumber(t.field(TicketField::Day));
        if (d && *d >= 1 && *d <= kSlotsPerMonth) ++dayCount[slotKey(m, *d)];
      }
    }
  }
  for (std::size_t r = headerRow ? 1 : 0; r < records.size(); ++r) {
    ImportRow& row = plan.rows.emplace_back();
    row.line = records.line(r);
    const RowReader field{records, r, map};
    const auto date = rowDate(field, map, year);
    if (const auto* why = std::get_if<std::string>(&date)) {
      row.reason = *why;
    } else {
      row.month = std::get<Date>(date).month;
      row.day = std::get<Date>(date).day;
      if (kind == ImportKind::Tickets) {
        ticketRow(row, field);
      } else {
        dayRow(row, field);
      }
    }
    if (row.fate == RowFate::Add && kind == ImportKind::Tickets) {
      const auto found = stored.empty() ? stored.end() : stored.find(row.ticket.view());
      int& inMonth = monthCount[static_cast<std::size_t>(row.month - 1)];
      int& inDay = dayCount[slotKey(row.month, row.day)];
      if (found != stored.end() && found->second > 0) {
        --found->second;
        row.fate = RowFate::Same;
      } else if (inMonth >= kMaxMonthTickets) {
        row.fate = RowFate::Error;
        row.reason = "月の馬券が" + std::to_string(kMaxMonthTickets) + "枚を超えます";
      } else if (inDay >= kMaxDayTickets) {
        row.fate = RowFate::Error;
        row.reason = "日の馬券が" + std::to_string(kMaxDayTickets) + "枚を超えます";
      } else {
        ++inMonth;
        ++inDay;
      }
    } else if (row.fate == RowFate::Add) {
      int& earlier = dayRowLine[slotKey(row.month, row.day)];
      const std::optional<BetAmounts> now = betAmounts(daySlot(ledger, row.month, row.day));
      if (earlier != 0) {
        row.fate = RowFate::Error;
        row.reason = "同じ日の行が" + lineText(earlier) + "にあります";
      } else if (!now) {
        row.fate = RowFate::Error;
        row.reason = "この日の金額が読めません";
      } else if (*now == row.amounts) {
        row.fate = RowFate::Same;
      } else if (*now != BetAmounts{}) {
        row.fate = RowFate::Overwrite;
      }
      if (earlier == 0) earlier = row.line;
    }
    if (row.fate == RowFate::Add || row.fate == RowFate::Overwrite) {
      for (std::size_t i = 0; i < kBetTypeCount; ++i) {
        plan.stake += row.amounts.stake[i];
        plan.payout += row.amounts.payout[i];
      }
    }
    ++plan.counts[static_cast<std::size_t>(row.fate)];
  }
  return plan;
}

std::variant<ImportPlan, ImportRefusal> readImport(std::string_view utf8, const YearLedger& ledger,
                                                   const TicketStore& tickets, int year) {
  auto read = readImportRecords(utf8);
  if (auto* refusal = std::get_if<ImportRefusal>(&read)) return *refusal;
  const ImportRecords& records = std::get<ImportRecords>(read);
  if (records.empty()) return ImportRefusal{0, "取り込む行がありません"};
  const ColumnMap map = mapHeader(records);
  const auto kind = kindOf(map);
  if (const auto* why = std::get_if<std::string>(&kind)) {
    return ImportRefusal{records.line(0), *why};
  }
  return planImport(records, map, std::get<ImportKind>(kind), ledger, tickets, year);
}

int acceptedRows(const ImportPlan& plan, const ImportOptions& options) {
  return plan.count(RowFate::Add) + (options.overwrite ? plan.count(RowFate::Overwrite) : 0);
}

bool applyImport(const ImportPlan& plan, const ImportOptions& options, YearLedger& ledger,
                 TicketStore& tickets) {
  const auto accepted = [&](const ImportRow& row) {
    return row.fate == RowFate::Add || (options.overwrite && row.fate == RowFate::Overwrite);
  };
  if (plan.kind == ImportKind::DayAmounts) {
    for (const ImportRow& row : plan.rows) {
      if (!accepted(row)) continue;
      BetAmounts baseline;
      if (!showDay(ledger, baseline, row.month, row.day)) return false;
      if (postDay(ledger, baseline, row.month, row.day, row.amounts) != PostResult::Ok) {
        return false;
      }
    }
    return true;
  }
  // Each day's new tickets after its stored ones, days in the order the file
  // first names them; a day's amounts take its new tickets' sums.
  std::vector<std::pair<int, int>> days;
  std::map<std::pair<int, int>, std::vector<const ImportRow*>> byDay;
  for (const ImportRow& row : plan.rows) {
    if (!accepted(row)) continue;
    auto& list = byDay[{row.month, row.day}];
    if (list.empty()) days.emplace_back(row.month, row.day);
    list.push_back(&row);
  }
  for (const auto& [month, day] : days) {
    const auto& rows = byDay[{month, day}];
    auto list = std::make_unique<DayTicketList>();
    if (loadDayTickets(tickets, month, day, *list) != TransferResult::Ok) return false;
    BetAmounts added;
    for (const ImportRow* row : rows) {
      if (list->count >= kMaxDayTickets) return false;
      list->entries[static_cast<std::size_t>(list->count++)] = row->ticket;
      for (std::size_t i = 0; i < kBetTypeCount; ++i) {
        const auto stake = checkedAdd(added.stake[i], row->amounts.stake[i]);
        const auto payout = checkedAdd(added.payout[i], row->amounts.payout[i]);
        if (!stake || !payout) return false;
        added.stake[i] = *stake;
        added.payout[i] = *payout;
      }
    }
    if (storeDayTickets(tickets, month, day, *list) != TransferResult::Ok) return false;
    if (!options.addToDays) continue;
    BetAmounts baseline;
    if (!showDay(ledger, baseline, month, day)) return false;
    BetAmounts sums = baseline;
    for (std::size_t i = 0; i < kBetTypeCount; ++i) {
      const auto stake = checkedAdd(sums.stake[i], added.stake[i]);
      const auto payout = checkedAdd(sums.payout[i], added.payout[i]);
      if (!stake || !payout) return false;
      sums.stake[i] = *stake;
      sums.payout[i] = *payout;
    }
    if (postDay(ledger, baseline, month, day, sums) != PostResult::Ok) return false;
  }
  return true;
}

namespace import_detail {

std::optional<char> cellCode(Attribute a, std::string_view text) {
  for (std::size_t i = 0; i < std::size(kAttributeColumns); ++i) {
    if (kAttributeColumns[i].attribute == a) return attributeCode(i, text);
  }
  return std::nullopt;
}

std::optional<char> cellCodeByRule(Attribute a, std::string_view text) {
  return attributeCodeByRule(a, text);
}

std::variant<std::int32_t, std::string> cellAmount(std::string_view text) { return amountOf(text); }

std::variant<std::int32_t, std::string> cellAmountByRule(std::string_view text) {
  return amountByRule(text);
}

std::variant<ImportRecords, ImportRefusal> readImportRecordsByRule(std::string_view utf8,
                                                                   ImportLimits limits) {
  return ImportRecordsReader::read(utf8, limits, false);
}

}  // namespace import_detail

}  // namespace tamrel
