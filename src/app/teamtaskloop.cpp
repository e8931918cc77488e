#include "app/teamtaskloop.h"

#include <QCoreApplication>

#include <chrono>
#include <thread>

#include "harvest/net/enginegate.h"
#include "harvest/net/workerthread.h"
#include "store/pgconnection.h"

namespace zoqa {
namespace {

constexpr int kTickMs = 100;
// After a worker could not connect, the wait before it tries again.
constexpr std::int64_t kWorkerRetryMs = 5000;
// After the loop's own connection failed, the wait before it connects again.
constexpr std::int64_t kQueueRetryMs = 2000;
// The longest a drain waits for the harvests to hand their tasks back, for crawlers still
// fetching, and for the companies kept while the store is unreachable.
constexpr std::int64_t kDrainMs = 10000;
constexpr int kCrawlerWaitMs = 5000;
constexpr int kHeldWaitMs = 3000;

}  // namespace

void TTeamTaskLoop::Run(const TStoreUrl& url, const TWorkerOptions& worker, TTeamReports reports,
                        const TReady& ready) {
  QEventLoop events;
  TTeamTaskLoop loop(url, worker, std::move(reports), events);
  // The port's calls run on this thread; it is closed before the loop goes.
  std::shared_ptr<TMainThreadPort> port = TMainThreadPort::Create();
  ready(&loop, port);
  events.exec();
  port->Close();
}

TTeamTaskLoop::TTeamTaskLoop(const TStoreUrl& url, const TWorkerOptions& worker,
                             TTeamReports reports, QEventLoop& events)
    : url_(url), options_(worker), reports_(std::move(reports)), events_(events) {
  QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  timer_.start(kTickMs);
}

TTeamTaskLoop::~TTeamTaskLoop() = default;

void TTeamTaskLoop::Command(TTeamCommand command) {
  commands_.push_back(std::move(command));
  RunCommands();
}

void TTeamTaskLoop::Drain() {
  if (draining_) return;
  draining_ = true;
  drainDeadline_ = TickMs() + kDrainMs;
  if (worker_) worker_->Drain();
}

void TTeamTaskLoop::Tick() {
  if (draining_) {
    if (!worker_ || worker_->Ended() || TickMs() >= drainDeadline_) Finish();
    return;
  }
  // The window quits: the drain it asked for comes next, and nothing new is begun before.
  if (options_.QuitAsked && options_.QuitAsked()) return;
  StartWorker();
  if (worker_) worker_->Tick();
  RunCommands();
  if (TickMs() >= nextPoll_) Poll();
}

void TTeamTaskLoop::StartWorker() {
  if (worker_ || options_.Engines.empty() || TickMs() < nextWorkerTry_) return;
  try {
    worker_ = std::make_unique<TTaskWorker>(url_, options_);
  } catch (const std::exception&) {
    nextWorkerTry_ = TickMs() + kWorkerRetryMs;
    workerLost_ = true;
    StoreReached(!storeLost_);
    return;
  }
  workerLost_ = false;
  worker_->OnStatus = reports_.Status;
  worker_->OnCompany = reports_.Company;
  worker_->OnStoreLost = [this](bool lost) {
    workerLost_ = lost;
    StoreReached(!storeLost_);
  };
  StoreReached(!storeLost_);
}

void TTeamTaskLoop::RunCommands() {
  while (!commands_.empty()) {
    const TTeamCommand& command = commands_.front();
    bool done = OnQueue([&](TPgTaskQueue& queue) {
      if (command.Kind == TTeamCommand::Start) queue.Start(command.KeyIds, command.Engines);
      if (command.Kind == TTeamCommand::Pause) queue.Pause(command.KeyIds, command.Engines);
      if (command.Kind == TTeamCommand::Stop) queue.Stop(command.KeyIds, command.Engines);
    });
    if (!done) return;
    commands_.pop_front();
    ++commandsDone_;
  }
}

void TTeamTaskLoop::Poll() {
  nextPoll_ = TickMs() + kPollMs;
  std::vector<TTaskRow> rows;
  if (!OnQueue([&](TPgTaskQueue& queue) { rows = queue.List(); })) return;
  if (reports_.Tasks) reports_.Tasks(std::move(rows), commandsDone_);
}

bool TTeamTaskLoop::OnQueue(const std::function<void(TPgTaskQueue&)>& step) {
  if (!queue_ && TickMs() < nextQueueTry_) return false;
  try {
    if (!queue_) {
      queue_ = std::make_unique<TPgTaskQueue>(url_, options_.Name, options_.LeaseSeconds,
                                              ConnectGiveUp(options_.QuitAsked));
    }
    step(*queue_);
    storeLost_ = false;
    StoreReached(true);
    return true;
  } catch (const EPgError& e) {
    // A statement the server refused is not tried again; a lost connection is.
    bool lost = e.ConnectionLost() || !queue_;
    if (lost) {
      queue_.reset();
      nextQueueTry_ = TickMs() + kQueueRetryMs;
    }
    storeLost_ = lost;
    StoreReached(!lost);
    return !lost;
  } catch (const std::exception&) {
    return true;  // a store this program cannot use: nothing is done, nothing waits
  }
}

// Reports a change of the store's reach, as the queue and the worker see it together.
void TTeamTaskLoop::StoreReached(bool reached) {
  bool lost = !reached || workerLost_;
  if (lost == reportedLost_) return;
  reportedLost_ = lost;
  if (reports_.StoreLost) reports_.StoreLost(lost);
}

// The harvests have handed their tasks back (or the drain ran out of time): crawlers still
// fetching end and their companies are written, then the loop ends.
void TTeamTaskLoop::Finish() {
  timer_.stop();
  RunCommands();
  if (worker_) {
    worker_->Drain();
    TWorkerThread::WaitAllEnded(kCrawlerWaitMs, [] { QCoreApplication::processEvents(); });
    for (int waited = 0; !worker_->WriteHeld() && waited < kHeldWaitMs; waited += kTickMs) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kTickMs));
    }
    worker_.reset();
  }
  events_.quit();
}

}  // namespace zoqa
