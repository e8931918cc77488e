// Threads and memory of `zoqa-cli run` when company sites trickle: a loopback web whose three
// engines list ten results a page, each leading to a site that sends a few bytes a second and
// never ends, beside one quick company site per page that keeps the keyword's stop rule away.
// Prints the process's threads and resident memory every 30 s and their highest values.
//   slowsites [SECONDS (600)] [MAXCRAWLERS (the default)]
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "clichild.h"
#include "procsample.h"
#include "support/loopbackworld.h"
#include "support/testsupport.h"
#include "support/webpages.h"

using namespace zoqa::test;
using zoqa::bench::Sample;
using zoqa::bench::SpawnCli;

namespace {

std::atomic<int> g_pages{0};

// The number between `key` and the next "_" (or the end) in `target`.
int NumberAfter(const std::string& target, const std::string& key) {
  std::size_t at = target.find(key);
  return at == std::string::npos ? 0 : std::atoi(target.c_str() + at + key.size());
}

std::string SiteUrl(int page, int result) {
  return result == 0
             ? "http://www.fast" + std::to_string(page) + ".com/"
             : "http://www.slow" + std::to_string(page) + "-" + std::to_string(result) + ".com/";
}

TWorldResponse Site(const TWorldRequest& r) {
  if (r.Host == RegistryHost()) return TWorldResponse::Page("none", 404);
  if (r.Host.rfind("www.fast", 0) == 0) {
    std::string n = std::to_string(NumberAfter(r.Host, "www.fast"));
    return TWorldResponse::Page(CompanyHomePage(
        "广州快速" + n + "号电子有限公司", "",
        "<p>电话：020-12345678 手机：138" + std::to_string(10000000 + std::stoi(n)) + "</p>"));
  }
  TWorldResponse trickle;
  trickle.Endless = true;
  trickle.TrickleMs = 1000;
  return trickle;
}

void BuildWeb(TLoopbackWorld& world) {
  world.RouteFn("www.baidu.com", "/s?", [](const TWorldRequest&) {
    int page = g_pages++;
    std::vector<TBaiduResultBlock> blocks;
    for (int i = 0; i < 10; ++i) {
      blocks.emplace_back(
          "广州快速" + std::to_string(page) + "号电子有限公司",
          "http://www.baidu.com/link?url=" + std::to_string(page) + "_" + std::to_string(i));
    }
    return TWorldResponse::Page(BaiduResultPage({}, blocks));
  });
  world.RouteFn("www.baidu.com", "/link?url=", [](const TWorldRequest& r) {
    int page = NumberAfter(r.Target, "url=");
    int result = NumberAfter(r.Target, "_");
    return TWorldResponse::Redirect(SiteUrl(page, result));
  });
  auto linkPage = [](const TWorldRequest&) {
    int page = g_pages++;
    std::vector<std::string> anchors;
    for (int i = 0; i < 10; ++i) anchors.push_back(Anchor(SiteUrl(page, i), "公司"));
    return TWorldResponse::Page(LinkResultPage(anchors));
  };
  world.RouteFn("www.so.com", "/s?", linkPage);
  world.RouteFn("www.sogou.com", "/web?", linkPage);
  world.RouteFn("*", "/", Site);
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
  std::string maxCrawlers = argc > 2 ? argv[2] : "";
  rlimit files{};
  getrlimit(RLIMIT_NOFILE, &files);
  files.rlim_cur = files.rlim_max;
  setrlimit(RLIMIT_NOFILE, &files);

  TLoopbackWorld world(4000);
  BuildWeb(world);
  TempDir home;
  std::ofstream(home.Path() + "/zqclient.cfg")
      << "[net]\nProxy=" << world.ProxyAddress() << "\n"
      << (maxCrawlers.empty() ? "" : "MaxCrawlers=" + maxCrawlers + "\n");

  pid_t pid = SpawnCli(home.Path(),
                       {"run", "--json", "--max-seconds", std::to_string(seconds), "广州 电子"},
                       home.Path() + "/companies.json");
  long maxThreads = 0;
  long maxRss = 0;
  for (int tick = 0;; ++tick) {
    std::this_thread::sleep_for(std::chrono::seconds(5));
    long threads = 0;
    long rss = 0;
    if (waitpid(pid, nullptr, WNOHANG) != 0 || !Sample(pid, threads, rss)) break;
    maxThreads = std::max(maxThreads, threads);
    maxRss = std::max(maxRss, rss);
    if (tick % 6 == 5) {
      std::printf("%4d s  threads %5ld  rss %7.1f MiB  requests %d\n", (tick + 1) * 5, threads,
                  rss / 1024.0, world.Count());
      std::fflush(stdout);
    }
  }
  std::ifstream companies(home.Path() + "/companies.json");
  int stored = 0;
  for (std::string line; std::getline(companies, line);) ++stored;
  std::printf("highest: threads %ld, rss %.1f MiB; result pages %d, companies %d\n", maxThreads,
              maxRss / 1024.0, g_pages.load(), stored);
  return 0;
}
