// Base of the search-result harvesters: one thread per keyword and engine that pages through
// the engine's results and starts a crawler per result. It holds what the three engines share:
// the progress record and its reports, the gate waits, pausing, the registry of running
// crawlers and the end pass that stops them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "harvest/net/crawlerslots.h"
#include "harvest/net/enginegate.h"
#include "harvest/net/httpclient.h"
#include "harvest/net/proxypool.h"
#include "harvest/net/proxyroute.h"
#include "harvest/net/workerthread.h"
#include "harvest/pageledger.h"
#include "harvest/report/harvestprogress.h"
#include "harvest/report/harvestsink.h"
#include "harvest/sites/sitecrawler.h"
#include "harvest/text/pagetext.h"
#include "harvest/text/regexp.h"

namespace zoqa {

class THarvester;

// Runs on the sink's thread once the harvester's thread has ended.
using THarvesterEnd = std::function<void(THarvester&)>;

// The crawlers a harvester started that have not ended, by thread id. Guarded by the one
// process-wide crawler registry lock.
class TCrawlerRegistry {
 public:
  void Add(const std::shared_ptr<TSiteCrawler>& crawler);
  void Remove(const std::string& threadId);
  // Detaches every crawler's end handler, asks it to stop and empties the registry.
  void StopAll();
  std::size_t Size();

 private:
  std::map<std::string, std::shared_ptr<TSiteCrawler>> crawlers_;
};

class THarvester : public TWorkerThread {
 public:
  // Starts the harvester of `engine` for `keyWord` at page index `startPage`; its reports and
  // its crawlers' go by `link`, and `onEnd` runs on the link's thread when it has ended.
  static std::shared_ptr<THarvester> Start(TEngine engine, std::shared_ptr<THarvestLink> link,
                                           const std::string& keyWord, int startPage,
                                           THarvesterEnd onEnd);

  TEngine Engine() const { return engine_; }
  const std::string& KeyWord() const { return info_.KeyWord; }
  // The index of the next page to request; after the end, where the next run resumes: the
  // lowest page whose crawlers did not all end with their record.
  int PageIndex() const { return pageIndex_.load(); }
  // Holds the harvester at its next waiting point (true) or lets it go on (false).
  void Hold(bool hold);
  bool Held() const { return held_.load(); }
  // Harvesters started whose end notification has not yet run (or been dropped because the
  // sink went): a task has ended once its harvesters' ends were reported.
  static int Unreported();

  // Crawlers started and not yet ended.
  std::size_t RunningCrawlers() { return registry_->Size(); }

  // The proxy of the pool the harvester is on (the empty route without a pool).
  TProxyRoute Route();

 protected:
  THarvester(TEngine engine, std::shared_ptr<THarvestLink> link, const std::string& keyWord,
             int startPage);

  void Execute() override;
  void Finished() override;
  // One pass of the thread body after the page gate granted; false ends the harvester.
  virtual bool Cycle() = 0;
  // Cycle with its failures swallowed (but Sogou's, which end the harvester): a failure is
  // a status line and the same page again after the gate; the same failure on one page
  // three times in a row finishes the page with no results.
  bool GuardedCycle();
  bool CycleFailed(const std::string& what);

  // Status line for the keyword (hkStatus); nothing once a stop was requested.
  void Status(const std::string& text);
  // Every crawler of the page was started: moves to the next page. Nothing when a stop came,
  // which may have cut the starting short.
  void PageDone();
  // Reports each page that finished since the last report, in order (hkPageDone).
  void ReportFinishedPages();
  // Waits for the engine's gates, polling every 100 ms (pages) or 50 ms (crawlers), and at a
  // held point; false when a stop came first. Before the crawl gate the harvester waits for
  // a free crawler slot of the process. With a pool, the page gate wait also waits until
  // the harvester is on a proxy usable for its engine.
  bool WaitPageGate();
  bool WaitCrawlGate();
  // Waits while the harvester is held, or any store hold (storehold.h) is on; false when a
  // stop came.
  bool WaitWhileHeld();
  // True when the answer to the last search request is the engine's verification page
  // (`hasResults`: a reader found results on it); the engine's page gate then holds every
  // harvester of the engine for the back-off, and the user is told.
  bool VerificationAnswer(const std::string& body, const TPageText& page, bool hasResults);
  // A search request failed: when through the proxy's fault, a status line names it.
  void RequestFailed();
  // A real result page arrived: the verification streak ends, and the proxy counts a page.
  void ResultPageArrived();
  // Registers and launches a crawler of the current page; it takes the slot the crawl gate
  // wait took.
  void AddCrawler(const std::shared_ptr<TSiteCrawler>& crawler);
  // The end handler of a crawler of the current page.
  TSiteCrawler::TEndHandler CrawlerEnded();

  // The gates of the engine: the process-wide ones, or those of the harvester's proxy.
  TEngineGate& Gate();

  const TEngine engine_;
  std::shared_ptr<THarvestLink> link_;
  THarvestProgress info_;
  std::atomic<int> pageIndex_;
  THttpClient http_;
  TRegExp re_;
  std::string currentUrl_;

 private:
  bool WaitCrawlerSlot();
  // With a pool: true when the harvester is on a proxy usable for its engine, after moving
  // to the least-loaded usable one when its own is benched or backing off; false while none
  // is usable.
  bool OnUsableProxy();
  // Says that the harvester's proxy was benched as dead and lets go of it.
  void LeaveDeadProxy();
  void SetRoute(const TProxyRoute& route);
  void ProxyNote(const std::string& text);
  // Asks `ask` every 50 ms until it grants; false when a stop came first.
  bool WaitGrant(const std::function<bool()>& ask);

  std::atomic<bool> held_{false};
  std::mutex holdMutex_;
  std::condition_variable holdChanged_;
  std::shared_ptr<TCrawlerRegistry> registry_;
  std::shared_ptr<TPageLedger> ledger_;
  int reportedPages_;  // the pages below this one were reported finished
  TCrawlerSlot slot_;
  THarvesterEnd onEnd_;
  std::shared_ptr<void> unreported_;
  std::string lastFailure_;  // page index and text of the last failed cycle
  int failuresInRow_ = 0;
  const std::shared_ptr<TProxyPool> pool_;
  std::mutex routeMutex_;  // guards route_ for readers on other threads
  TProxyRoute route_;
  std::string proxyNote_;  // the last note about the pool, not repeated
};

}  // namespace zoqa
