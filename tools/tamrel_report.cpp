// tamrel-report [--dir DIR] [--from M/D] [--to M/D] KIND: a report of the
// year in DIR as CSV on stdout, for scripts and spreadsheets. Reads the data
// files only: no lock, nothing written.

#include <cstdio>
#include <string_view>
#include <vector>

#include "report/report_command.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  // The report is written as it is made; its parts are larger than stdout's
  // buffer, so each goes straight to the file.
  const tamrel::ReportRun run = tamrel::runReport(args, [](std::string_view part) {
    return std::fwrite(part.data(), 1, part.size(), stdout) == part.size();
  });
  std::fwrite(run.err.data(), 1, run.err.size(), stderr);
  // A report cut short by a full disk must not pass for a whole one.
  if (run.status == tamrel::kReportOutputFailed || std::fflush(stdout) != 0) {
    std::fputs("tamrel-report: 出力に書き込めません\n", stderr);
    return tamrel::kReportOutputFailed;
  }
  return run.status;
}
