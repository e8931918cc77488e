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

#include "harvest/caijiinfo.h"
#include "harvest/crawlerslots.h"
#include "harvest/enginegate.h"
#include "harvest/harvestsink.h"
#include "harvest/httpclient.h"
#include "harvest/pagecon.h"
#include "harvest/pagetext.h"
#include "harvest/regexp.h"
#include "harvest/workerthread.h"

namespace zoqa {

class THarvester;

// Runs on the sink's thread once the harvester's thread has ended.
using THarvesterEnd = std::function<void(THarvester&)>;

// The crawlers a harvester started that have not ended, by thread id. Guarded by the one
// process-wide crawler registry lock.
class TCrawlerRegistry {
 public:
  void Add(const std::shared_ptr<TCaijiPageCon>& crawler);
  void Remove(const std::string& threadId);
  // Detaches every crawler's end handler, asks it to stop and empties the registry.
  void StopAll();
  std::size_t Size();

 private:
  std::map<std::string, std::shared_ptr<TCaijiPageCon>> crawlers_;
};

class THarvester : public TWorkerThread {
 public:
  // Starts the harvester of `engine` for `keyWord` at page index `startPage`; its reports go
  // to `sink`, and `onEnd` runs on the sink's thread when it has ended.
  static std::shared_ptr<THarvester> Start(TEngine engine, THarvestSink* sink,
                                           const std::string& keyWord, int startPage,
                                           THarvesterEnd onEnd);

  TEngine Engine() const { return engine_; }
  const std::string& KeyWord() const { return info_.KeyWord; }
  // The index of the next page to request; after the end, where the next run resumes.
  int PageIndex() const { return pageIndex_.load(); }
  // Holds the harvester at its next waiting point (true) or lets it go on (false).
  void Hold(bool hold);
  bool Held() const { return held_.load(); }
  // Harvesters started whose end notification has not yet run (or been dropped because the
  // sink went): a task has ended once its harvesters' ends were reported.
  static int Unreported();

  // Crawlers started and not yet ended.
  std::size_t RunningCrawlers() { return registry_->Size(); }

 protected:
  THarvester(TEngine engine, std::shared_ptr<THarvestLink> link, const std::string& keyWord,
             int startPage);

  void Execute() override;
  void Finished() override;
  // One pass of the thread body after the page gate granted; false ends the harvester.
  virtual bool Cycle() = 0;

  // Status line for the keyword (hkStatus); nothing once a stop was requested.
  void Status(const std::string& text);
  // Moves to the next page and reports it (hkPageDone).
  void PageDone();
  // Waits for the engine's gates, polling every 100 ms (pages) or 50 ms (crawlers), and at a
  // held point; false when a stop came first. Before the crawl gate the harvester waits for
  // a free crawler slot of the process.
  bool WaitPageGate();
  bool WaitCrawlGate();
  // Waits while the harvester is held; false when a stop came.
  bool WaitWhileHeld();
  // True when the answer to the last search request is the engine's verification page; the
  // engine's page gate then holds every harvester of the engine for the back-off, and the
  // user is told.
  bool VerificationAnswer(const std::string& body, const TPageText& page);
  // Registers and launches a crawler; it takes the slot the crawl gate wait took.
  void AddCrawler(const std::shared_ptr<TCaijiPageCon>& crawler);
  TCaijiPageCon::TEndHandler CrawlerEnded();

  TEngineGate& Gate() { return TEngineGate::For(engine_); }

  const TEngine engine_;
  std::shared_ptr<THarvestLink> link_;
  TCaiJiInfo info_;
  std::atomic<int> pageIndex_;
  THttpClient http_;
  TRegExp re_;
  std::string currentUrl_;

 private:
  bool WaitCrawlerSlot();
  // Asks `ask` every 50 ms until it grants; false when a stop came first.
  bool WaitGrant(const std::function<bool()>& ask);

  std::atomic<bool> held_{false};
  std::mutex holdMutex_;
  std::condition_variable holdChanged_;
  std::shared_ptr<TCrawlerRegistry> registry_;
  TCrawlerSlot slot_;
  THarvesterEnd onEnd_;
  std::shared_ptr<void> unreported_;
};

}  // namespace zoqa
