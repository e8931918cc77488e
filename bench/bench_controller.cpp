// The main window's controller under a stream of harvesting reports: 10,000 new companies
// for the keyword on show (each stored, counted on its item and appended to the grid), with
// and without the database waiting for the disk, the same number of companies whose names
// are stored already, and 10,000 status lines. The view only counts its calls; nothing is
// drawn.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "app/maincontroller.h"
#include "harvest/report/company.h"
#include "harvest/report/harvestsink.h"
#include "platform/appdir.h"
#include "store/storefile.h"
#include "util/codepage.h"
#include "util/msgbox.h"

namespace {

using namespace zoqa;

constexpr int kReports = 10000;

// A view that counts calls and grid rows, and answers every question with OK.
class CountingView : public TView {
 public:
  long calls = 0;

  void AddKeyItem(const std::string&, const std::string&, const std::string&) override { ++calls; }
  void SetItemButton(const std::string&, int, bool, const std::string&) override { ++calls; }
  void SetItemDate(const std::string&, const std::string&) override { ++calls; }
  void SetItemCount(const std::string&, const std::string&) override { ++calls; }
  void RemoveKeyItem(const std::string&) override { ++calls; }
  void RemoveAllKeyItems() override { ++calls; }
  void ShowEntry(const std::string&) override { ++calls; }
  void SetTip(const std::string&, const std::string&) override { ++calls; }
  void SetTipText(const std::string&) override { ++calls; }
  void SetStatusBar(const std::string&) override { ++calls; }
  void SetTotalLabel(const std::string&) override { ++calls; }
  void SetRecordCountLabel(const std::string&) override { ++calls; }
  void ClearGrid() override {
    ++calls;
    rows_ = 0;
  }
  void FillGrid(TCompanySource& source, const std::string& keyword) override {
    ++calls;
    rows_ = static_cast<int>(source.CountCompanies(keyword));
  }
  void AppendGridRow(const TCompany&) override {
    ++calls;
    ++rows_;
  }
  int GridRowCount() const override { return rows_; }
  void ShowLoading(bool) override { ++calls; }
  void HideBackground() override { ++calls; }
  int ShowMsg(const std::string&, const std::string&, int kind) override {
    ++calls;
    return kind == mkQuestion ? kMsgOk : 0;
  }
  void ShowTaskMenu(const std::string&) override { ++calls; }
  void OpenExportSelection(const std::string&) override { ++calls; }
  bool EngineChecked(int) const override { return false; }

 private:
  int rows_ = 0;
};

void EnsureApp() {
  static int argc = 1;
  static char name[] = "bench_controller";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

// A program directory of its own with an empty store and a controller showing one keyword.
class Bench {
 public:
  Bench() {
    EnsureApp();
    path_ = std::filesystem::temp_directory_path() / "zoqa-bench-controller";
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    SetAppDirOverride(path_.string());
    ProvisionStoreFile();
    controller_ = std::make_unique<TMainController>(view);
    keyword_ = Cp936("广州 电子公司");
    controller_->AddTask(keyword_);  // OK: loads the keyword and starts it, with no engine
    controller_->SelectKeyword(keyword_);
    QElapsedTimer timer;
    timer.start();
    while ((controller_->CurrentKey() != keyword_ || view.GridRowCount() != 0) &&
           timer.elapsed() < 10000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
  }
  ~Bench() {
    controller_.reset();
    SetAppDirOverride("");
    std::filesystem::remove_all(path_);
  }

  // A company as a crawler reports it, numbered so that every name is new.
  TCompany Company(long n) const {
    TCompany company;
    company.KeyWord = keyword_;
    company.SetName(Cp936("广州市天河区某某电子科技有限公司") + std::to_string(n));
    company.Addr = Cp936("广州市天河区天河路") + std::to_string(n) + Cp936("号");
    company.WebUrl = "http://www.company" + std::to_string(n) + ".cn/";
    company.AddTel("020-8" + std::to_string(1000000 + n));
    company.AddMobile("138" + std::to_string(10000000 + n));
    company.AddQQ(std::to_string(100000 + n));
    company.AddEmail("sales" + std::to_string(n) + "@example.cn");
    company.Source = Cp936("百度");
    return company;
  }

  void Report(const TCompany& company) {
    THarvestMessage m;
    m.Kind = hkCompany;
    m.Company = &company;
    controller_->HarvestMessage(m);
  }

  void Status(const THarvestProgress& info) {
    THarvestMessage m;
    m.Kind = hkStatus;
    m.Info = &info;
    controller_->HarvestMessage(m);
  }

  const std::string& Keyword() const { return keyword_; }
  TSQLiteDatabase& Database() { return controller_->Store().Manager().Database(); }
  int Rows() const { return view.GridRowCount(); }

  CountingView view;

 private:
  std::filesystem::path path_;
  std::unique_ptr<TMainController> controller_;
  std::string keyword_;
};

// Wall-clock, processor (user and system) and user-only time of the process, in seconds.
struct Clock {
  double wall = 0;
  double cpu = 0;
  double user = 0;

  static Clock Now() {
    Clock c;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    c.wall = static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& tv) {
      return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
    };
    c.user = seconds(usage.ru_utime);
    c.cpu = c.user + seconds(usage.ru_stime);
    return c;
  }
};

// Reports per second of wall-clock time, and the cost of one report: wall-clock, processor
// (with the system's share: the database's writes and flushes) and user-only microseconds.
class ReportMeter {
 public:
  void Start() { start_ = Clock::Now(); }
  void Stop(long reports) {
    Clock end = Clock::Now();
    wall_ += end.wall - start_.wall;
    cpu_ += end.cpu - start_.cpu;
    user_ += end.user - start_.user;
    reports_ += reports;
  }
  void Publish(benchmark::State& state, long viewCalls) const {
    double n = static_cast<double>(reports_);
    state.counters["reports_per_s"] = n / wall_;
    state.counters["wall_us"] = wall_ * 1e6 / n;
    state.counters["cpu_us"] = cpu_ * 1e6 / n;
    state.counters["user_us"] = user_ * 1e6 / n;
    state.counters["view_calls"] = static_cast<double>(viewCalls) / n;
  }

 private:
  Clock start_;
  double wall_ = 0;
  double cpu_ = 0;
  double user_ = 0;
  long reports_ = 0;
};

// 10,000 new companies for the keyword on show: each is stored (a name lookup, an insert,
// the new row's id, the keyword's count and date, each write committed on its own), counted
// on the item and appended to the grid. With `flush` false the database does not wait for
// the disk, which leaves the controller's and the database's own work.
void NewCompanyReports(benchmark::State& state, bool flush) {
  Bench bench;
  if (!flush) bench.Database().Query("pragma synchronous=OFF");
  long next = 0;
  long reports = 0;
  long before = bench.view.calls;
  ReportMeter meter;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<TCompany> companies;
    companies.reserve(kReports);
    for (int i = 0; i < kReports; ++i) companies.push_back(bench.Company(next++));
    state.ResumeTiming();
    meter.Start();
    for (const TCompany& company : companies) bench.Report(company);
    meter.Stop(kReports);
    reports += kReports;
  }
  if (bench.Rows() != reports) state.SkipWithError("not every company reached the grid");
  meter.Publish(state, bench.view.calls - before);
}

void BM_NewCompanyReports(benchmark::State& state) {
  NewCompanyReports(state, true);
}
BENCHMARK(BM_NewCompanyReports)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_NewCompanyReportsWithoutFlush(benchmark::State& state) {
  NewCompanyReports(state, false);
}
BENCHMARK(BM_NewCompanyReportsWithoutFlush)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();

// 10,000 companies whose names are stored already: the name lookup turns each one away.
void BM_KnownCompanyReports(benchmark::State& state) {
  Bench bench;
  bench.Database().Query("pragma synchronous=OFF");
  std::vector<TCompany> companies;
  for (int i = 0; i < kReports; ++i) companies.push_back(bench.Company(i));
  for (const TCompany& company : companies) bench.Report(company);
  long before = bench.view.calls;
  ReportMeter meter;
  for (auto _ : state) {
    meter.Start();
    for (const TCompany& company : companies) bench.Report(company);
    meter.Stop(kReports);
  }
  if (bench.Rows() != kReports) state.SkipWithError("a known company was stored again");
  meter.Publish(state, bench.view.calls - before);
}
BENCHMARK(BM_KnownCompanyReports)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// 10,000 status lines of the keyword on show: the tip text only.
void BM_StatusReports(benchmark::State& state) {
  Bench bench;
  THarvestProgress info;
  info.KeyWord = bench.Keyword();
  info.StatusText = Cp936("正在获取搜索结果...");
  info.EngineName = Cp936("百度");
  long before = bench.view.calls;
  ReportMeter meter;
  for (auto _ : state) {
    meter.Start();
    for (int i = 0; i < kReports; ++i) bench.Status(info);
    meter.Stop(kReports);
  }
  meter.Publish(state, bench.view.calls - before);
}
BENCHMARK(BM_StatusReports)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
