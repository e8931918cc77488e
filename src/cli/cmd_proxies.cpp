// zoqa-cli proxies: the proxies pool of the settings, and with --check each engine's home page
// asked once through each proxy, keeping to the proxy's gates.
#include <chrono>
#include <cstdio>
#include <thread>

#include "cli/commands.h"
#include "harvest/enginesettings.h"
#include "harvest/httpclient.h"
#include "harvest/proxypool.h"
#include "harvest/verifypage.h"
#include "platform/appdir.h"
#include "util/codepage.h"

namespace zoqa::cli {
namespace {

constexpr int kGatePollMs = 100;

std::string HomePage(TEngine engine) {
  auto settings = EngineSettings();
  switch (engine) {
    case egBaidu:
      return "http://" + settings->BaiduSearchHost + "/";
    case egSogou:
      return "http://" + settings->SogouSearchHost + "/";
    case eg360:
      break;
  }
  return "http://" + settings->So360SearchHost + "/";
}

void CheckEngine(const std::shared_ptr<TProxyPool>& pool, int index, TEngine engine) {
  while (!pool->Gate(index, engine).AskPage()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kGatePollMs));
  }
  THttpClient http;
  http.SetRoute(TProxyRoute(pool, index));
  std::string body;
  std::string name = Cp936ToUtf8(EngineName(engine));
  if (http.Get(HomePage(engine), body)) {
    std::printf("  %s: OK, %zu bytes\n", name.c_str(), body.size());
  } else {
    std::printf("  %s: %s\n", name.c_str(), http.Error().c_str());
  }
  std::fflush(stdout);
}

}  // namespace

int CmdProxies(const Args& args) {
  bool check = false;
  for (const std::string& arg : args) {
    if (arg != "--check") throw UsageError("proxies: unexpected argument " + arg);
    check = true;
  }
  SetEngineSettings(LoadEngineSettings(AppDir() + "zqclient.cfg"));
  std::shared_ptr<TProxyPool> pool = MakeProxyPool(*EngineSettings());
  if (!pool) {
    std::puts("no proxies pool: [net] Proxies and [net] ProxyFile are empty");
    return 0;
  }
  for (int i = 0; i < pool->Size(); ++i) {
    std::printf("%s\n", pool->Entry(i).Shown().c_str());
    if (!check) continue;
    for (TEngine engine : {egBaidu, egSogou, eg360}) CheckEngine(pool, i, engine);
  }
  return 0;
}

}  // namespace zoqa::cli
