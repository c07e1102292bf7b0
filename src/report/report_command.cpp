#include "report/report_command.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "analysis/cross_totals.h"
#include "analysis/ticket_filter.h"
#include "analysis/year_summary.h"
#include "base/period.h"
#include "base/version.h"
#include "detail/detail_file.h"
#include "ledger/ledger_file.h"
#include "report/budget_report.h"
#include "report/report_kinds.h"
#include "report/reports.h"

namespace tamrel {

namespace fs = std::filesystem;

namespace {

struct Request {
  const ReportKindInfo* kind = nullptr;
  std::vector<CrossDimension> dimensions;
  fs::path dir = ".";
  Period period;
  bool periodGiven = false;
  // budget alone: the limits and the calendar year of its 節.
  BudgetLimits limits;
  std::optional<int> year;
  bool budgetGiven = false;
  // --where: the values of dimensions the tickets are limited to.
  TicketFilter where;
  bool whereGiven = false;
};

// A usage error: what was wrong, for the first line of the message.
struct UsageError {
  std::string what;
};

// An argument as a message quotes it: cut after kShownArgument characters,
// so that a runaway argument (a whole file pasted) does not bury the message.
constexpr std::size_t kShownArgument = 60;

std::string shown(std::string_view arg) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < arg.size(); ++i) {
    // A character starts at every byte that does not continue a UTF-8 one.
    if ((static_cast<unsigned char>(arg[i]) & 0xC0) == 0x80) continue;
    if (characters++ == kShownArgument) return std::string(arg.substr(0, i)) + "…";
  }
  return std::string(arg);
}

// "M/D" with a month 1..12 and a day slot 1..31.
std::optional<std::pair<int, int>> parseMonthDay(std::string_view text) {
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const auto number = [](std::string_view part) -> std::optional<int> {
    int value = 0;
    const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || ec != std::errc{} || end != part.data() + part.size()) return std::nullopt;
    return value;
  };
  const auto month = number(text.substr(0, slash));
  const auto day = number(text.substr(slash + 1));
  if (!month || !day || *month < 1 || *month > 12 || *day < 1 || *day > kSlotsPerMonth) {
    return std::nullopt;
  }
  return std::pair{*month, *day};
}

// "name", "name:DIM" or "name:DIM1:DIM2" into the request; what is wrong
// otherwise.
std::optional<UsageError> parseKind(std::string_view text, Request& request) {
  const std::string_view name = text.substr(0, text.find(':'));
  const auto found = std::ranges::find(kReportKinds, name, &ReportKindInfo::name);
  if (found == kReportKinds.end()) return UsageError{"知らない種類です: " + shown(text)};
  request.kind = &*found;
  // Each key after a colon, empty ones too.
  for (std::size_t at = name.size(); at < text.size();) {
    const std::size_t end = std::min(text.find(':', at + 1), text.size());
    const std::string_view key = text.substr(at + 1, end - at - 1);
    const auto dimension = crossDimensionOfKey(key);
    if (!dimension) return UsageError{"知らない分類です: " + shown(key)};
    request.dimensions.push_back(*dimension);
    at = end;
  }
  const bool optionalLeftOut = found->dimensionOptional && request.dimensions.empty();
  if (static_cast<int>(request.dimensions.size()) != found->dimensions && !optionalLeftOut) {
    return UsageError{"分類の数が違います: " + shown(text)};
  }
  if (found->dimensions == 2 && request.dimensions[0] == request.dimensions[1]) {
    return UsageError{"同じ分類は交差できません: " + shown(text)};
  }
  return std::nullopt;
}

// "key=value[,value..]" into the request's filter: each value a caption or
// a code of the dimension; what is wrong otherwise, with the known values.
std::optional<UsageError> parseWhere(std::string_view text, Request& request) {
  const std::size_t equals = text.find('=');
  const auto dimension = crossDimensionOfKey(text.substr(0, equals));
  if (equals == std::string_view::npos || !dimension) {
    return UsageError{"--where は 分類=値[,値] で指定します: " + shown(text)};
  }
  std::vector<int>& chosen = request.where.of(*dimension);
  for (std::size_t at = equals; at < text.size();) {
    const std::size_t end = std::min(text.find(',', at + 1), text.size());
    const std::string_view value = text.substr(at + 1, end - at - 1);
    const auto category = categoryOfValue(*dimension, value);
    if (!category) {
      std::string known;
      for (const std::string& v : knownValues(*dimension)) known += "\n  " + v;
      return UsageError{"知らない値です: " + std::string(text.substr(0, equals)) + "=" +
                        shown(value) + "\n" + std::string(crossDimensionInfo(*dimension).name) +
                        " の値 (コード 名前):" + known};
    }
    if (std::ranges::find(chosen, *category) == chosen.end()) chosen.push_back(*category);
    at = end;
  }
  request.whereGiven = true;
  return std::nullopt;
}

// An option's value: "--opt VALUE" or "--opt=VALUE".
std::optional<std::string_view> optionValue(std::span<const std::string_view> args, std::size_t& i,
                                            std::string_view name) {
  const std::string_view arg = args[i];
  if (arg == name) {
    if (i + 1 >= args.size()) return std::nullopt;
    return args[++i];
  }
  return arg.substr(name.size() + 1);
}

// A non-negative whole number, all of the text.
std::optional<std::int32_t> wholeNumber(std::string_view text) {
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

// The options of budget: nullopt when args[i] is none of them, else what is
// wrong with it (empty when nothing is).
std::optional<std::string> budgetOption(std::span<const std::string_view> args, std::size_t& i,
                                        Request& request) {
  const std::pair<std::string_view, std::optional<std::int32_t>*> limits[] = {
      {"--limit-setsu", &request.limits.setsu},
      {"--limit-month", &request.limits.month},
      {"--limit-year", &request.limits.year}};
  const std::string_view arg = args[i];
  const auto is = [&arg](std::string_view name) {
    return arg == name ||
           (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=');
  };
  for (const auto& [name, limit] : limits) {
    if (!is(name)) continue;
    const auto value = optionValue(args, i, name);
    *limit = value ? wholeNumber(*value) : std::nullopt;
    request.budgetGiven = true;
    if (!*limit) return std::string(name) + " は 0 以上の金額で指定します";
    return std::string();
  }
  if (is("--year")) {
    const auto value = optionValue(args, i, "--year");
    const auto year = value ? wholeNumber(*value) : std::nullopt;
    request.budgetGiven = true;
    if (!year || *year < 1 || *year > 9999) return std::string("--year は西暦で指定します");
    request.year = *year;
    return std::string();
  }
  return std::nullopt;
}

// The options and the kind, or what is wrong with them.
std::variant<Request, UsageError> parseArgs(std::span<const std::string_view> args) {
  Request request;
  // A script that says an option twice has a fault; taking either value
  // would hide it.
  std::vector<std::string_view> given;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const auto is = [&arg](std::string_view name) {
      return arg == name ||
             (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=');
    };
    for (const std::string_view option :
         {"--dir", "--from", "--to", "--limit-setsu", "--limit-month", "--limit-year", "--year"}) {
      if (!is(option)) continue;
      if (std::ranges::find(given, option) != given.end()) {
        return UsageError{std::string(option) + " は一度だけ指定します"};
      }
      given.push_back(option);
    }
    if (is("--dir")) {
      const auto value = optionValue(args, i, "--dir");
      if (!value || value->empty()) return UsageError{"--dir にフォルダがありません"};
      request.dir = fs::path(std::string(*value));
    } else if (is("--from") || is("--to")) {
      const bool from = is("--from");
      const auto value = optionValue(args, i, from ? "--from" : "--to");
      const auto date = value ? parseMonthDay(*value) : std::nullopt;
      if (!date) {
        return UsageError{std::string(from ? "--from" : "--to") + " は 月/日 で指定します"};
      }
      (from ? request.period.fromMonth : request.period.toMonth) = date->first;
      (from ? request.period.fromDay : request.period.toDay) = date->second;
      request.periodGiven = true;
    } else if (auto budget = budgetOption(args, i, request)) {
      if (!budget->empty()) return UsageError{*budget};
    } else if (is("--where")) {
      const auto value = optionValue(args, i, "--where");
      if (!value) return UsageError{"--where に条件がありません"};
      if (auto error = parseWhere(*value, request)) return *error;
    } else if (arg.starts_with("-")) {
      return UsageError{"知らないオプションです: " + shown(arg)};
    } else if (request.kind) {
      return UsageError{"種類は一つだけ指定します: " + shown(arg)};
    } else if (auto error = parseKind(arg, request)) {
      return *error;
    }
  }
  if (!request.kind) return UsageError{"種類がありません"};
  if (request.periodGiven && !request.kind->takesPeriod) {
    return UsageError{"--from と --to は " + std::string(request.kind->name) + " には使えません"};
  }
  if (request.whereGiven && request.kind->kind != ReportKind::Tickets) {
    return UsageError{"--where は tickets にだけ使えます"};
  }
  if (!request.period.ordered()) return UsageError{reversedPeriodText("--from", "--to")};
  if (request.budgetGiven && request.kind->kind != ReportKind::Budget) {
    return UsageError{"--limit-… と --year は budget にだけ使えます"};
  }
  return request;
}

struct Year {
  std::unique_ptr<YearLedger> ledger = std::make_unique<YearLedger>();
  std::unique_ptr<TicketStore> tickets = std::make_unique<TicketStore>();
};

// Both files of the folder, read without the lock; each one that does not
// load is said in `err`: the message the program shows, the file and why.
std::optional<Year> loadYear(const fs::path& dir, std::string& err) {
  Year year;
  const LoadReport reports[] = {loadLedgerFile(*year.ledger, dir / kLedgerFileName),
                                loadTicketFile(*year.tickets, dir / kTicketFileName)};
  bool ok = true;
  for (const LoadReport& report : reports) {
    if (report.ok()) continue;
    ok = false;
    err += loadCodeMessage(report.code) + ": " + report.path.string() + ": " +
           loadFaultText(report) + "\n";
  }
  if (!ok) return std::nullopt;
  return year;
}

// The report of the year in `request.dir`; nullopt when its files did not
// load. The tickets, by far the longest report, go to `output` as they are
// made, and their report here is empty.
std::optional<Report> yearReport(const Request& request, const ReportOutput& output,
                                 std::string& err) {
  const std::optional<Year> year = loadYear(request.dir, err);
  if (!year) return std::nullopt;
  if (request.kind->kind == ReportKind::Tickets) {
    if (request.whereGiven) {
      // The report passes over the store: the tickets left out are blanked
      // in a copy of it.
      auto kept = std::make_unique<TicketStore>(*year->tickets);
      keepOnlyFiltered(*kept, request.where);
      writeTicketsReport(*kept, request.period, output);
    } else {
      writeTicketsReport(*year->tickets, request.period, output);
    }
    return Report{};
  }
  if (request.kind->kind == ReportKind::Budget) {
    return budgetReport(*year->ledger, request.limits, request.year);
  }
  return yearKindReport(request.kind->kind, *year->ledger, *year->tickets, request.dimensions,
                        request.period);
}

// The year folders of `request.dir`, each read only; nullopt when it is no
// folder or cannot be listed (an empty report would pass for a parent without
// years). A year that does not load is a row of the report, not a failure.
std::optional<Report> yearsOf(const Request& request, std::string& err) {
  std::error_code ec;
  if (!fs::is_directory(request.dir, ec)) {
    err += "フォルダがありません: " + request.dir.string() + "\n";
    return std::nullopt;
  }
  std::vector<YearSummary> years = summariseYears(request.dir, ec);
  if (ec) {
    err += "フォルダを読み取れません: " + request.dir.string() + ": " + listingFaultText(ec) + "\n";
    return std::nullopt;
  }
  return yearsReport(years);
}

}  // namespace

std::string reportUsage() {
  std::string kinds;
  for (const ReportKindInfo& k : kReportKinds) {
    kinds += "  " + std::string(k.name);
    for (int i = 1; i <= k.dimensions; ++i)
      kinds +=
          (k.dimensionOptional ? "[:分類]" : ":分類" + (k.dimensions > 1 ? std::to_string(i) : ""));
    kinds += "\n";
  }
  std::string keys;
  for (const CrossDimensionInfo& d : kCrossDimensions) {
    keys += "  " + std::string(d.key) + " " + std::string(d.name) + "\n";
  }
  return "使い方: tamrel-report [--dir フォルダ] [--from 月/日] [--to 月/日]\n"
         "                    [--where 分類=値[,値]]... 種類\n"
         "       tamrel-report --help | --version\n"
         "フォルダ (既定は作業フォルダ) の tosidata.dat と info.dat を読み、\n"
         "種類の集計を CSV (UTF-8, CRLF) で標準出力に書きます。\n"
         "years はフォルダの中の年ごとのフォルダを並べます。\n"
         "--from と --to (その日を含む) は days, trend, tickets, category, cross,\n"
         "benchmark, income, daybets の期間です。benchmark だけなら券種ごとです。\n"
         "budget は節・月・年の投資金額と上限です。上限は --limit-setsu, --limit-month,\n"
         "--limit-year (円) で指定し、節は --year の暦 (既定は推測した年) で数えます。\n"
         "--where (tickets だけ, 重ねて指定可) は分類の値 (名前かファイルのコード) で\n"
         "馬券を絞ります: --where racecourse=中山,東京 --where bettype=3連複\n"
         "種類:\n" +
         kinds + "分類:\n" + keys +
         "終了コード: 0 成功, 1 書き出せない, 2 使い方の誤り, 3 読み込めないファイル,\n"
         "            4 範囲を超えた金額がある (その欄は空)\n";
}

ReportRun runReport(std::span<const std::string_view> args) {
  std::string out;
  ReportRun run = runReport(args, [&out](std::string_view part) {
    out += part;
    return true;
  });
  run.out = std::move(out);
  return run;
}

ReportRun runReport(std::span<const std::string_view> args, const ReportOutput& output) {
  ReportRun run;
  // Asking for help is never a usage error, whatever else the line holds.
  const auto help = [](std::string_view arg) { return arg == "--help" || arg == "-h"; };
  if (std::ranges::any_of(args, help)) {
    if (!output(reportUsage())) run.status = kReportOutputFailed;
    return run;
  }
  if (args.size() == 1 && args[0] == "--version") {
    if (!output("tamrel-report (" + std::string(kProgramTitle) + ")\n"))
      run.status = kReportOutputFailed;
    return run;
  }
  const auto parsed = parseArgs(args);
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    run.status = kReportUsage;
    run.err = "tamrel-report: " + error->what + "\n" + reportUsage();
    return run;
  }
  const Request& request = std::get<Request>(parsed);
  // Once a part is refused, the rest of the report is not worth making.
  bool written = true;
  const ReportOutput keep = [&written, &output](std::string_view part) {
    return written = written && output(part);
  };
  std::optional<Report> report = request.kind->kind == ReportKind::Years
                                     ? yearsOf(request, run.err)
                                     : yearReport(request, keep, run.err);
  if (!report) {
    run.status = kReportLoadFailed;
    return run;
  }
  if (!report->csv.empty()) keep(report->csv);
  if (!written) {
    run.status = kReportOutputFailed;
  } else if (report->overflow) {
    run.status = kReportOverflow;
    run.err += "金額が範囲を超えています\n";
  }
  return run;
}

}  // namespace tamrel
