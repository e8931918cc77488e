// The store at scale: storing one company into a small and a large database (each write
// commits on its own), a bare commit, reading a keyword of 100,000 companies through a cursor
// in stored and in sorted order, and exporting a keyword's companies as text and as a
// worksheet.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <QCoreApplication>

#include <filesystem>
#include <memory>
#include <string>

#include "harvest/report/company.h"
#include "platform/appdir.h"
#include "store/keylist.h"
#include "store/storefile.h"
#include "support/storeseed.h"
#include "util/codepage.h"

namespace {

using namespace zoqa;

// A program directory of its own holding `count` generated companies under "k".
class BenchHome {
 public:
  explicit BenchHome(long count) {
    path_ = std::filesystem::temp_directory_path() / ("zoqa-bench-" + std::to_string(count));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    SetAppDirOverride(path_.string());
    ProvisionStoreFile();
    test::SeedGeneratedKeyword(count);
  }
  ~BenchHome() {
    SetAppDirOverride("");
    std::filesystem::remove_all(path_);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

void BM_AddCompany(benchmark::State& state) {
  BenchHome home(state.range(0));
  TKeyListInfo store;
  store.LoadKeys();
  TCompany company;
  company.AddMobile("13800000000");
  company.AddQQ("12345");
  company.Addr = Cp936("广州市天河区天河路1号");
  long n = 0;
  for (auto _ : state) {
    company.SetName(Cp936("新公司") + std::to_string(++n));
    store.AddCompany("k", company);
  }
  if (store.FindKey("k")->ListCount != state.range(0) + n) {
    state.SkipWithError("a company was not stored");
  }
}
BENCHMARK(BM_AddCompany)
    ->Arg(1000)
    ->Arg(1000000)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// What one write's own commit costs: a one-row update, as AddCompany runs two writes.
void BM_Commit(benchmark::State& state) {
  BenchHome home(1000);
  TKeyListInfo store;
  store.LoadKeys();
  long n = 0;
  for (auto _ : state) store.SetStatusText("k", ""), store.SaveLastPageByKeyword("k", ++n, 0);
}
BENCHMARK(BM_Commit)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Every company of the keyword read through one cursor, in the order of arg 1 (0 stored,
// 2 name, 3 mobile as TSortColumn numbers them).
void BM_ReadKeyword(benchmark::State& state) {
  BenchHome home(state.range(0));
  TKeyListInfo store;
  store.LoadKeys();
  TSortOrder order{static_cast<TSortColumn>(state.range(1)), false};
  for (auto _ : state) {
    auto cursor = store.OpenCompanies("k", order);
    long rows = 0;
    for (TCompany company; cursor->Next(company);) ++rows;
    if (rows != state.range(0)) state.SkipWithError("the reading is incomplete");
  }
}
BENCHMARK(BM_ReadKeyword)
    ->ArgNames({"companies", "order"})
    ->Args({100000, 0})
    ->Args({100000, 2})
    ->Args({100000, 3})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_WriteExport(benchmark::State& state) {
  bool asText = state.range(0) == 1;
  BenchHome home(state.range(1));
  TKeyListInfo store;
  store.LoadKeys();
  std::string file = home.File(asText ? "out.txt" : "out.xls");
  for (auto _ : state) {
    if (!store.WriteExport("k", file, true, true, true, true, false, true,
                           asText ? TExportFormat::Text : TExportFormat::Xls)) {
      state.SkipWithError("the export failed");
    }
  }
  state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(file));
}
// A worksheet numbers its rows in 16 bits: 65,535 companies and the title row fill it, and
// the export writer refuses more.
BENCHMARK(BM_WriteExport)
    ->ArgNames({"text", "companies"})
    ->Args({1, 100000})
    ->Args({0, 65535})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
