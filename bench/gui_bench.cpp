// The GUI's views under load, on Qt's offscreen platform: the protocol log's view
// appends in O(1) per line however long the log is, and a capture of thousands of
// cells repaints the cell list once.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <string>
#include <vector>

#include "gui/cell_list_view.h"
#include "gui/log_view.h"
#include "gui/pinloom_application.h"

// The cost of appending 1000 lines to a shown log view that already holds
// `range(0)` lines, the view following the newest line.
static void BM_LogViewAppendToLongLog(benchmark::State& state) {
  TLogText log("RichEdit1");
  TLogView view(log);
  view.resize(620, 396);
  view.show();
  for (int64_t i = 0; i < state.range(0); ++i) log.Append({"12:00:00 - filler", clGray});
  QCoreApplication::processEvents();
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) log.Append({"12:00:00 - line", clGreen});
    QCoreApplication::processEvents();
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_LogViewAppendToLongLog)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A capture that sets the Value column of every row, batched as the core does, and
// the repaint that follows.
static void BM_CellListCapture(benchmark::State& state) {
  const int cells = static_cast<int>(state.range(0));
  TListView list("ListBoundaryScanCells");
  list.Columns = {{"Num", 0},   {"Cell Type", 100}, {"Port", 60},  {"Function", 60},
                  {"Safe", 0},  {"CCell", 0},       {"Disval", 0}, {"Rslt", 0},
                  {"Value", 0}, {"Direction", 0}};
  std::vector<TListItem> rows;
  for (int i = 0; i < cells; ++i) {
    rows.push_back(
        {std::to_string(i), {"BC_1", "P" + std::to_string(i), "BIDIR", "X", "", "", "", "", "-"}});
  }
  list.SetRows(std::move(rows));
  TCellListView view;
  Bind(list, &view);
  view.resize(760, 470);
  view.show();
  QCoreApplication::processEvents();
  int pass = 0;
  for (auto _ : state) {
    ++pass;
    list.BeginUpdate();
    for (int row = 0; row < cells; ++row) list.SetSubItem(row, 7, (row + pass) % 2 ? "1" : "0");
    list.EndUpdate();
    view.viewport()->repaint();
  }
  state.SetItemsProcessed(state.iterations() * cells);
}
BENCHMARK(BM_CellListCapture)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TPinloomApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
