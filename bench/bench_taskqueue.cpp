// The team store's task queue and shared pace under 16 concurrent workers: the latency of a
// claim (one statement) and of a gate reservation, as p50 and p99 in microseconds. Needs the
// PostgreSQL server named by ZOQA_TEST_PG (scripts/pgserver.sh starts one); it makes and drops
// a database of its own there.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "store/pgconnection.h"
#include "store/pgschema.h"
#include "store/pgsharedpace.h"
#include "store/pgtaskqueue.h"

namespace {

using namespace zoqa;

constexpr int kTasks = 20000;
const char kDatabase[] = "zb_taskqueue";

// The server URL with the bench database in place of its own.
std::string BenchUrl() {
  const char* server = std::getenv("ZOQA_TEST_PG");
  if (server == nullptr) return "";
  std::string url = server;
  std::size_t slash = url.find('/', url.find("://") + 3);
  std::size_t query = url.find('?', slash);
  return url.substr(0, slash) + "/" + kDatabase +
         (query == std::string::npos ? "" : url.substr(query));
}

// A fresh database with kTasks ready Baidu tasks, made once per process.
const std::string& Store() {
  static const std::string url = [] {
    std::string bench = BenchUrl();
    if (bench.empty()) return bench;
    TPgConnection server{TStoreUrl(std::getenv("ZOQA_TEST_PG"))};
    server.Script(std::string("drop database if exists ") + kDatabase + " with (force)");
    server.Script(std::string("create database ") + kDatabase);
    TPgConnection db{TStoreUrl(bench)};
    InitPgSchema(db);
    db.Exec(
        "insert into tbl_key(keystr, keyfold) select 'k' || g, 'k' || g from "
        "generate_series(1, $1::integer) g",
        {std::to_string(kTasks)});
    db.Script("insert into tbl_task(keyid, engine) select id, 'baidu' from tbl_key");
    return bench;
  }();
  return url;
}

// Latencies of every thread of one run, reported as percentiles by thread 0.
class TLatencies {
 public:
  void Add(const std::vector<double>& mine) {
    std::lock_guard<std::mutex> lock(mutex_);
    all_.insert(all_.end(), mine.begin(), mine.end());
  }
  void Report(benchmark::State& state) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (all_.empty()) return;
    std::sort(all_.begin(), all_.end());
    auto at = [&](double q) { return all_[static_cast<std::size_t>(q * (all_.size() - 1))]; };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
    all_.clear();
  }

 private:
  std::mutex mutex_;
  std::vector<double> all_;
};

double Micros(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - since)
      .count();
}

TLatencies g_claims;
TLatencies g_reservations;

// Each iteration claims one task and hands it back; only the claim is timed.
void BM_Claim(benchmark::State& state) {
  if (Store().empty()) {
    state.SkipWithError("ZOQA_TEST_PG is not set");
    return;
  }
  TPgTaskQueue queue(TStoreUrl(Store()), "bench" + std::to_string(state.thread_index()), 60);
  std::vector<double> mine;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    auto leases = queue.Claim(egBaidu, 1, {});
    mine.push_back(Micros(start));
    state.PauseTiming();
    for (const auto& lease : leases) queue.Release(lease, 1, "");
    state.ResumeTiming();
  }
  g_claims.Add(mine);
  if (state.thread_index() == 0) g_claims.Report(state);
}
BENCHMARK(BM_Claim)->Threads(16)->Iterations(200)->UseRealTime();

// Every worker reserves page slots of one egress and engine: they all contend for one row.
void BM_Reserve(benchmark::State& state) {
  if (Store().empty()) {
    state.SkipWithError("ZOQA_TEST_PG is not set");
    return;
  }
  TPgSharedPace pace{TStoreUrl(Store())};
  std::vector<double> mine;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(pace.Reserve("office", egBaidu, TPaceKind::Page, 1));
    mine.push_back(Micros(start));
  }
  g_reservations.Add(mine);
  if (state.thread_index() == 0) g_reservations.Report(state);
}
BENCHMARK(BM_Reserve)->Threads(16)->Iterations(200)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
