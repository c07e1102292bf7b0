#pragma once
// 取り込み: days and tickets from comma- or tab-separated text (a file or the
// clipboard), checked row by row against the year before anything changes.
// Every code, date and amount goes through the same tables and rules the
// entry windows use; this only finds which column holds what.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "detail/ticket_records.h"
#include "ledger/ledger_records.h"

namespace tamrel {

// Limits against runaway input: a season of tickets is some hundreds of
// kilobytes, a record a few dozen characters.
inline constexpr std::size_t kImportMaxBytes = 8 * 1024 * 1024;
inline constexpr std::size_t kImportMaxLine = 4 * 1024;
// The largest amount a row may give, as the entry windows take.
inline constexpr std::int32_t kImportMaxAmount = 999'999'999;

enum class ImportEncoding { Utf8, Utf8Bom, ShiftJis };

// How large a text and each of its lines may be. A file is held to the
// defaults as its bytes stand; converted to UTF-8 it may grow (see
// text_decoding.h), and is then read by larger ones.
struct ImportLimits {
  std::size_t bytes = kImportMaxBytes;
  std::size_t line = kImportMaxLine;
};

// Why the input as a whole is refused; `line` (1-based) names where, 0 when
// it is the whole input (its size).
struct ImportRefusal {
  int line = 0;
  std::string message;
  // The message with its line, as a box shows it.
  std::string text() const;
};

// The encoding of a file's bytes, or why they cannot be text at all (too
// large, a NUL, binary data, a line too long, a BOM in the middle, bytes
// that are neither UTF-8 nor Shift_JIS, both encodings in one file).
std::variant<ImportEncoding, ImportRefusal> sniffImport(std::string_view bytes);
// Only the limits of sniffImport: the size, then each line's length.
std::optional<ImportRefusal> checkImportLimits(std::string_view bytes);

// The records of UTF-8 text (a leading BOM skipped), split by the separator
// of its first line (a tab when it has as many tabs as commas or more), fields
// unquoted as RFC 4180 says; each with the line it starts on. Blank records
// are left out. The same checks as sniffImport, for pasted text too.
//
// A field is its place in the text itself: only one that had quotes to take
// away is copied, into one buffer the records own. A season of tickets is
// some hundred thousand fields. The text must outlive the records and stay
// where it is (a moved std::string may move its characters).
class ImportRecords {
 public:
  char separator() const { return separator_; }
  std::size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }
  // The line (1-based) record `r` starts on.
  int line(std::size_t r) const { return lines_[r]; }
  std::size_t fieldCount(std::size_t r) const { return first_[r + 1] - first_[r]; }
  // Field `c` of record `r`; empty beyond its last.
  std::string_view field(std::size_t r, std::size_t c) const {
    const std::size_t at = first_[r] + c;
    if (at >= first_[r + 1]) return {};
    const Place p = places_[at];
    const char* base = (p.begin & kUnquoted) != 0 ? unquoted_.data() : text_.data();
    return {base + (p.begin & ~kUnquoted), p.size};
  }

 private:
  friend class ImportRecordsReader;
  // Where a field is: in the text, or with kUnquoted in `unquoted_`.
  static constexpr std::uint32_t kUnquoted = 1u << 31;
  struct Place {
    std::uint32_t begin;
    std::uint32_t size;
  };
  std::string_view text_;
  std::string unquoted_;
  std::vector<Place> places_;
  std::vector<std::uint32_t> first_{0};  // each record's first place, and the end
  std::vector<int> lines_;
  char separator_ = ',';
};
std::variant<ImportRecords, ImportRefusal> readImportRecords(std::string_view utf8,
                                                             ImportLimits limits = {});

// What a column can hold.
enum class ImportField : int {
  Date,  // "2026/3/5", "2026-03-05", "3/5", "3月5日"
  Month,
  Day,
  Racecourse,
  RaceNo,
  Weekday,
  Surface,
  DistanceBand,
  AgeGroup,
  RaceClass,
  Condition,
  RunnersBand,
  BetType,
  Stake,
  Payout,
  // A day's stake and payout of each bet type, in bet type order.
  DayStakeFirst,
  DayPayoutFirst = DayStakeFirst + kBetTypeCount,
  Count = DayPayoutFirst + kBetTypeCount,
};
inline constexpr int kImportFieldCount = static_cast<int>(ImportField::Count);

constexpr ImportField dayStakeField(BetType t) {
  return static_cast<ImportField>(static_cast<int>(ImportField::DayStakeFirst) + index(t));
}
constexpr ImportField dayPayoutField(BetType t) {
  return static_cast<ImportField>(static_cast<int>(ImportField::DayPayoutFirst) + index(t));
}

// One row a ticket, or one row a day's amounts.
enum class ImportKind { Tickets, DayAmounts };

// The column (0-based) of each field, -1 for none.
struct ColumnMap {
  std::array<int, kImportFieldCount> column;
  ColumnMap() { column.fill(-1); }
  int& operator[](ImportField f) { return column[static_cast<std::size_t>(f)]; }
  int operator[](ImportField f) const { return column[static_cast<std::size_t>(f)]; }
};

// The field a header caption names: the captions the reports write and
// their common variants, full-width letters and blanks aside; nullopt for
// any other caption.
std::optional<ImportField> fieldOfCaption(std::string_view caption);
// The columns of the first record as a header row; the first column of a
// field wins.
ColumnMap mapHeader(const ImportRecords& records);
// The kind a mapping reads, or why it reads none.
std::variant<ImportKind, std::string> kindOf(const ColumnMap& map);

// What becomes of a row.
enum class RowFate {
  Add,        // 追加
  Same,       // 同じものがある: skipped
  Overwrite,  // 上書き: a day that holds other amounts, only when the user agrees
  Error,      // エラー: `reason` says why
};
std::string_view fateCaption(RowFate fate);

struct ImportRow {
  int line = 0;
  RowFate fate = RowFate::Error;
  std::string reason;
  int month = 0;
  int day = 0;
  TicketRecord ticket;  // Tickets
  BetAmounts amounts;   // DayAmounts: the row's; Tickets: the ticket's alone
};

struct ImportPlan {
  ImportKind kind = ImportKind::Tickets;
  std::vector<ImportRow> rows;
  // Rows of each fate, and the stake and payout of the rows to be added or
  // written over.
  std::array<int, 4> counts{};
  std::int64_t stake = 0;
  std::int64_t payout = 0;
  int count(RowFate f) const { return counts[static_cast<std::size_t>(f)]; }
};

// Each record after the header row (each from the first without one)
// against the year as it stands. `year` is the calendar year of the folder
// (0 when unknown): a date of another year is an error, and with a year 29
// February is checked against it.
ImportPlan planImport(const ImportRecords& records, const ColumnMap& map, ImportKind kind,
                      const YearLedger& ledger, const TicketStore& tickets, int year,
                      bool headerRow = true);

// The whole way from text to plan with the header's own mapping.
std::variant<ImportPlan, ImportRefusal> readImport(std::string_view utf8, const YearLedger& ledger,
                                                   const TicketStore& tickets, int year);

struct ImportOptions {
  // Tickets: add each ticket's amounts to its day's amounts as well.
  bool addToDays = false;
  // DayAmounts: write the 上書き rows; otherwise they are skipped.
  bool overwrite = false;
};

// The rows that would be applied with `options`.
int acceptedRows(const ImportPlan& plan, const ImportOptions& options);

// Applies the accepted rows to the stores; false when one cannot be (a
// day's or month's tickets full, an amount out of range), the stores then
// partly changed: apply to copies and keep them only on success.
bool applyImport(const ImportPlan& plan, const ImportOptions& options, YearLedger& ledger,
                 TicketStore& tickets);

namespace import_detail {
// How a cell is read. Each reader takes a shortcut for the plain texts the
// reports write (with TAMREL_SIMD) and otherwise goes by the rule alone;
// the ...ByRule twins are the rule alone, so that tests and the fuzz target
// can hold the shortcuts against it in any build.
//
// The code of an attribute's cell: blank for an empty cell, nullopt for
// text that names no code.
std::optional<char> cellCode(Attribute a, std::string_view text);
std::optional<char> cellCodeByRule(Attribute a, std::string_view text);
// The amount of a cell (0 for an empty one), or the reason it is none.
std::variant<std::int32_t, std::string> cellAmount(std::string_view text);
std::variant<std::int32_t, std::string> cellAmountByRule(std::string_view text);
// The records, each line checked and split by the rule (readImportRecords
// takes the common kind of line in one go).
std::variant<ImportRecords, ImportRefusal> readImportRecordsByRule(std::string_view utf8,
                                                                   ImportLimits limits = {});
}  // namespace import_detail

}  // namespace tamrel
