// Request pacing per search engine, shared by every harvester of that engine in the process:
// the page gate spaces result-page requests, the crawl gate spaces crawler starts. Each
// engine has its own throttle lock, held only while one gate is asked. A gate may also share
// its pace with other machines on the same egress address (Share): it then grants the slots
// it reserves in the shared store, one reservation outstanding at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "harvest/base/engine.h"
#include "harvest/net/sharedpace.h"

namespace zoqa {

// Milliseconds on a monotonic clock.
std::int64_t TickMs();

class TEngineGate {
 public:
  TEngineGate(int pageIntervalMs, int crawlIntervalMs);

  // The process-wide gate of `engine`.
  static TEngineGate& For(TEngine engine);

  // Grants when more than the interval has passed since the last grant (always the first
  // time), and then counts now as the last grant.
  bool AskPage();
  bool AskCrawl();

  // An engine's human-verification answer: the page gate refuses for the back-off, which
  // starts at `baseSeconds` and doubles with each such answer in a row up to 15 minutes.
  // Returns the back-off in seconds.
  int VerificationPage(int baseSeconds);
  // A real result page arrived: the next verification page starts from the base again.
  void ResultPage();
  // Ends a running back-off and forgets the verification answers in a row.
  void ClearBackoff();
  // Verification answers seen since the process started.
  int VerificationPages();

  // True while a verification back-off runs.
  bool BackingOff();

  // Changes the intervals (tests and tools that run against local imitations).
  void SetIntervals(int pageIntervalMs, int crawlIntervalMs);
  int PageInterval();
  int CrawlInterval();

  // From now on the gate keeps the pace of `egress` for `engine` in `pace`, together with
  // every other gate that shares it there; nullptr goes back to the gate's own pace.
  void Share(std::shared_ptr<TSharedPace> pace, const std::string& egress, TEngine engine);
  const std::string& Egress() const { return egress_; }

 private:
  // A slot reserved in the shared pace and not yet granted; Reserved false when none.
  struct TSlot {
    bool Reserved = false;
    std::int64_t At = 0;  // TickMs() when it may be granted
  };

  bool Ask(std::int64_t& last, int interval);
  bool AskShared(TSlot& slot, TPaceKind kind, int interval);
  bool SharedHold();

  std::shared_ptr<TSharedPace> pace_;
  std::string egress_;
  TEngine engine_ = egBaidu;
  TSlot pageSlot_;
  TSlot crawlSlot_;
  std::int64_t storeRetryAt_ = 0;     // after a failed reservation, when to ask again
  std::int64_t holdCheckedAt_ = 0;    // when the shared hold was last read
  std::int64_t sharedHoldUntil_ = 0;  // TickMs() when the shared hold read then ends

  std::mutex lock_;
  int pageInterval_;
  int crawlInterval_;
  std::int64_t lastPage_;
  std::int64_t lastCrawl_;
  std::int64_t blockedUntil_ = 0;
  int verifyStreak_ = 0;
  int verifyPages_ = 0;
};

}  // namespace zoqa
