// A worker of the team store's task queue: it claims tasks (one keyword on one engine each)
// as far as its egress addresses can serve them, runs a harvester for each from the task's
// saved page, stores the companies its crawlers find, saves the pages reached under its
// lease once their crawlers have ended, and renews its leases every third of the lease time. A task
// paused or stopped from anywhere, or a lease lost, stops that task's harvester at the next
// renewal. It lives on the main thread, which runs a Qt event loop and calls Tick.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "harvest/harvester.h"
#include "harvest/net/storehold.h"
#include "harvest/report/harvestsink.h"
#include "harvest/text/regexp.h"
#include "store/pgtaskqueue.h"
#include "store/storeurl.h"

namespace zoqa {

class TPgStore;

struct TWorkerOptions {
  std::string Name;                 // the lease owner
  std::vector<int> Engines;         // the engines whose tasks it takes
  std::vector<std::string> KeyIds;  // only these keywords' tasks; any when empty
  int LeaseSeconds = 60;
  int TasksPerEngine = 1;  // how many tasks of one engine its egresses serve
  bool UntilIdle = false;  // end once no task is ready or leased
  // True once the worker is to end (safe from any thread); connects follow ConnectGiveUp.
  std::function<bool()> QuitAsked;
};

// How long a connect begun after a quit was asked may take: a store that is back answers
// within it, so the companies kept for it are still written; an unreachable one holds up
// the quit no longer.
constexpr std::int64_t kQuitConnectMs = 1000;

// When a connect made now gives up: a connect under way once `quitAsked` says so, one begun
// after it when kQuitConnectMs have passed; never without `quitAsked`. A given-up connect
// fails as an unreachable store does, so nothing is saved that waits for it.
std::function<bool()> ConnectGiveUp(const std::function<bool()>& quitAsked);

class TTaskWorker : public THarvestSink {
 public:
  // Reports: a status line of a keyword, a company stored under it (both code page 936).
  using StatusEvent = std::function<void(const std::string& keyword, const std::string& text)>;
  using CompanyEvent = std::function<void(const std::string& keyword, const TCompany& company)>;

  // Connects twice (tasks, companies); raises EPgError or EStoreSchema.
  TTaskWorker(const TStoreUrl& url, TWorkerOptions options);
  ~TTaskWorker() override;

  StatusEvent OnStatus;
  CompanyEvent OnCompany;
  // The store was lost (true) or is written again (false).
  std::function<void(bool lost)> OnStoreLost;

  // Companies kept in memory while the store is unreachable, at most this many.
  static constexpr std::size_t kMaxHeld = 10000;
  // Companies not written: kept for a store that is unreachable, or dropped beyond the bound.
  std::size_t Unwritten() const { return held_.size() + dropped_; }
  // Writes the companies kept, when the store is back; true when none is left.
  bool WriteHeld();

  // One pass: renews the leases when due, claims tasks while there is room, and notices the
  // end of an idle run. Call it often (every 100 ms or so).
  void Tick();
  // Stops every harvester; each task is handed back at the page reached as soon as its
  // harvester ended, and nothing new is claimed.
  void Drain();
  // True once the worker drained or went idle and every harvester has ended.
  bool Ended() const;
  // Tasks held now.
  std::size_t Held() const { return running_.size(); }

  void HarvestMessage(const THarvestMessage& message) override;

 private:
  enum class TEnd { Open, Finished, Withdrawn, Lost, Drained };
  struct TRunning {
    TTaskLease Lease;
    std::shared_ptr<THarvester> Harvester;
    TEnd End = TEnd::Open;
    int IdlePages = 0;
    int PendingPage = -1;  // a page reached and not yet saved
    int SavedPage = 0;     // the page saved last
    std::string LastStatus;
  };

  void Heartbeat();
  void Claim();
  void StartTask(const TTaskLease& lease);
  void Stop(TRunning& task, TEnd end);
  void TaskEnded(std::uint64_t serial, THarvester& harvester);
  void StoreCompany(std::uint64_t serial, const TCompany& company);
  // Writes one company; false when the store is unreachable and it was not written.
  bool WriteCompany(std::uint64_t serial, const TCompany& company);
  void PageDone(std::uint64_t serial, int page);
  void SavePending(TRunning& task);
  // Runs `step` on the queue; a failed store drops the connection, to be made again.
  bool OnQueue(const std::function<void(TPgTaskQueue&)>& step);

  TStoreUrl url_;
  TWorkerOptions options_;
  std::unique_ptr<TPgTaskQueue> queue_;
  std::unique_ptr<TPgStore> store_;
  std::map<std::uint64_t, TRunning> running_;
  std::map<std::uint64_t, std::string> keyOf_;  // every task's keyword id, by serial
  TRegExp tagPattern_;                          // strips markup from company names
  std::uint64_t nextSerial_ = 1;
  bool draining_ = false;
  bool idle_ = false;
  std::int64_t nextHeartbeat_ = 0;
  std::int64_t nextClaim_ = 0;
  std::int64_t lastRenewed_ = 0;
  // Companies waiting for the store, in the order they came, with their task's serial.
  std::deque<std::pair<std::uint64_t, std::unique_ptr<TCompany>>> held_;
  std::size_t dropped_ = 0;
  TStoreHold crawlHold_;  // on while companies wait: harvesters start no new crawl
  std::int64_t nextStoreTry_ = 0;
  std::int64_t storeRetryMs_ = 0;
};

}  // namespace zoqa
