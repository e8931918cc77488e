#include "harvest/enginegate.h"

#include <chrono>
#include <limits>

namespace zoqa {
namespace {

// No grant yet: the first request of a process is always granted.
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::min() / 2;

}  // namespace

std::int64_t TickMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

TEngineGate::TEngineGate(int pageIntervalMs, int crawlIntervalMs)
    : pageInterval_(pageIntervalMs),
      crawlInterval_(crawlIntervalMs),
      lastPage_(kNever),
      lastCrawl_(kNever) {}

TEngineGate& TEngineGate::For(TEngine engine) {
  static TEngineGate baidu(2000, 1000);
  static TEngineGate sogou(3000, 2000);
  static TEngineGate so360(3000, 2000);
  switch (engine) {
    case egBaidu:
      return baidu;
    case egSogou:
      return sogou;
    case eg360:
      break;
  }
  return so360;
}

bool TEngineGate::AskPage() {
  std::lock_guard<std::mutex> lock(lock_);
  return Ask(lastPage_, pageInterval_);
}

bool TEngineGate::AskCrawl() {
  std::lock_guard<std::mutex> lock(lock_);
  return Ask(lastCrawl_, crawlInterval_);
}

void TEngineGate::SetIntervals(int pageIntervalMs, int crawlIntervalMs) {
  std::lock_guard<std::mutex> lock(lock_);
  pageInterval_ = pageIntervalMs;
  crawlInterval_ = crawlIntervalMs;
}

bool TEngineGate::Ask(std::int64_t& last, int interval) {
  std::int64_t now = TickMs();
  if (now - last <= interval) return false;
  last = now;
  return true;
}

}  // namespace zoqa
