#pragma once
// Ticket records, their attribute code tables, the per-month ticket tables
// and the working list of the day being edited.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "ledger/ledger_records.h"

namespace tamrel {

// The fields of a ticket record, in column order.
enum class TicketField {
  Month,         // cols 1-2 ("  " marks a blank record)
  Day,           // cols 4-5
  Racecourse,    // col 7
  RaceNo,        // col 9
  Weekday,       // col 11
  Surface,       // col 13
  DistanceBand,  // col 15
  RaceClass,     // col 17
  Purchase,      // cols 19-28
  Payout,        // cols 30-39
  BetType,       // col 41
  AgeGroup,      // col 43
  Condition,     // col 45
  RunnersBand,   // col 47
};

struct FieldSpan {
  int column;  // 1-based
  int width;
};

// Constant, so that a pass over every ticket reads a field at a fixed offset.
inline constexpr std::array<FieldSpan, 14> kTicketFieldSpans{{
    {1, 2},    // Month
    {4, 2},    // Day
    {7, 1},    // Racecourse
    {9, 1},    // RaceNo
    {11, 1},   // Weekday
    {13, 1},   // Surface
    {15, 1},   // DistanceBand
    {17, 1},   // RaceClass
    {19, 10},  // Purchase
    {30, 10},  // Payout
    {41, 1},   // BetType
    {43, 1},   // AgeGroup
    {45, 1},   // Condition
    {47, 1},   // RunnersBand
}};

constexpr FieldSpan fieldSpan(TicketField f) {
  return kTicketFieldSpans[static_cast<std::size_t>(f)];
}

// One ticket: the 47 characters of its line in "info.dat". Stored, copied and
// compared as text; fields are read by column and written in place.
struct TicketRecord {
  static constexpr std::size_t kWidth = 47;
  std::array<char, kWidth> text;

  TicketRecord() { text.fill(' '); }

  std::string_view view() const { return {text.data(), text.size()}; }
  std::string_view field(TicketField f) const;
  // Writes exactly the field's columns: `value` is cut or padded with blanks
  // to the field width; the rest of the record is unchanged.
  void setField(TicketField f, std::string_view value);
  // A blank record (month "  ") is never written, counted or shown.
  bool isBlank() const { return text[0] == ' ' && text[1] == ' '; }
  void markBlank() { text[0] = text[1] = ' '; }

  friend bool operator==(const TicketRecord&, const TicketRecord&) = default;
};

// Attributes stored as one code character each.
enum class Attribute {
  Racecourse,
  RaceNo,
  Weekday,
  Surface,
  DistanceBand,
  RaceClass,
  BetType,
  AgeGroup,
  Condition,
  RunnersBand,
};

struct CodeCaption {
  char code;
  std::string_view caption;
};

// The code table of an attribute, in list order.
std::span<const CodeCaption> codeTable(Attribute a);
// Caption of a code; empty when the code is not in the table.
std::string_view captionOf(Attribute a, char code);
// Code of a caption (exact match); nullopt when the text is no caption.
std::optional<char> codeOf(Attribute a, std::string_view caption);
// The record field that holds an attribute.
TicketField fieldOf(Attribute a);

// Caption of the attribute's code in a record; empty for an unknown code.
std::string_view captionOf(Attribute a, const TicketRecord& record);

// Where a code stands in its attribute's list (１Ｒ before １０Ｒ, 札幌
// before 小倉); a code not in the list comes after every listed one.
int codeRank(Attribute a, char code);

// Date and race order: month, day, race number, then racecourse. Tickets
// equal in all four keep the order they were entered in when sorted stably
// (std::stable_sort), as the user typed a race's tickets.
bool ticketBefore(const TicketRecord& a, const TicketRecord& b);

// The bet type of a code "1".."7"; nullopt otherwise.
std::optional<tamrel::BetType> betTypeOfCode(char code);
// The code "1".."7" of a bet type.
char codeOfBetType(BetType type);

// The value of an amount field (Purchase, Payout) by the shared parsing rule;
// nullopt when the text holds a number outside the 32-bit range.
std::optional<std::int32_t> amountField(const TicketRecord& record, TicketField f);
// Writes an amount in its stored ten-character form; false (record
// unchanged) when the value cannot be stored.
bool setAmountField(TicketRecord& record, TicketField f, std::int32_t value);

// A record of the given month and day with every "," separator in place and
// the other fields blank, ready to have its fields written.
TicketRecord newTicket(int month, int day);

// A month or day as two digits ("05"), as the records hold them.
std::array<char, 2> twoDigits(int value);

// The header line's record ("00" month and day), carried unchanged.
using TicketHeader = TicketRecord;

inline constexpr int kMonthSlots = 500;
inline constexpr int kMaxMonthTickets = kMonthSlots - 1;  // one slot is the end marker

// The slot array is not named "slots": Qt code includes this header.
struct MonthTickets {
  std::array<TicketRecord, kMonthSlots>
      records;  // live: 0 .. count-1; slot count is the end marker
  std::int16_t count = 0;

  TicketRecord& slot(int i) { return records[static_cast<std::size_t>(i)]; }
  const TicketRecord& slot(int i) const { return records[static_cast<std::size_t>(i)]; }
};

struct TicketStore {
  TicketHeader header;
  std::array<MonthTickets, 12> months;  // index month - 1

  MonthTickets& month(int m) { return months[static_cast<std::size_t>(m - 1)]; }
  const MonthTickets& month(int m) const { return months[static_cast<std::size_t>(m - 1)]; }
};

// How many live tickets there are, and how many of them are hits (a payout
// above 0; an amount out of range is none).
struct TicketCounts {
  int count = 0;
  int hits = 0;
};

// Resets the header (columns 1-41) and empties every month.
void clearTickets(TicketStore& store);

inline constexpr int kDayListSlots = 201;
inline constexpr int kMaxDayTickets = 200;

// The tickets of the day being edited: entry i is row i + 1 of the ticket
// grid, deleted tickets included as blank entries.
struct DayTicketList {
  std::array<TicketRecord, kDayListSlots> entries;
  std::int16_t count = 0;
};

// Blanks an entry in place: columns 1-2 and 6-47 become spaces; the day keeps
// the entry in its day and row.
void blankEntry(TicketRecord& entry);

// Per bet type, purchase sums (stake) and payout sums of the day's tickets.
using DayBetTotals = BetAmounts;

// Adds (sign +1) or subtracts (sign -1) one ticket's amounts to its bet
// type's sums; false and nothing changed on overflow.
bool adjustTotals(DayBetTotals& totals, BetType type, std::int32_t purchase, std::int32_t payout,
                  int sign);

// The totals of the list's non-blank entries, recomputed from scratch;
// entries without a known bet type add nothing. nullopt on overflow.
std::optional<DayBetTotals> dayTotals(const DayTicketList& list);

}  // namespace tamrel
