#include "harvest/net/crawlerslots.h"

#include <atomic>

#include "harvest/base/enginesettings.h"

namespace zoqa {
namespace {

std::atomic<int> g_taken{0};

}  // namespace

TCrawlerSlot TakeCrawlerSlot() {
  int limit = EngineSettings()->MaxCrawlers;
  int taken = g_taken.load();
  do {
    if (taken >= limit) return nullptr;
  } while (!g_taken.compare_exchange_weak(taken, taken + 1));
  return TCrawlerSlot(static_cast<void*>(&g_taken), [](void*) { g_taken.fetch_sub(1); });
}

int CrawlerSlotsTaken() {
  return g_taken.load();
}

}  // namespace zoqa
