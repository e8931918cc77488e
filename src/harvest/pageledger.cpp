#include "harvest/pageledger.h"

namespace zoqa {

void TPageLedger::CrawlerStarted(int page) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++pages_[page].Running;
}

void TPageLedger::CrawlerEnded(int page, bool complete) {
  std::lock_guard<std::mutex> lock(mutex_);
  TPage& entry = pages_[page];
  --entry.Running;
  if (!complete) entry.Cut = true;
}

void TPageLedger::PageStarted(int page) {
  std::lock_guard<std::mutex> lock(mutex_);
  pages_[page].Started = true;
}

int TPageLedger::Frontier() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = pages_.find(frontier_); it != pages_.end(); it = pages_.find(frontier_)) {
    const TPage& page = it->second;
    if (!page.Started || page.Running > 0 || page.Cut) break;
    pages_.erase(it);
    ++frontier_;
  }
  return frontier_;
}

}  // namespace zoqa
