// The proxies pool: several egress addresses, each with its own page and crawl gate per
// engine (the engines pace each address), its own verification back-off per engine, and a
// health record: a proxy that fails to connect several times in a row is benched for every
// engine for a while. Harvesters bind to the least-loaded proxy healthy for their engine.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "harvest/base/engine.h"
#include "harvest/net/enginegate.h"
#include "harvest/net/proxylist.h"

namespace zoqa {

struct TEngineSettings;

struct TProxyPoolTimes {
  int BenchMs = 5 * 60 * 1000;  // how long a dead proxy is benched
  int FailuresToBench = 3;      // connection failures in a row that make it dead
};

// What passed through one proxy since the pool was made.
struct TProxyStats {
  int Pages = 0;          // result pages received
  int Crawls = 0;         // crawlers started
  int Verifications = 0;  // verification pages, all engines
  int Benches = 0;        // times benched as dead
};

class TProxyPool {
 public:
  // The gates of every proxy take the intervals the process-wide gates have now.
  explicit TProxyPool(std::vector<TProxyEntry> proxies, TProxyPoolTimes times = {});

  int Size() const { return static_cast<int>(proxies_.size()); }
  const TProxyEntry& Entry(int index) const { return proxies_[index]->Entry; }
  TEngineGate& Gate(int index, TEngine engine) { return *proxies_[index]->Gates[engine]; }

  // Binds a harvester of `engine` to the healthy proxy with the fewest harvesters of that
  // engine (then the fewest of all engines); -1 when none is healthy.
  int Acquire(TEngine engine);
  void Release(int index, TEngine engine);
  // Neither benched as dead nor in a verification back-off for `engine`.
  bool Usable(int index, TEngine engine);
  bool Benched(int index);
  // Proxies not benched as dead.
  int HealthyCount();

  // A request through the proxy could not connect to it or failed its handshake; true when
  // this failure benched it.
  bool ConnectFailed(int index);
  // A request through the proxy reached it.
  void Connected(int index);

  void CountPage(int index);
  void CountCrawl(int index);
  TProxyStats Stats(int index);
  int BenchSeconds() const { return (times_.BenchMs + 999) / 1000; }

 private:
  struct TProxy {
    TProxyEntry Entry;
    std::array<std::unique_ptr<TEngineGate>, 3> Gates;
    std::array<int, 3> Load{};
    int FailuresInRow = 0;
    std::int64_t BenchedUntil = 0;
    TProxyStats Stats;
  };

  bool BenchedLocked(const TProxy& proxy) const;

  const TProxyPoolTimes times_;
  std::vector<std::unique_ptr<TProxy>> proxies_;
  std::mutex lock_;  // guards everything of the proxies but their gates
};

// The proxies of `[net] Proxies` and then of `[net] ProxyFile`; nullptr when there are none.
// Throws TProxyListError for a malformed entry.
std::shared_ptr<TProxyPool> MakeProxyPool(const TEngineSettings& settings,
                                          TProxyPoolTimes times = {});

// The pool every harvester started from now on uses; nullptr: no pool, the one `[net] Proxy`.
std::shared_ptr<TProxyPool> ProxyPool();
void SetProxyPool(std::shared_ptr<TProxyPool> pool);

// Makes the pool of the settings the one harvesters use. A malformed entry leaves no pool and
// is kept as the reason no search may start: returned, and by ProxyPoolError until the next
// install ("" when the pool is sound or there is none).
std::string InstallProxyPool(const TEngineSettings& settings);
std::string ProxyPoolError();

}  // namespace zoqa
