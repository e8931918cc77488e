// Export of a large keyword: text file, worksheet file and workbook file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "export/biffworkbook.h"
#include "export/exportlines.h"
#include "export/exportwriter.h"
#include "util/codepage.h"

namespace {

using zoqa::TCompany;

std::vector<TCompany> MakeCompanies(std::size_t n) {
  std::vector<TCompany> companies(n);
  const std::string name = zoqa::Cp936("广州市天河区某某电子科技有限公司");
  for (std::size_t i = 0; i < n; ++i) {
    TCompany& c = companies[i];
    c.SetName(name + std::to_string(i));
    c.AddMobile("138" + std::to_string(10000000 + i));
    c.AddMobile("139" + std::to_string(10000000 + i));
    c.AddQQ(std::to_string(100000 + i));
    c.AddEmail("sales" + std::to_string(i) + "@example.cn");
    c.WebUrl = "http://www.company" + std::to_string(i) + ".cn/contact.html";
  }
  return companies;
}

std::vector<const TCompany*> Pointers(const std::vector<TCompany>& companies) {
  std::vector<const TCompany*> out;
  for (const auto& c : companies) out.push_back(&c);
  return out;
}

// Every column the export window offers.
zoqa::TExportFields AllFields() {
  return {true, true, true, true, false, true};
}

std::string OutFile(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

// The process's peak resident size so far, in megabytes.
double PeakMegabytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024;
  }
  return 0;
}

// Besides the time: the process's peak resident size ("peak_mb") and how far the export raised
// it above the peak the companies had brought ("export_mb"). Run one benchmark per process
// (--benchmark_filter) for a clean memory figure.
void Export(benchmark::State& state, std::size_t count, zoqa::TExportFormat format,
            const char* name) {
  const auto companies = MakeCompanies(count);
  const auto pointers = Pointers(companies);
  const std::string file = OutFile(name);
  const double before = PeakMegabytes();
  for (auto _ : state) {
    if (!zoqa::WriteExportFile(pointers, file, AllFields(), format)) {
      state.SkipWithError("export failed");
      break;
    }
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
  state.counters["peak_mb"] = PeakMegabytes();
  state.counters["export_mb"] = PeakMegabytes() - before;
  std::filesystem::remove(file);
}

void BM_ExportText100k(benchmark::State& state) {
  Export(state, 100000, zoqa::TExportFormat::Text, "zoqa_bench_export.txt");
}

// The largest worksheet the format holds: a title row and 65,535 companies.
void BM_ExportSpreadsheetFullSheet(benchmark::State& state) {
  Export(state, zoqa::TBiffWorkbook::kMaxRows - 1, zoqa::TExportFormat::Xls,
         "zoqa_bench_export.xls");
}

// A workbook of 100,000 companies: goal under a second and under 100 MB.
void BM_ExportWorkbook100k(benchmark::State& state) {
  Export(state, 100000, zoqa::TExportFormat::Xlsx, "zoqa_bench_export.xlsx");
}

// Building the spreadsheet lines of 100,000 companies (more than one worksheet holds).
void BM_SpreadsheetLines100k(benchmark::State& state) {
  const auto companies = MakeCompanies(100000);
  const auto pointers = Pointers(companies);
  for (auto _ : state) {
    benchmark::DoNotOptimize(zoqa::BuildExportLines(pointers, AllFields(), false));
  }
}

}  // namespace

BENCHMARK(BM_ExportText100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportSpreadsheetFullSheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportWorkbook100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpreadsheetLines100k)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
