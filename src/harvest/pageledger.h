// Which result pages of a harvester are finished. A page is finished once every crawler of it
// was started and each ended with its record (having read its site, or found nothing there);
// a crawler cut short by a stop leaves its page unfinished. The harvester reports pages in
// order as they finish and resumes, after a stop, at the lowest page that is not finished,
// so nothing that was under way at a stop is skipped by the next run. Crawlers end on their
// own threads, so every call takes the ledger's lock.
#pragma once

#include <map>
#include <mutex>

namespace zoqa {

class TPageLedger {
 public:
  explicit TPageLedger(int firstPage) : frontier_(firstPage) {}

  // A crawler of `page` is about to run.
  void CrawlerStarted(int page);
  // A crawler of `page` ended; `complete` when it was not cut short.
  void CrawlerEnded(int page, bool complete);
  // Every crawler of `page` was started (or the page had none).
  void PageStarted(int page);
  // The lowest page that is not finished: every page below it is.
  int Frontier();

 private:
  struct TPage {
    int Running = 0;
    bool Started = false;
    bool Cut = false;
  };

  std::mutex mutex_;
  int frontier_;
  std::map<int, TPage> pages_;
};

}  // namespace zoqa
