#include "harvest/net/enginegate.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace zoqa {
namespace {

// No grant yet: the first request of a process is always granted.
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::min() / 2;
constexpr std::int64_t kMaxBackoffSeconds = 15 * 60;

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
  if (TickMs() < blockedUntil_) return false;
  return Ask(lastPage_, pageInterval_);
}

int TEngineGate::VerificationPage(int baseSeconds) {
  std::lock_guard<std::mutex> lock(lock_);
  std::int64_t seconds = std::max(baseSeconds, 1);
  for (int i = 0; i < verifyStreak_ && seconds < kMaxBackoffSeconds; ++i) seconds *= 2;
  seconds = std::min<std::int64_t>(seconds, kMaxBackoffSeconds);
  ++verifyStreak_;
  ++verifyPages_;
  blockedUntil_ = std::max(blockedUntil_, TickMs() + seconds * 1000);
  return static_cast<int>(seconds);
}

void TEngineGate::ResultPage() {
  std::lock_guard<std::mutex> lock(lock_);
  verifyStreak_ = 0;
}

void TEngineGate::ClearBackoff() {
  std::lock_guard<std::mutex> lock(lock_);
  verifyStreak_ = 0;
  blockedUntil_ = 0;
}

int TEngineGate::VerificationPages() {
  std::lock_guard<std::mutex> lock(lock_);
  return verifyPages_;
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

bool TEngineGate::BackingOff() {
  std::lock_guard<std::mutex> lock(lock_);
  return TickMs() < blockedUntil_;
}

int TEngineGate::PageInterval() {
  std::lock_guard<std::mutex> lock(lock_);
  return pageInterval_;
}

int TEngineGate::CrawlInterval() {
  std::lock_guard<std::mutex> lock(lock_);
  return crawlInterval_;
}

bool TEngineGate::Ask(std::int64_t& last, int interval) {
  std::int64_t now = TickMs();
  if (now - last <= interval) return false;
  last = now;
  return true;
}

}  // namespace zoqa
