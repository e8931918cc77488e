// Request pacing per search engine, shared by every harvester of that engine in the process:
// the page gate spaces result-page requests, the crawl gate spaces crawler starts. Each
// engine has its own throttle lock, held only while one gate is asked.
#pragma once

#include <cstdint>
#include <mutex>

#include "harvest/engine.h"

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

  // Changes the intervals (tests and tools that run against local imitations).
  void SetIntervals(int pageIntervalMs, int crawlIntervalMs);

 private:
  bool Ask(std::int64_t& last, int interval);

  std::mutex lock_;
  int pageInterval_;
  int crawlInterval_;
  std::int64_t lastPage_;
  std::int64_t lastCrawl_;
};

}  // namespace zoqa
