// Harvest rate of `zoqa-cli run` through a proxies pool of loopback forward proxies, with the
// program's real gates: pages and companies per minute for 1, 2 and 4 proxies (four Baidu
// keywords), each proxy's gate saturation, and the threads and resident memory of a run with
// 4 proxies x 3 engines x 4 keywords. Every result page leads to one new company.
//   proxypool [SECONDS a rate run (60; 0 none)] [SECONDS the footprint run (120; 0 none)]
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "clichild.h"
#include "procsample.h"
#include "siteweb.h"
#include "support/loopbackproxy.h"
#include "support/loopbackworld.h"
#include "support/testsupport.h"
#include "support/webpages.h"

using namespace zoqa::test;
using namespace zoqa::bench;

namespace {

constexpr double kBaiduPageSeconds = 2.0;
std::atomic<int> g_sites{0};

void BuildWeb(TLoopbackWorld& world) {
  world.RouteFn("www.baidu.com", "/s?", [](const TWorldRequest&) {
    int n = g_sites++;
    return TWorldResponse::Page(
        BaiduResultPage({}, {{SiteCompanyName(std::to_string(n)), SiteUrl(n)}}));
  });
  auto linkPage = [](const TWorldRequest&) {
    return TWorldResponse::Page(LinkResultPage({Anchor(SiteUrl(g_sites++), "公司")}));
  };
  world.RouteFn("www.so.com", "/s?", linkPage);
  world.RouteFn("www.sogou.com", "/web?", linkPage);
  RouteCompanySites(world);
}

struct TRun {
  int companies = 0;
  long maxThreads = 0;
  long maxRssKiB = 0;
};

TRun RunHarvest(const std::vector<std::unique_ptr<TLoopbackProxy>>& proxies, int count,
                const std::string& engines, int keywords, int seconds) {
  TempDir home;
  std::string list;
  for (int i = 0; i < count; ++i) {
    if (i > 0) list += ',';
    list += proxies[i]->Url();
  }
  std::ofstream(home.Path() + "/zqclient.cfg") << "[net]\nProxies=" << list << "\n";
  std::vector<std::string> args = {"run",   "--json",        "--engines",
                                   engines, "--max-seconds", std::to_string(seconds)};
  for (int k = 0; k < keywords; ++k) args.push_back("关键词" + std::to_string(k));
  pid_t pid = SpawnCli(home.Path(), args, home.Path() + "/companies.json");
  TRun run;
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    long threads = 0;
    long rss = 0;
    if (waitpid(pid, nullptr, WNOHANG) != 0 || !Sample(pid, threads, rss)) break;
    run.maxThreads = std::max(run.maxThreads, threads);
    run.maxRssKiB = std::max(run.maxRssKiB, rss);
  }
  std::ifstream companies(home.Path() + "/companies.json");
  for (std::string line; std::getline(companies, line);) ++run.companies;
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  int footprint = argc > 2 ? std::atoi(argv[2]) : 120;
  TLoopbackWorld world(256);
  BuildWeb(world);
  auto proxies = StartProxies(world, 4);

  double onePerMinute = 0;
  for (int count : {1, 2, 4}) {
    if (seconds <= 0) break;
    std::vector<int> before;
    for (auto& p : proxies) before.push_back(p->Count("http://www.baidu.com/s?"));
    TRun run = RunHarvest(proxies, count, "baidu", 4, seconds);
    int pages = 0;
    std::string saturation;
    for (int i = 0; i < count; ++i) {
      int through = proxies[i]->Count("http://www.baidu.com/s?") - before[i];
      pages += through;
      int percent = static_cast<int>(100.0 * through * kBaiduPageSeconds / seconds + 0.5);
      saturation += ' ';
      saturation += std::to_string(percent) + "%";
    }
    double perMinute = pages * 60.0 / seconds;
    if (count == 1) onePerMinute = perMinute;
    std::printf("%d proxies: %.1f pages/min (%.2f x one), %.1f companies/min; gate saturation%s\n",
                count, perMinute, onePerMinute > 0 ? perMinute / onePerMinute : 0.0,
                run.companies * 60.0 / seconds, saturation.c_str());
    std::fflush(stdout);
  }
  if (footprint > 0) {
    TRun run = RunHarvest(proxies, 4, "baidu,sogou,360", 4, footprint);
    std::printf(
        "4 proxies x 3 engines x 4 keywords, %d s: highest threads %ld, rss %.1f MiB; "
        "companies %d\n",
        footprint, run.maxThreads, run.maxRssKiB / 1024.0, run.companies);
  }
  return 0;
}
