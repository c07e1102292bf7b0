// Timings of building windows on the offscreen platform: what a window costs
// on a year with every day slot posted, against the same window on an empty
// year. Each case runs with the argument 0 (empty year) and 1 (full year).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QString>
#include <memory>

#include "bench_data.h"
#include "browse/year_browse.h"
#include "silent_messages.h"
#include "state/data_session.h"
#include "store/app_state.h"
#include "support/session_access.h"
#include "widgets/look.h"
#include "widgets/messages.h"

namespace {

using namespace tamrel;

using bench::SilentMessages;

std::unique_ptr<DataSession> sessionFor(const benchmark::State& state) {
  auto session = std::make_unique<DataSession>();
  YearLedger& ledger = DataSessionTestAccess::state(*session).ledger;
  if (state.range(0) == 1) {
    bench::fillLedger(ledger);
  } else {
    resetLedger(ledger);
  }
  return session;
}

void label(benchmark::State& state) {
  state.SetLabel(state.range(0) == 1 ? "full year" : "empty year");
}

// 総合分析: the window with its panel and month grid built.
void BM_YearBrowseOpen(benchmark::State& state) {
  const auto session = sessionFor(state);
  SilentMessages messages;
  for (auto _ : state) {
    YearBrowse window(*session, messages);
    benchmark::DoNotOptimize(&window);
  }
  if (messages.shown != 0) state.SkipWithError("a message was shown");
  label(state);
}
BENCHMARK(BM_YearBrowseOpen)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// 最新表示: every figure of an open year browse again.
void BM_YearBrowseRefresh(benchmark::State& state) {
  const auto session = sessionFor(state);
  SilentMessages messages;
  YearBrowse window(*session, messages);
  for (auto _ : state) window.refresh();
  if (messages.shown != 0) state.SkipWithError("a message was shown");
  label(state);
}
BENCHMARK(BM_YearBrowseRefresh)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // Windows are built, never shown: no display is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  setUpJapaneseApplication(app);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
