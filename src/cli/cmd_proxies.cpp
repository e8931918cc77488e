// zoqa-cli proxies: the proxies pool of the settings, and with --check each engine's home page
// asked once through each proxy, keeping to the proxy's gates.
#include <cstdio>

#include "cli/commands.h"
#include "harvest/base/enginesettings.h"
#include "harvest/net/proxycheck.h"
#include "harvest/net/proxypool.h"
#include "harvest/results/verifypage.h"
#include "platform/appdir.h"
#include "util/codepage.h"

namespace zoqa::cli {

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
    for (TEngine engine : {egBaidu, egSogou, eg360}) {
      std::string answer = CheckProxy(pool, i, engine);
      std::printf("  %s: %s\n", Cp936ToUtf8(EngineName(engine)).c_str(),
                  Cp936ToUtf8(answer).c_str());
      std::fflush(stdout);
    }
  }
  return 0;
}

}  // namespace zoqa::cli
