// The team store's task queue: one task per keyword and engine, which workers on any machine
// claim with a lease, renew while they harvest, and end or hand back. Every write of a worker
// names the lease it holds (owner and attempt): once another worker claimed the task, or the
// lease ran out, those writes change nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "store/storeurl.h"

namespace zoqa {

class TPgConnection;

// One task as listed.
struct TTaskRow {
  std::string Id;
  std::string KeyId;
  std::string Keyword;  // code page 936
  int Engine = 0;
  std::string State;  // ready, leased, paused, done or failed
  std::string Owner;
  std::string LeaseEnd;  // UTC, "YYYY-MM-DDTHH:MM:SSZ"; empty when none
  int Page = 0;
  int Attempts = 0;
  int Failures = 0;
  std::string LastError;
};

// A task a worker holds.
struct TTaskLease {
  std::string TaskId;
  std::string KeyId;
  std::string Keyword;  // code page 936
  int Engine = 0;
  int Page = 0;  // the saved page the harvest resumes from
  int Attempt = 0;
};

// What a heartbeat found out about a lease.
enum class TLeaseState {
  Held,       // renewed
  Withdrawn,  // paused or stopped from anywhere: the holder ends it and saves its page
  Lost,       // taken over or run out: the holder stops and writes nothing more
};

// A task that fails this many times in a row becomes failed.
constexpr int kTaskFailureLimit = 5;

class TPgTaskQueue {
 public:
  // Connects (raises EPgError), giving up once `giveUp` says so. `owner` names the worker in
  // leases; `leaseSeconds` is the lease time of its claims and renewals.
  TPgTaskQueue(const TStoreUrl& url, std::string owner, int leaseSeconds,
               const std::function<bool()>& giveUp = nullptr);
  ~TPgTaskQueue();

  const std::string& Owner() const { return owner_; }
  int LeaseSeconds() const { return leaseSeconds_; }

  // Makes the tasks of the keywords `keyIds` on `engines` ready, adding the missing ones
  // from the keyword's saved pages; a task that is leased stays with its holder. Returns
  // the tasks made ready.
  int Start(const std::vector<std::string>& keyIds, const std::vector<int>& engines);
  // Pauses the ready and leased tasks of the keywords on `engines`; stops (done) every open
  // one. Returns the tasks changed.
  int Pause(const std::vector<std::string>& keyIds, const std::vector<int>& engines);
  int Stop(const std::vector<std::string>& keyIds, const std::vector<int>& engines);
  // Every task, by keyword and engine.
  std::vector<TTaskRow> List();
  // True while a task of the keywords (all when empty) is ready or leased.
  bool AnyOpen(const std::vector<std::string>& keyIds);

  // Claims up to `count` tasks of `engine` that are ready or whose lease has ended, of the
  // keywords `keyIds` (any when empty), in one statement.
  std::vector<TTaskLease> Claim(int engine, int count, const std::vector<std::string>& keyIds);
  // Renews the leases; those not renewed say why.
  std::map<std::string, TLeaseState> Renew(const std::vector<TTaskLease>& leases);
  // Saves the page the harvest reached (and the keyword's page of the engine); false when
  // the lease is no longer held (a withdrawn lease may still save its page).
  bool SavePage(const TTaskLease& lease, int page);
  // Ends the task as done at `page`.
  bool Finish(const TTaskLease& lease, int page);
  // Hands the task back at `page`: ready again when it was leased; with an error, counted
  // as a failure, and failed after kTaskFailureLimit in a row.
  bool Release(const TTaskLease& lease, int page, const std::string& error);

 private:
  // Runs `set` on the task under `lease` when the lease is still held, copying the task's
  // page to its keyword; true when it changed the task.
  bool FencedUpdate(const TTaskLease& lease, const std::string& set,
                    const std::vector<std::string>& extra);

  std::unique_ptr<TPgConnection> connection_;
  std::string owner_;
  int leaseSeconds_;
};

}  // namespace zoqa
