// Any bytes as a file to import, and any bytes as "info.dat" sent out as the
// tickets report and read back in.
//
// As input: the checks and the plan never crash or hang, every row has a
// line within the input, an error row says why, and applying the plan to
// an empty year keeps each month within its 499 tickets. The records read
// in one go are the records read line by line by the rule, every field
// read through the reports' shortcuts reads as by the rule alone, and
// planned without a header row the header is one more row, an error, the
// others planned as they were.
//
// As Shift_JIS: the bytes decoded never crash, a refusal names a line of
// them, and the text they give holds as an input; the input as UTF-8 text,
// saved in Shift_JIS by the C library and decoded, is the same text and so
// plans the same, whenever the library reads that saving back as it was
// (some characters share a Shift_JIS code).
//
// As a year: the tickets that the entry window could have made (each
// field a code of its table or blank, amounts in their stored form) go out
// as the tickets report and come back into an empty year as the same
// records, month by month; a second import of the report adds nothing.

#include <iconv.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/amount.h"
#include "detail/detail_file.h"
#include "fuzz_check.h"
#include "import/import_engine.h"
#include "import/text_decoding.h"
#include "report/reports.h"
#include "store/data_files.h"

using namespace tamrel;

namespace {

struct Year {
  std::unique_ptr<YearLedger> ledger = std::make_unique<YearLedger>();
  std::unique_ptr<TicketStore> tickets = std::make_unique<TicketStore>();
  Year() { resetYear(*ledger, *tickets); }
};

constexpr Attribute kAttributes[] = {
    Attribute::Racecourse,   Attribute::RaceNo,      Attribute::Weekday, Attribute::Surface,
    Attribute::DistanceBand, Attribute::RaceClass,   Attribute::BetType, Attribute::AgeGroup,
    Attribute::Condition,    Attribute::RunnersBand,
};

// The ticket as the entry window would have written it, when it could have.
bool madeByEntry(const TicketRecord& t, int month) {
  const std::string_view day = t.field(TicketField::Day);
  if (day[0] < '0' || day[0] > '3' || day[1] < '0' || day[1] > '9') return false;
  const int d = (day[0] - '0') * 10 + (day[1] - '0');
  if (d < 1 || d > kSlotsPerMonth) return false;
  TicketRecord rebuilt = newTicket(month, d);
  for (const Attribute a : kAttributes) {
    const char code = t.field(fieldOf(a))[0];
    if (code != ' ' && captionOf(a, code).empty()) return false;
    rebuilt.setField(fieldOf(a), std::string_view(&code, 1));
  }
  if (!betTypeOfCode(t.field(TicketField::BetType)[0])) return false;
  for (const TicketField f : {TicketField::Purchase, TicketField::Payout}) {
    const auto value = amountField(t, f);
    if (!value || *value > kImportMaxAmount || *value < -kImportMaxAmount) return false;
    setAmountField(rebuilt, f, *value);
  }
  return rebuilt == t;
}

std::vector<std::string> sortedMonth(const TicketStore& store, int month) {
  std::vector<std::string> out;
  const MonthTickets& m = store.month(month);
  for (int i = 0; i < m.count; ++i) out.emplace_back(m.slot(i).view());
  std::ranges::sort(out);
  return out;
}

void sameAsByRule(std::string_view bytes, const ImportPlan& plan, const YearLedger& ledger,
                  const TicketStore& tickets) {
  const auto records = readImportRecords(bytes);
  const auto byRule = import_detail::readImportRecordsByRule(bytes);
  const ImportRecords& read = std::get<ImportRecords>(records);
  const ImportRecords& plainly = std::get<ImportRecords>(byRule);
  FUZZ_REQUIRE(plainly.size() == read.size() && plainly.separator() == read.separator());
  for (std::size_t r = 0; r < read.size(); ++r) {
    FUZZ_REQUIRE(plainly.line(r) == read.line(r) && plainly.fieldCount(r) == read.fieldCount(r));
    for (std::size_t c = 0; c < read.fieldCount(r); ++c) {
      FUZZ_REQUIRE(plainly.field(r, c) == read.field(r, c));
    }
  }
  for (std::size_t r = 0; r < read.size(); ++r) {
    for (std::size_t c = 0; c < read.fieldCount(r); ++c) {
      const std::string_view text = read.field(r, c);
      for (const Attribute a : kAttributes) {
        FUZZ_REQUIRE(import_detail::cellCode(a, text) == import_detail::cellCodeByRule(a, text));
      }
      FUZZ_REQUIRE(import_detail::cellAmount(text) == import_detail::cellAmountByRule(text));
    }
  }
  // A header's captions are no date, month or day.
  const ImportPlan all = planImport(read, mapHeader(read), plan.kind, ledger, tickets, 2024, false);
  FUZZ_REQUIRE(all.rows.size() == plan.rows.size() + 1);
  FUZZ_REQUIRE(all.rows[0].line == read.line(0) && all.rows[0].fate == RowFate::Error);
  FUZZ_REQUIRE(all.count(RowFate::Error) == plan.count(RowFate::Error) + 1);
  for (std::size_t i = 0; i < plan.rows.size(); ++i) {
    const ImportRow& row = all.rows[i + 1];
    FUZZ_REQUIRE(row.line == plan.rows[i].line && row.fate == plan.rows[i].fate);
    FUZZ_REQUIRE(row.reason == plan.rows[i].reason);
    FUZZ_REQUIRE(row.ticket == plan.rows[i].ticket && row.amounts == plan.rows[i].amounts);
  }
}

void asInput(std::string_view bytes) {
  (void)sniffImport(bytes);
  // A refusal is the same refusal by the rule.
  const auto records = readImportRecords(bytes);
  const auto byRule = import_detail::readImportRecordsByRule(bytes);
  FUZZ_REQUIRE(records.index() == byRule.index());
  if (const auto* refusal = std::get_if<ImportRefusal>(&records)) {
    FUZZ_REQUIRE(refusal->text() == std::get<ImportRefusal>(byRule).text());
  }
  Year year;
  auto read = readImport(bytes, *year.ledger, *year.tickets, 2024);
  auto* plan = std::get_if<ImportPlan>(&read);
  if (plan == nullptr) return;
  int lines = 1;
  for (const char c : bytes) lines += c == '\n';
  for (const ImportRow& row : plan->rows) {
    FUZZ_REQUIRE(row.line >= 1 && row.line <= lines);
    FUZZ_REQUIRE((row.fate == RowFate::Error) == !row.reason.empty());
  }
  sameAsByRule(bytes, *plan, *year.ledger, *year.tickets);
  if (applyImport(*plan, {true, true}, *year.ledger, *year.tickets)) {
    for (const MonthTickets& m : year.tickets->months) FUZZ_REQUIRE(m.count <= kMaxMonthTickets);
  }
}

// The text converted by iconv, or nullopt when a character has no form.
std::optional<std::string> converted(std::string_view text, const char* to, const char* from) {
  const iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(text.size() * 3, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* at = out.data();
  std::size_t outLeft = out.size();
  const bool done = iconv(cd, &in, &inLeft, &at, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!done) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

void asShiftJis(std::string_view bytes) {
  const int lines = 1 + static_cast<int>(std::ranges::count(bytes, '\n'));
  for (const ImportDecoding choice : {ImportDecoding::Auto, ImportDecoding::ShiftJis}) {
    const auto decoded = decodeImportText(bytes, choice);
    if (const auto* refusal = std::get_if<ImportRefusal>(&decoded)) {
      FUZZ_REQUIRE(refusal->line >= 0 && refusal->line <= lines);
    } else if (choice == ImportDecoding::ShiftJis) {
      asInput(std::get<ImportText>(decoded).utf8);
    }
  }
  // The same text, and so the same plan, whenever the library reads its
  // own saving back as it was.
  const auto shiftJis = converted(bytes, "CP932", "UTF-8");
  if (!shiftJis || converted(*shiftJis, "UTF-8", "CP932") != std::string(bytes)) return;
  const auto decoded = decodeImportText(*shiftJis, ImportDecoding::ShiftJis);
  FUZZ_REQUIRE(std::holds_alternative<ImportText>(decoded));
  FUZZ_REQUIRE(std::get<ImportText>(decoded).utf8 == bytes);
}

void asYear(std::string_view bytes) {
  Year source;
  if (!loadTicketText(*source.tickets, bytes).ok()) return;
  // Only what the entry window could have made goes out; a day keeps at
  // most its 200.
  Year kept;
  for (int m = 1; m <= 12; ++m) {
    const MonthTickets& from = source.tickets->month(m);
    MonthTickets& to = kept.tickets->month(m);
    std::array<int, kSlotsPerMonth + 1> perDay{};
    for (int i = 0; i < from.count; ++i) {
      const TicketRecord& t = from.slot(i);
      if (!madeByEntry(t, m)) continue;
      const std::string_view day = t.field(TicketField::Day);
      int& n = perDay[static_cast<std::size_t>((day[0] - '0') * 10 + (day[1] - '0'))];
      if (n == kMaxDayTickets) continue;
      ++n;
      to.slot(to.count++) = t;
    }
  }
  const std::string report = ticketsReport(*kept.tickets, Period{}).csv;
  Year back;
  auto read = readImport(report, *back.ledger, *back.tickets, 0);
  FUZZ_REQUIRE(std::holds_alternative<ImportPlan>(read));
  const ImportPlan& plan = std::get<ImportPlan>(read);
  FUZZ_REQUIRE(plan.count(RowFate::Error) == 0);
  FUZZ_REQUIRE(applyImport(plan, {}, *back.ledger, *back.tickets));
  for (int m = 1; m <= 12; ++m)
    FUZZ_REQUIRE(sortedMonth(*back.tickets, m) == sortedMonth(*kept.tickets, m));
  auto again = readImport(report, *back.ledger, *back.tickets, 0);
  FUZZ_REQUIRE(std::get<ImportPlan>(again).count(RowFate::Add) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  asInput(bytes);
  asShiftJis(bytes);
  asYear(bytes);
  return 0;
}
