#pragma once
// The command for scripts: its options, the kinds of report it writes, and
// one run from the arguments to the exit status, the report and the
// messages. Nothing here writes a file or takes the data directory's lock.

#include <span>
#include <string>
#include <string_view>

#include "report/reports.h"

namespace tamrel {

// Exit statuses.
enum ReportStatus : int {
  kReportOk = 0,
  kReportOutputFailed = 1,  // the report could not be written out
  kReportUsage = 2,         // a wrong option, kind or dimension
  kReportLoadFailed = 3,    // a data file did not load
  kReportOverflow = 4,      // written, but a figure left the range and is empty
};

struct ReportRun {
  int status = kReportOk;
  std::string out;  // the report (CSV) when it was made and no output took it
  std::string err;  // messages, UTF-8, one per line
};

// Runs the command on its arguments (without the program's name). The report
// goes to `output` part by part as it is made, and nothing goes there unless
// the report is made; a part refused stops the report with the status
// kReportOutputFailed.
ReportRun runReport(std::span<const std::string_view> args, const ReportOutput& output);
// The same with the report kept in the run's `out`.
ReportRun runReport(std::span<const std::string_view> args);

// What the command takes, for its usage message.
std::string reportUsage();

}  // namespace tamrel
