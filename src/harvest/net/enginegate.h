// Request pacing per search engine, shared by every harvester of that engine in the process:
// the page gate spaces result-page requests, the crawl gate spaces crawler starts. Each
// engine has its own throttle lock, held only while one gate is asked.
#pragma once

#include <cstdint>
#include <mutex>

#include "harvest/base/engine.h"

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

 private:
  bool Ask(std::int64_t& last, int interval);

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
