// The result grid over one keyword of 100,000 and of 1,000,000 companies, drawn off screen:
// the time from choosing the keyword to its first rows painted, and the paint times of a
// scroll from the top to the bottom, page by page and by dragging the scroll bar's thumb down
// in 1,000 steps (each step lands on rows not read yet); and a deep block read right after a
// new company arrives during a search.
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <algorithm>

#include "benchhome.h"
#include "gui/resultgrid.h"

namespace {

using namespace zoqa;

void EnsureApp() {
  static int argc = 1;
  static char name[] = "bench_grid";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance() == nullptr) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
  }
}

// A grid shown at the window's usual size over the store of `count` companies.
struct GridBench {
  // The application comes first: the grid below needs it.
  explicit GridBench(long count) : home((EnsureApp(), bench::KeywordHome(count).string())) {
    SetAppDirOverride(home);
    store = std::make_unique<TKeyListInfo>();
    store->LoadKeys();
    grid.resize(1000, 760);
    grid.show();
    QApplication::processEvents();
  }
  ~GridBench() {
    grid.Model().Clear();
    store.reset();
    SetAppDirOverride("");
  }
  std::string home;
  std::unique_ptr<TKeyListInfo> store;
  TResultGrid grid;
};

void BM_GridFirstRows(benchmark::State& state) {
  GridBench bench(state.range(0));
  for (auto _ : state) {
    bench.grid.Model().Clear();
    bench.grid.viewport()->repaint();
    QElapsedTimer clock;
    clock.start();
    bench.grid.Model().Show(*bench.store, "k");
    bench.grid.viewport()->repaint();
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    if (bench.grid.Model().rowCount() != state.range(0)) state.SkipWithError("rows missing");
  }
}
BENCHMARK(BM_GridFirstRows)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

// arg 1: 0 page by page, 1 dragging the thumb in 1,000 steps.
void BM_GridScroll(benchmark::State& state) {
  GridBench bench(state.range(0));
  const bool drag = state.range(1) == 1;
  double worst = 0, total = 0;
  long frames = 0;
  for (auto _ : state) {
    bench.grid.Model().Show(*bench.store, "k");
    QApplication::processEvents();  // lays the view out: the scroll bar gets its range
    QScrollBar* bar = bench.grid.verticalScrollBar();
    bar->setValue(0);
    bench.grid.viewport()->repaint();
    const int step = drag ? std::max(1, bar->maximum() / 1000) : bar->pageStep();
    for (int value = 0; value < bar->maximum();) {
      value = std::min(bar->maximum(), value + step);
      QElapsedTimer clock;
      clock.start();
      bar->setValue(value);
      bench.grid.viewport()->repaint();
      double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
      worst = std::max(worst, ms);
      total += ms;
      ++frames;
    }
  }
  state.counters["frames"] = static_cast<double>(frames);
  state.counters["worst_frame_ms"] = worst;
  state.counters["mean_frame_ms"] = frames ? total / static_cast<double>(frames) : 0;
}
BENCHMARK(BM_GridScroll)
    ->ArgNames({"companies", "drag"})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// A search stores a company while the grid, sorted by name, shows rows in the middle of the
// keyword: the time from the company handed to the grid to the rows two pages further down
// painted (a block not read yet). The company goes again after each iteration. arg 1: 1 the
// grid places the company among the rows it read, 0 it cannot (a company another machine
// stored) and reads from the nearer end of the order.
void BM_GridDeepBlockAfterNewCompany(benchmark::State& state) {
  GridBench bench(state.range(0));
  TResultModel& model = bench.grid.Model();
  TCompany stored;
  bench.store->OnCompanyAdded = [&](TKeyListInfo&, const std::string&, const TCompany& company) {
    stored = company;
  };
  for (auto _ : state) {
    model.Show(*bench.store, "k");
    model.sort(TResultModel::colName, Qt::AscendingOrder);
    QApplication::processEvents();
    QScrollBar* bar = bench.grid.verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    bench.grid.viewport()->repaint();
    TCompany company;
    company.SetName("广州市天河区某某电子科技有限公司0");  // before every other name
    company.AddMobile("13800000000");
    bench.store->AddCompany("k", company);
    QElapsedTimer clock;
    clock.start();
    model.Append(stored, state.range(1) == 1);
    bar->setValue(bar->value() + 2 * bar->pageStep());
    bench.grid.viewport()->repaint();
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    bool shown = model.rowCount() == state.range(0) + 1;
    bench.store->DeleteCompany("k", stored.ListId);
    if (!shown || stored.ListId.empty()) state.SkipWithError("the company did not arrive");
  }
  model.Clear();
}
BENCHMARK(BM_GridDeepBlockAfterNewCompany)
    ->ArgNames({"companies", "placed"})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
