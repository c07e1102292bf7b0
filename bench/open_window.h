#pragma once
// Timing a window's opening as a user sees it: built, framed in a work area
// of the main window's size and painted. Closing it is left out of the time.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "widgets/child_window.h"

namespace tamrel::bench {

// `makeWindow` builds the window afresh for each iteration.
template <typename MakeWindow>
void timeOpening(benchmark::State& state, MakeWindow makeWindow) {
  QMdiArea area;
  area.resize(1024, 700);
  area.show();
  QCoreApplication::processEvents();
  for (auto _ : state) {
    QMdiSubWindow* frame = openChildWindow(area, makeWindow());
    QCoreApplication::processEvents();
    frame->repaint();
    state.PauseTiming();
    delete frame;
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
}

}  // namespace tamrel::bench
