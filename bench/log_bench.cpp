// Appending to the protocol log costs O(1) per line however long the log is.

#include <benchmark/benchmark.h>

#include <memory>

#include "app/windows.h"
#include "log/uProtocolWindow.h"
#include "support/scripted_host.h"

static void BM_AddToProtocol100k(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto host = std::make_unique<TScriptedHost>();
    auto windows = std::make_unique<TApplicationWindows>(*host);
    int observed = 0;
    Frm_Protocol->RichEdit1.Subscribe([&](TChange) { ++observed; });
    state.ResumeTiming();
    for (int i = 0; i < 100000; ++i) AddToProtocol("line " + std::to_string(i), clGray);
    benchmark::DoNotOptimize(observed);
    state.PauseTiming();
    windows.reset();  // tear-down is not part of the figure
    host.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_AddToProtocol100k)->Unit(benchmark::kMillisecond);

// The cost of the last 1000 appends of a log that already holds `range(0)` lines.
static void BM_AppendToLongLog(benchmark::State& state) {
  TScriptedHost host;
  TApplicationWindows windows(host);
  for (int64_t i = 0; i < state.range(0); ++i) AddToProtocol("filler", clGray);
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) AddToProtocol("line", clGreen);
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_AppendToLongLog)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
