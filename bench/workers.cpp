// Workers of the team store's task queue as zoqa-cli processes against the loopback world,
// with the program's real gates: Baidu result pages per minute with 1, 2 and 4 workers, each
// on an egress of its own (its own loopback forward proxy and [net] Egress), against one; and
// the takeover time after one of two workers is killed with SIGKILL under a 2 s lease: from the
// kill to the other worker's first result page request for the task. Needs the PostgreSQL
// test server of ZOQA_TEST_PG (scripts/pgserver.sh start DIR prints it).
//   workers [SECONDS per rate run (60; 0 none)] [TAKEOVERS (3; 0 none)]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "clichild.h"
#include "siteweb.h"
#include "support/loopbackproxy.h"
#include "support/loopbackworld.h"
#include "support/pgtestdb.h"
#include "support/testsupport.h"
#include "support/webpages.h"

using namespace zoqa::test;
using namespace zoqa::bench;

namespace {

const char kBaidu[] = "http://www.baidu.com/s?";
std::atomic<int> g_sites{0};

// Every Baidu result page leads to one new company, so no task ends by the stop rule.
void BuildWeb(TLoopbackWorld& world) {
  world.RouteFn("www.baidu.com", "/s?", [](const TWorldRequest&) {
    int n = g_sites++;
    return TWorldResponse::Page(
        BaiduResultPage({}, {{"第" + std::to_string(n) + "号公司", SiteUrl(n)}}));
  });
  RouteCompanySites(world);
}

// A program directory whose zoqa-cli goes out through `proxy` as egress `egress`.
std::unique_ptr<TempDir> Home(const std::string& store, const TLoopbackProxy& proxy,
                              const std::string& egress, int leaseSeconds) {
  auto home = std::make_unique<TempDir>();
  std::ofstream(home->File("zqclient.cfg"))
      << "[net]\nProxy=127.0.0.1:" << proxy.Port() << "\nEgress=" << egress
      << "\n[store]\nUrl=" << store << "\nLeaseSeconds=" << leaseSeconds << "\n";
  return home;
}

int RunCli(const TempDir& home, const std::vector<std::string>& args) {
  int status = 0;
  waitpid(SpawnCli(home.Path(), args), &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int BaiduPages(const std::vector<std::unique_ptr<TLoopbackProxy>>& proxies) {
  int pages = 0;
  for (const auto& p : proxies) pages += p->Count(kBaidu);
  return pages;
}

// `count` workers, each on its own egress, on four Baidu tasks for `seconds`.
double PagesPerMinute(const std::string& store,
                      const std::vector<std::unique_ptr<TLoopbackProxy>>& proxies, int count,
                      int seconds) {
  std::vector<std::unique_ptr<TempDir>> homes;
  for (int i = 0; i < count; ++i) {
    homes.push_back(Home(store, *proxies[i], std::string("line") + char('0' + i), 60));
  }
  std::vector<std::string> start{"start", "--engines", "baidu"};
  for (int k = 0; k < 4; ++k)
    start.push_back(std::string("节奏") + char('0' + count) + char('a' + k));
  if (RunCli(*homes[0], start) != 0) return -1;
  int before = BaiduPages(proxies);
  std::vector<pid_t> workers;
  for (int i = 0; i < count; ++i) {
    workers.push_back(SpawnCli(homes[i]->Path(), {"worker", "--name", std::string(1, char('a' + i)),
                                                  "--max-seconds", std::to_string(seconds)}));
  }
  for (pid_t pid : workers) waitpid(pid, nullptr, 0);
  RunCli(*homes[0], {"stop", start[3], start[4], start[5], start[6]});
  return (BaiduPages(proxies) - before) * 60.0 / seconds;
}

// Milliseconds from the SIGKILL of the worker holding a task to the other worker's first
// result page request for it; -1 when none came within a minute.
long Takeover(const std::string& store, const std::vector<std::unique_ptr<TLoopbackProxy>>& proxies,
              int round) {
  auto first = Home(store, *proxies[0], "line0", 2);
  auto second = Home(store, *proxies[1], "line1", 2);
  std::string keyword = "接管" + std::to_string(round);
  if (RunCli(*first, {"start", "--engines", "baidu", keyword}) != 0) return -1;
  int seen = proxies[0]->Count(kBaidu);
  pid_t holder = SpawnCli(first->Path(), {"worker", "--name", "holder"});
  while (proxies[0]->Count(kBaidu) < seen + 2) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  pid_t other = SpawnCli(second->Path(), {"worker", "--name", "other"});
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the other one is idle
  int before = proxies[1]->Count(kBaidu);
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  auto killed = std::chrono::steady_clock::now();
  long ms = -1;
  for (int waited = 0; waited < 60000; waited += 10) {
    if (proxies[1]->Count(kBaidu) > before) {
      ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 killed)
               .count();
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(other, SIGTERM);
  waitpid(other, nullptr, 0);
  RunCli(*first, {"stop", keyword});
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  int takeovers = argc > 2 ? std::atoi(argv[2]) : 3;
  std::string server = PgTestDb::ServerUrl();
  if (server.empty()) {
    std::fprintf(stderr, "%s\n", PgTestDb::SkipReason());
    return 2;
  }
  PgQuery(server, "drop database if exists zoqa_bench_workers with (force)");
  PgQuery(server, "create database zoqa_bench_workers");
  std::string store = PgUrlFor(server, "zoqa_bench_workers");

  TLoopbackWorld world(256);
  BuildWeb(world);
  auto proxies = StartProxies(world, 4);
  if (RunCli(*Home(store, *proxies[0], "line0", 60), {"store", "init"}) != 0) return 1;

  double one = 0;
  for (int count : {1, 2, 4}) {
    if (seconds <= 0) break;
    double perMinute = PagesPerMinute(store, proxies, count, seconds);
    if (count == 1) one = perMinute;
    std::printf("%d workers on their own egresses: %.1f Baidu pages/min (%.2f x one)\n", count,
                perMinute, one > 0 ? perMinute / one : 0.0);
    std::fflush(stdout);
  }
  std::vector<long> times;
  for (int round = 0; round < takeovers; ++round) times.push_back(Takeover(store, proxies, round));
  if (!times.empty()) {
    std::sort(times.begin(), times.end());
    std::string all;
    for (long ms : times) {
      all += ' ';
      all += std::to_string(ms);
    }
    std::printf("takeover after SIGKILL, 2 s lease: median %ld ms, worst %ld ms (ms:%s)\n",
                times[times.size() / 2], times.back(), all.c_str());
  }
  PgQuery(server, "drop database if exists zoqa_bench_workers with (force)");
  return 0;
}
