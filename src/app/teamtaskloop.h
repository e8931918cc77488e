// The desktop program's work on the team store, on a thread of its own so that no store call
// (a connection try may block for connect_timeout) holds up the window: it sets the task
// states the window asks for, reads every task's state and holder every few seconds, and,
// when the program works here, runs a worker of the task queue. It lives on its thread, which
// runs a Qt event loop; the window reaches it only through its port, and it reports through
// the callbacks, which hand over to the window's thread themselves. A connection try under
// way when the window quits (the worker options' QuitAsked) gives up at once, so the drain
// that follows is not held up by an unreachable store.
#pragma once

#include <QEventLoop>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/taskworker.h"
#include "platform/mainthreadport.h"
#include "store/pgtaskqueue.h"
#include "store/storeurl.h"

namespace zoqa {

// A change of task states the window asked for: those of the keywords on the engines.
struct TTeamCommand {
  enum TKind { Start, Pause, Stop };
  TKind Kind = Start;
  std::vector<std::string> KeyIds;
  std::vector<int> Engines;
};

// What the loop reports, called on its own thread.
struct TTeamReports {
  // Every task as read now; `commandsDone` commands had been carried out before the read.
  std::function<void(std::vector<TTaskRow> rows, std::uint64_t commandsDone)> Tasks;
  TTaskWorker::StatusEvent Status;
  TTaskWorker::CompanyEvent Company;
  // The store could not be reached (true) or is reached again (false).
  std::function<void(bool lost)> StoreLost;
};

class TTeamTaskLoop {
 public:
  // How often the task states are read.
  static constexpr int kPollMs = 3000;

  // Runs a loop on the calling thread until it drained; `worker` names the worker and its
  // engines, or has no engines for none. `ready` gets the loop and the port that reaches it:
  // the loop may be used only in calls posted there, which the port drops once it went.
  using TReady = std::function<void(TTeamTaskLoop*, std::shared_ptr<TMainThreadPort>)>;
  static void Run(const TStoreUrl& url, const TWorkerOptions& worker, TTeamReports reports,
                  const TReady& ready);

  // Carries out the command, now or, while the store is unreachable, once it is back.
  void Command(TTeamCommand command);
  // Stops the worker's harvests, which save the pages reached and hand their tasks back,
  // writes what waits for the store, and ends the loop.
  void Drain();

 private:
  TTeamTaskLoop(const TStoreUrl& url, const TWorkerOptions& worker, TTeamReports reports,
                QEventLoop& events);
  ~TTeamTaskLoop();

  void Tick();
  void StartWorker();
  void RunCommands();
  void Poll();
  void Finish();
  // Runs `step` on the loop's queue, connecting first; false when the store failed.
  bool OnQueue(const std::function<void(TPgTaskQueue&)>& step);
  void StoreReached(bool reached);

  TStoreUrl url_;
  TWorkerOptions options_;
  TTeamReports reports_;
  QEventLoop& events_;
  QTimer timer_;
  std::unique_ptr<TPgTaskQueue> queue_;
  std::unique_ptr<TTaskWorker> worker_;
  std::deque<TTeamCommand> commands_;
  std::uint64_t commandsDone_ = 0;
  std::int64_t nextPoll_ = 0;
  std::int64_t nextWorkerTry_ = 0;
  std::int64_t nextQueueTry_ = 0;
  std::int64_t drainDeadline_ = 0;
  bool draining_ = false;
  bool storeLost_ = false;   // the loop's own connection failed
  bool workerLost_ = false;  // the worker could not connect or write
  bool reportedLost_ = false;
};

}  // namespace zoqa
