// The report command as a whole process on data of the largest size,
// against a process that only loads the same two files: the report's own
// work (figures, texts, CSV, writing) must stay small beside starting a
// process and loading. Runs are interleaved round by round, so a change of
// machine load affects all alike; the medians are compared.
//
//   tamrel_report_bench [ROUNDS]

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_data.h"
#include "detail/detail_file.h"
#include "ledger/ledger_file.h"

extern char** environ;

namespace {

using namespace tamrel;
namespace fs = std::filesystem;

struct RunTimes {
  double wall = -1;  // ms; negative when the run failed
  double cpu = -1;   // ms, user and system
};

// One run of `args`, its output to /dev/null.
RunTimes run(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  struct rusage usage {};
  if (spawned != 0 || ::wait4(pid, &status, 0, &usage) != pid) return {};
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  const auto ms = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
  };
  return {took.count(), ms(usage.ru_utime) + ms(usage.ru_stime)};
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
  const fs::path dir =
      fs::temp_directory_path() / ("tamrel_report_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  if (saveLedger(bench::fullLedger(), dir / kLedgerFileName) != SaveResult::Ok ||
      saveTickets(bench::fullTickets(), dir / kTicketFileName) != SaveResult::Ok) {
    std::fprintf(stderr, "cannot write the benchmark files in %s\n", dir.c_str());
    return 1;
  }
  const std::string dirArg = dir.string();
  const std::vector<std::string> kinds{
      "months", "days", "trend", "tickets", "category:racecourse", "cross:racecourse:bettype"};
  // Per command: the wall-clock and CPU times of every round.
  std::vector<std::vector<std::string>> commands{{TAMREL_LOAD_PROBE, dirArg}};
  for (const std::string& kind : kinds) commands.push_back({TAMREL_REPORT, "--dir", dirArg, kind});
  std::vector<std::vector<double>> wall(commands.size());
  std::vector<std::vector<double>> cpu(commands.size());
  for (int r = 0; r < rounds; ++r) {
    for (std::size_t c = 0; c < commands.size(); ++c) {
      const RunTimes t = run(commands[c]);
      if (t.wall < 0) {
        std::fprintf(stderr, "%s failed\n", commands[c].back().c_str());
        return 1;
      }
      wall[c].push_back(t.wall);
      cpu[c].push_back(t.cpu);
    }
  }
  fs::remove_all(dir);
  std::printf(
      "medians of %d interleaved runs each on maximum data (12 x 499 tickets),\n"
      "as a whole process against one that only loads both files:\n",
      rounds);
  std::printf("  %-38s %9s %6s %9s %6s\n", "", "wall ms", "ratio", "CPU ms", "ratio");
  for (std::size_t c = 0; c < commands.size(); ++c) {
    const std::string name = c == 0 ? "load both files only" : "tamrel-report " + kinds[c - 1];
    std::printf("  %-38s %9.3f %6.2f %9.3f %6.2f\n", name.c_str(), median(wall[c]),
                median(wall[c]) / median(wall[0]), median(cpu[c]), median(cpu[c]) / median(cpu[0]));
  }
  return 0;
}
