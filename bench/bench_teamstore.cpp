// The team store against the local one: companies written per second by 1 and 8 writers,
// the first 100 and all rows of a keyword of 100,000 companies, and store copy of 100,000
// companies from a local store. Needs a PostgreSQL server: ZOQA_BENCH_PG (or ZOQA_TEST_PG)
// names its maintenance database; the benchmark makes and drops a database zoqa_bench_*.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "store/pgschema.h"
#include "store/pgstore.h"
#include "store/sqlitestore.h"
#include "store/storecopy.h"
#include "store/storefile.h"
#include "support/storeseed.h"

namespace {

using namespace zoqa;

constexpr int kRows = 100000;

std::string ServerUrl() {
  for (const char* name : {"ZOQA_BENCH_PG", "ZOQA_TEST_PG"}) {
    if (const char* url = std::getenv(name)) return url;
  }
  return "";
}

// A fresh database `name` on the server with the schema, dropped when the object goes.
class BenchDb {
 public:
  explicit BenchDb(const std::string& name) : name_(name) {
    Admin("drop database if exists " + name_ + " with (force)");
    Admin("create database " + name_);
    std::string server = ServerUrl();
    std::size_t slash = server.find('/', server.find("://") + 3);
    url_ = server.substr(0, slash) + "/" + name_;
    TPgConnection connection{TStoreUrl(url_)};
    InitPgSchema(connection);
  }
  ~BenchDb() { Admin("drop database if exists " + name_ + " with (force)"); }
  const std::string& Url() const { return url_; }

 private:
  static void Admin(const std::string& sql) {
    TPgConnection connection{TStoreUrl(ServerUrl())};
    connection.Script(sql);
  }
  std::string name_;
  std::string url_;
};

// The generated companies of support/storeseed.h in PostgreSQL's dialect, without the paid
// and verified marks.
const char kPgRows[] =
    "insert into tbl_list(comname, addr, weburl, email, tel, mob, qq, source, keyid) "
    "select '广州市天河区某某电子科技有限公司' || i, '广州市天河区天河路' || i || '号', "
    "'http://www.company' || i || '.cn/contact.html', 'sales' || i || '@example.cn' || "
    "E'\\r\\n', '020-8' || (1000000 + i) || E'\\r\\n', '138' || (10000000 + i) || E'\\r\\n' || "
    "'139' || (10000000 + i) || E'\\r\\n', (100000 + i) || E'\\r\\n', '百度', $1 "
    "from generate_series(1, $2) i";

struct LocalStore {
  LocalStore() : dir(std::filesystem::temp_directory_path() / "zoqa-bench-team-local") {
    std::filesystem::remove_all(dir);
    ProvisionStoreFile((dir / "Data/users").string());
    store = std::make_unique<TSQLiteStore>((dir / "Data/users").string());
    store->AddKey("k", 0);
    store->Manager().Database().Execute(test::GeneratedCompaniesSql(kRows));
  }
  ~LocalStore() {
    store.reset();
    std::filesystem::remove_all(dir);
  }
  std::filesystem::path dir;
  std::unique_ptr<TSQLiteStore> store;
};

bool NeedServer(benchmark::State& state) {
  if (!ServerUrl().empty()) return true;
  state.SkipWithError("no PostgreSQL server: set ZOQA_BENCH_PG");
  return false;
}

// Each writer on its own connection stores distinct companies, one statement each.
void BM_TeamWrite(benchmark::State& state) {
  static std::unique_ptr<BenchDb> db;
  static std::string keyId;
  static std::atomic<long> next{0};
  if (state.thread_index() == 0 && NeedServer(state)) {
    db = std::make_unique<BenchDb>("zoqa_bench_write");
    keyId = TPgStore(TStoreUrl(db->Url())).AddKey("k", 0);
  }
  if (ServerUrl().empty()) return;
  // Thread 0 sets up before the timing starts; the others wait at the first iteration.
  std::unique_ptr<TPgStore> store;
  for (auto _ : state) {
    if (!store) store = std::make_unique<TPgStore>(TStoreUrl(db->Url()));
    TCompany company;
    company.SetName("Company " + std::to_string(next++));
    company.AddMobile("13800000000");
    benchmark::DoNotOptimize(store->AddCompany(keyId, company));
  }
  state.SetItemsProcessed(state.iterations());
  store.reset();
  if (state.thread_index() == 0) db.reset();
}
BENCHMARK(BM_TeamWrite)->Threads(1)->Threads(8)->UseRealTime()->MinTime(3);

void ReadRows(benchmark::State& state, TStoreBackend& store, std::size_t rows) {
  for (auto _ : state) {
    std::vector<TCompany> read;
    auto cursor = store.OpenCompanies("k", {}, 0);
    while (read.size() < rows && cursor->NextBatch(read, 1000) > 0) {
    }
    benchmark::DoNotOptimize(read.data());
  }
}

void BM_SelectLocal(benchmark::State& state) {
  LocalStore local;
  ReadRows(state, *local.store, static_cast<std::size_t>(state.range(0)));
}
BENCHMARK(BM_SelectLocal)->Arg(100)->Arg(kRows)->Unit(benchmark::kMillisecond);

void BM_SelectTeam(benchmark::State& state) {
  if (!NeedServer(state)) return;
  BenchDb db("zoqa_bench_select");
  TPgStore store{TStoreUrl(db.Url())};
  std::string keyId = store.AddKey("k", 0);
  store.Connection().Exec(kPgRows, {keyId, std::to_string(kRows)});
  store.Connection().Script("analyze tbl_list");
  ReadRows(state, store, static_cast<std::size_t>(state.range(0)));
}
BENCHMARK(BM_SelectTeam)->Arg(100)->Arg(kRows)->Unit(benchmark::kMillisecond);

void BM_CopyLocalToTeam(benchmark::State& state) {
  if (!NeedServer(state)) return;
  LocalStore local;
  for (auto _ : state) {
    state.PauseTiming();
    auto db = std::make_unique<BenchDb>("zoqa_bench_copy");
    TPgStore to{TStoreUrl(db->Url())};
    state.ResumeTiming();
    benchmark::DoNotOptimize(CopyStore(*local.store, to).Companies);
    state.PauseTiming();
    db.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_CopyLocalToTeam)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
