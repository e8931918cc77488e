#include "app/taskworker.h"

#include <algorithm>

#include "harvest/net/enginegate.h"
#include "store/pgconnection.h"
#include "store/pgstore.h"
#include "util/codepage.h"

namespace zoqa {
namespace {

// Pages in a row without a new company that end a task, as they end a local run.
constexpr int kIdlePagesLimit = 3;
constexpr std::int64_t kClaimPollMs = 1000;
// The wait before writing held companies again, doubling up to the last.
constexpr std::int64_t kStoreRetryFirstMs = 1000;
constexpr std::int64_t kStoreRetryLastMs = 5000;

}  // namespace

std::function<bool()> ConnectGiveUp(const std::function<bool()>& quitAsked) {
  if (!quitAsked) return nullptr;
  bool quitting = quitAsked();
  std::int64_t started = TickMs();
  return [quitAsked, quitting, started] {
    return quitAsked() && (!quitting || TickMs() - started >= kQuitConnectMs);
  };
}

TTaskWorker::TTaskWorker(const TStoreUrl& url, TWorkerOptions options)
    : url_(url),
      options_(std::move(options)),
      queue_(std::make_unique<TPgTaskQueue>(url, options_.Name, options_.LeaseSeconds,
                                            ConnectGiveUp(options_.QuitAsked))),
      store_(std::make_unique<TPgStore>(url, ConnectGiveUp(options_.QuitAsked))) {}

TTaskWorker::~TTaskWorker() {
  // No report reaches this object from here on; leases not handed back run out.
  CloseLink();
  for (auto& [serial, task] : running_) task.Harvester->Terminate();
}

bool TTaskWorker::OnQueue(const std::function<void(TPgTaskQueue&)>& step) {
  try {
    if (!queue_) {
      queue_ = std::make_unique<TPgTaskQueue>(url_, options_.Name, options_.LeaseSeconds,
                                              ConnectGiveUp(options_.QuitAsked));
    }
    step(*queue_);
    return true;
  } catch (const EPgError& e) {
    if (e.ConnectionLost()) queue_.reset();
    return false;
  }
}

void TTaskWorker::Tick() {
  std::int64_t now = TickMs();
  std::int64_t third = std::max<std::int64_t>(options_.LeaseSeconds * 1000LL / 3, 100);
  if (now >= nextHeartbeat_) {
    nextHeartbeat_ = now + third;
    Heartbeat();
  }
  // Unrenewed for a whole lease: another worker may hold the tasks by now.
  if (!running_.empty() && now - lastRenewed_ > options_.LeaseSeconds * 1000LL) {
    for (auto& [serial, task] : running_) Stop(task, TEnd::Lost);
  }
  WriteHeld();
  for (auto& [serial, task] : running_) SavePending(task);
  if (!draining_ && !idle_ && now >= nextClaim_) {
    nextClaim_ = now + std::min(kClaimPollMs, third);
    Claim();
  }
}

void TTaskWorker::Heartbeat() {
  std::vector<TTaskLease> leases;
  for (const auto& [serial, task] : running_) {
    if (task.End == TEnd::Open) leases.push_back(task.Lease);
  }
  if (leases.empty()) {
    lastRenewed_ = TickMs();
    return;
  }
  std::map<std::string, TLeaseState> states;
  if (!OnQueue([&](TPgTaskQueue& queue) { states = queue.Renew(leases); })) return;
  lastRenewed_ = TickMs();
  for (auto& [serial, task] : running_) {
    auto it = states.find(task.Lease.TaskId);
    if (it == states.end() || it->second == TLeaseState::Held) continue;
    Stop(task, it->second == TLeaseState::Withdrawn ? TEnd::Withdrawn : TEnd::Lost);
  }
}

void TTaskWorker::Claim() {
  bool claimed = false;
  for (int engine : options_.Engines) {
    int busy = static_cast<int>(std::count_if(running_.begin(), running_.end(), [&](auto& entry) {
      return entry.second.Lease.Engine == engine;
    }));
    int room = options_.TasksPerEngine - busy;
    if (room <= 0) continue;
    std::vector<TTaskLease> leases;
    OnQueue([&](TPgTaskQueue& queue) { leases = queue.Claim(engine, room, options_.KeyIds); });
    for (const TTaskLease& lease : leases) StartTask(lease);
    claimed = claimed || !leases.empty();
  }
  if (!options_.UntilIdle || claimed || !running_.empty()) return;
  bool open = true;
  if (OnQueue([&](TPgTaskQueue& queue) { open = queue.AnyOpen(options_.KeyIds); })) idle_ = !open;
}

void TTaskWorker::StartTask(const TTaskLease& lease) {
  if (running_.empty()) lastRenewed_ = TickMs();
  std::uint64_t serial = nextSerial_++;
  keyOf_[serial] = lease.KeyId;
  TRunning& task = running_[serial];
  task.Lease = lease;
  task.SavedPage = lease.Page;
  task.Harvester = THarvester::Start(
      static_cast<TEngine>(lease.Engine), TaskLink(serial), lease.Keyword, lease.Page,
      [this, serial](THarvester& ended) { TaskEnded(serial, ended); });
}

void TTaskWorker::Stop(TRunning& task, TEnd end) {
  if (task.End != TEnd::Open) return;
  task.End = end;
  task.Harvester->Terminate();
}

void TTaskWorker::Drain() {
  draining_ = true;
  for (auto& [serial, task] : running_) Stop(task, TEnd::Drained);
}

bool TTaskWorker::Ended() const {
  return (draining_ || idle_) && running_.empty();
}

void TTaskWorker::TaskEnded(std::uint64_t serial, THarvester& harvester) {
  auto it = running_.find(serial);
  if (it == running_.end()) return;
  TRunning task = std::move(it->second);
  running_.erase(it);
  // With companies still waiting for the store, the task goes on later from its saved page.
  int page = held_.empty() ? harvester.PageIndex() : task.SavedPage;
  const TTaskLease& lease = task.Lease;
  // A task is not ended while companies of it may still wait for the store.
  if (!held_.empty() && (task.End == TEnd::Finished || task.End == TEnd::Open)) {
    task.End = TEnd::Drained;
  }
  OnQueue([&](TPgTaskQueue& queue) {
    switch (task.End) {
      case TEnd::Lost:
        break;  // another worker's now: nothing is written
      case TEnd::Withdrawn:
      case TEnd::Drained:
        queue.Release(lease, page, "");
        break;
      case TEnd::Finished:
        queue.Finish(lease, page);
        break;
      case TEnd::Open:
        // Ended by itself: done when it got anywhere, else a failure of this attempt.
        if (page > lease.Page) {
          queue.Finish(lease, page);
        } else {
          queue.Release(lease, page,
                        task.LastStatus.empty() ? "the harvest ended without a result page"
                                                : Cp936ToUtf8(task.LastStatus));
        }
        break;
    }
  });
}

void TTaskWorker::PageDone(std::uint64_t serial, int page) {
  auto it = running_.find(serial);
  if (it == running_.end() || it->second.End != TEnd::Open) return;
  TRunning& task = it->second;
  if (task.IdlePages >= kIdlePagesLimit) {
    Stop(task, TEnd::Finished);
    return;
  }
  ++task.IdlePages;
  task.PendingPage = page;
  SavePending(task);
}

// A page is saved once no crawler of the task runs and no company waits for the store: every
// company of the pages before it is then written, so a worker that takes the task over from
// there misses none.
void TTaskWorker::SavePending(TRunning& task) {
  if (task.PendingPage < 0 || task.End != TEnd::Open) return;
  if (!held_.empty() || task.Harvester->RunningCrawlers() > 0) return;
  bool saved = true;
  bool asked =
      OnQueue([&](TPgTaskQueue& queue) { saved = queue.SavePage(task.Lease, task.PendingPage); });
  // A page the store did not take for want of a connection is saved later.
  if (!asked) return;
  if (saved) task.SavedPage = task.PendingPage;
  task.PendingPage = -1;
  if (!saved) Stop(task, TEnd::Lost);
}

void TTaskWorker::StoreCompany(std::uint64_t serial, const TCompany& company) {
  if (company.Mobiles.empty()) return;
  // Companies wait behind those held before them, so that they are written in order.
  if (held_.empty() && WriteCompany(serial, company)) return;
  crawlHold_.Set(true);
  if (held_.empty() && OnStoreLost) OnStoreLost(true);
  // A company kept for later counts as new for the stop rule, as a stored one does.
  if (auto task = running_.find(serial); task != running_.end()) task->second.IdlePages = 0;
  if (held_.size() >= kMaxHeld) {
    ++dropped_;
    return;
  }
  auto copy = std::make_unique<TCompany>();
  copy->Assign(company);
  held_.emplace_back(serial, std::move(copy));
  if (held_.size() == 1) {
    storeRetryMs_ = kStoreRetryFirstMs;
    nextStoreTry_ = TickMs() + storeRetryMs_;
  }
}

bool TTaskWorker::WriteCompany(std::uint64_t serial, const TCompany& company) {
  auto key = keyOf_.find(serial);
  if (key == keyOf_.end()) return true;
  try {
    if (!store_) store_ = std::make_unique<TPgStore>(url_, ConnectGiveUp(options_.QuitAsked));
    if (store_->NameStored(company.GetName())) return true;
    TCompany copy;
    copy.Assign(company);
    if (copy.GetName().find('<') != std::string::npos) {
      copy.SetName(tagPattern_.ReplaceAll("<[^>]*>", copy.GetName(), ""));
    }
    // A company another worker stored meanwhile is a duplicate, and kept once.
    TStoreAdd added = store_->AddCompany(key->second, copy);
    if (added == TStoreAdd::Unreachable) {
      store_.reset();
      return false;
    }
    if (added != TStoreAdd::Stored) return true;
    auto task = running_.find(serial);
    if (task != running_.end()) task->second.IdlePages = 0;
    if (OnCompany) OnCompany(company.KeyWord, copy);
    return true;
  } catch (const EPgError& e) {
    if (!e.ConnectionLost()) return true;  // dropped, as a failed write of the local store is
    store_.reset();
    return false;
  }
}

bool TTaskWorker::WriteHeld() {
  if (held_.empty()) return true;
  std::int64_t now = TickMs();
  if (now < nextStoreTry_) return false;
  while (!held_.empty()) {
    if (!WriteCompany(held_.front().first, *held_.front().second)) {
      storeRetryMs_ = std::min(storeRetryMs_ * 2, kStoreRetryLastMs);
      nextStoreTry_ = now + storeRetryMs_;
      return false;
    }
    held_.pop_front();
  }
  crawlHold_.Set(false);
  if (OnStoreLost) OnStoreLost(false);
  return true;
}

void TTaskWorker::HarvestMessage(const THarvestMessage& message) {
  switch (message.Kind) {
    case hkCompany:
      StoreCompany(message.Task, *message.Company);
      break;
    case hkStatus: {
      auto it = running_.find(message.Task);
      if (it != running_.end()) it->second.LastStatus = message.Info->StatusText;
      if (OnStatus) OnStatus(message.Info->KeyWord, message.Info->StatusText);
      break;
    }
    case hkPageDone:
      PageDone(message.Task, message.Info->PagesDone);
      break;
    case hkCrawlStatus:
      break;
  }
}

}  // namespace zoqa
