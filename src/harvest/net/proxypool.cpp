#include "harvest/net/proxypool.h"

#include <climits>

#include "harvest/base/enginesettings.h"

namespace zoqa {
namespace {

std::mutex g_poolLock;
std::shared_ptr<TProxyPool> g_pool;
std::string g_poolError;

constexpr TEngine kEngines[] = {egBaidu, egSogou, eg360};

}  // namespace

TProxyPool::TProxyPool(std::vector<TProxyEntry> proxies, TProxyPoolTimes times) : times_(times) {
  for (TProxyEntry& entry : proxies) {
    auto proxy = std::make_unique<TProxy>();
    proxy->Entry = std::move(entry);
    for (TEngine engine : kEngines) {
      TEngineGate& shared = TEngineGate::For(engine);
      proxy->Gates[engine] =
          std::make_unique<TEngineGate>(shared.PageInterval(), shared.CrawlInterval());
    }
    proxies_.push_back(std::move(proxy));
  }
}

bool TProxyPool::BenchedLocked(const TProxy& proxy) const {
  return TickMs() < proxy.BenchedUntil;
}

int TProxyPool::Acquire(TEngine engine) {
  std::lock_guard<std::mutex> lock(lock_);
  int best = -1;
  long bestLoad = LONG_MAX;
  for (int i = 0; i < Size(); ++i) {
    TProxy& proxy = *proxies_[i];
    if (BenchedLocked(proxy) || proxy.Gates[engine]->BackingOff()) continue;
    long total = proxy.Load[0] + proxy.Load[1] + proxy.Load[2];
    long load = proxy.Load[engine] * 1000000L + total;
    if (load < bestLoad) {
      best = i;
      bestLoad = load;
    }
  }
  if (best >= 0) ++proxies_[best]->Load[engine];
  return best;
}

void TProxyPool::Release(int index, TEngine engine) {
  std::lock_guard<std::mutex> lock(lock_);
  int& load = proxies_[index]->Load[engine];
  if (load > 0) --load;
}

bool TProxyPool::Usable(int index, TEngine engine) {
  return !Benched(index) && !Gate(index, engine).BackingOff();
}

bool TProxyPool::Benched(int index) {
  std::lock_guard<std::mutex> lock(lock_);
  return BenchedLocked(*proxies_[index]);
}

int TProxyPool::HealthyCount() {
  std::lock_guard<std::mutex> lock(lock_);
  int healthy = 0;
  for (const auto& proxy : proxies_) healthy += BenchedLocked(*proxy) ? 0 : 1;
  return healthy;
}

bool TProxyPool::ConnectFailed(int index) {
  std::lock_guard<std::mutex> lock(lock_);
  TProxy& proxy = *proxies_[index];
  // Failures of requests that were under way when the proxy was benched do not bench it again.
  if (BenchedLocked(proxy)) return false;
  if (++proxy.FailuresInRow < times_.FailuresToBench) return false;
  proxy.FailuresInRow = 0;
  proxy.BenchedUntil = TickMs() + times_.BenchMs;
  ++proxy.Stats.Benches;
  return true;
}

void TProxyPool::Connected(int index) {
  std::lock_guard<std::mutex> lock(lock_);
  proxies_[index]->FailuresInRow = 0;
}

void TProxyPool::CountPage(int index) {
  std::lock_guard<std::mutex> lock(lock_);
  ++proxies_[index]->Stats.Pages;
}

void TProxyPool::CountCrawl(int index) {
  std::lock_guard<std::mutex> lock(lock_);
  ++proxies_[index]->Stats.Crawls;
}

TProxyStats TProxyPool::Stats(int index) {
  TProxyStats stats;
  {
    std::lock_guard<std::mutex> lock(lock_);
    stats = proxies_[index]->Stats;
  }
  stats.Verifications = 0;
  for (TEngine engine : kEngines) stats.Verifications += Gate(index, engine).VerificationPages();
  return stats;
}

std::shared_ptr<TProxyPool> MakeProxyPool(const TEngineSettings& settings, TProxyPoolTimes times) {
  std::vector<TProxyEntry> proxies = ParseProxyList(settings.Proxies);
  if (!settings.ProxyFile.empty()) {
    std::vector<TProxyEntry> listed = ReadProxyFile(settings.ProxyFile);
    proxies.insert(proxies.end(), listed.begin(), listed.end());
  }
  if (proxies.empty()) return nullptr;
  return std::make_shared<TProxyPool>(std::move(proxies), times);
}

std::shared_ptr<TProxyPool> ProxyPool() {
  std::lock_guard<std::mutex> lock(g_poolLock);
  return g_pool;
}

void SetProxyPool(std::shared_ptr<TProxyPool> pool) {
  std::lock_guard<std::mutex> lock(g_poolLock);
  g_pool = std::move(pool);
}

std::string InstallProxyPool(const TEngineSettings& settings) {
  std::shared_ptr<TProxyPool> pool;
  std::string error;
  try {
    pool = MakeProxyPool(settings);
  } catch (const TProxyListError& e) {
    error = e.what();
  }
  std::lock_guard<std::mutex> lock(g_poolLock);
  g_pool = std::move(pool);
  g_poolError = error;
  return error;
}

std::string ProxyPoolError() {
  std::lock_guard<std::mutex> lock(g_poolLock);
  return g_poolError;
}

}  // namespace zoqa
