#include "harvest/net/enginegate.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace zoqa {
namespace {

// No grant yet: the first request of a process is always granted.
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::min() / 2;
constexpr std::int64_t kMaxBackoffSeconds = 15 * 60;
// After the shared store failed to answer, the gate waits this long before it asks again,
// so that harvesters polling the gate do not hammer an unreachable store.
constexpr std::int64_t kStoreRetryMs = 1000;
// How long a shared hold read from the store is taken as current.
constexpr std::int64_t kHoldCacheMs = 1000;

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
  if (pace_) return AskShared(pageSlot_, TPaceKind::Page, pageInterval_);
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
  // Every machine on this address is held too; a slot reserved before the answer is void.
  if (pace_) {
    pace_->Hold(egress_, engine_, static_cast<int>(seconds));
    pageSlot_ = {};
    holdCheckedAt_ = 0;
  }
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
  if (pace_) return AskShared(crawlSlot_, TPaceKind::Crawl, crawlInterval_);
  return Ask(lastCrawl_, crawlInterval_);
}

void TEngineGate::SetIntervals(int pageIntervalMs, int crawlIntervalMs) {
  std::lock_guard<std::mutex> lock(lock_);
  pageInterval_ = pageIntervalMs;
  crawlInterval_ = crawlIntervalMs;
}

bool TEngineGate::BackingOff() {
  std::lock_guard<std::mutex> lock(lock_);
  return TickMs() < blockedUntil_ || (pace_ && SharedHold());
}

int TEngineGate::PageInterval() {
  std::lock_guard<std::mutex> lock(lock_);
  return pageInterval_;
}

int TEngineGate::CrawlInterval() {
  std::lock_guard<std::mutex> lock(lock_);
  return crawlInterval_;
}

void TEngineGate::Share(std::shared_ptr<TSharedPace> pace, const std::string& egress,
                        TEngine engine) {
  std::lock_guard<std::mutex> lock(lock_);
  pace_ = std::move(pace);
  egress_ = pace_ ? egress : std::string();
  engine_ = engine;
  pageSlot_ = {};
  crawlSlot_ = {};
  storeRetryAt_ = 0;
  holdCheckedAt_ = 0;
  sharedHoldUntil_ = 0;
}

bool TEngineGate::AskShared(TSlot& slot, TPaceKind kind, int interval) {
  std::int64_t now = TickMs();
  if (!slot.Reserved) {
    if (now < storeRetryAt_) return false;
    std::int64_t wait = pace_->Reserve(egress_, engine_, kind, interval);
    if (wait < 0) {
      storeRetryAt_ = now + kStoreRetryMs;
      return false;
    }
    slot = {true, now + wait};
  }
  if (now < slot.At) return false;
  slot = {};
  return true;
}

// True while another machine's verification answer holds the engine on this address; read
// from the store at most once a second.
bool TEngineGate::SharedHold() {
  std::int64_t now = TickMs();
  if (holdCheckedAt_ == 0 || now - holdCheckedAt_ >= kHoldCacheMs) {
    std::int64_t held = pace_->HeldForMs(egress_, engine_);
    holdCheckedAt_ = now;
    sharedHoldUntil_ = held > 0 ? now + held : 0;
  }
  return now < sharedHoldUntil_;
}

bool TEngineGate::Ask(std::int64_t& last, int interval) {
  std::int64_t now = TickMs();
  if (now - last <= interval) return false;
  last = now;
  return true;
}

}  // namespace zoqa
