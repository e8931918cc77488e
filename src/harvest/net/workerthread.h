// Base of every harvesting worker: a thread that starts when the object is set up, keeps the
// object alive while it runs and lets go of it when it ends, so the object frees itself once
// nobody else holds it. Workers stop when asked (Terminate) or when the whole process stops
// its workers (StopAllWorkers), which also cuts short their network transfers.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zoqa {

// The process-wide stop: every worker started before the call, and every transfer begun
// before it, ends as soon as it notices. Workers started later are not affected.
void StopAllWorkers();
// Increases with every StopAllWorkers; a worker or transfer compares it with the value it
// saw when it began.
std::uint64_t StopEpoch();
// True on a worker's own thread once that worker was asked to stop (false on other threads):
// the progress callback of a transfer looks at it, so a stop cuts the worker's transfer.
bool CurrentWorkerStopped();
// For the end of main, after the bounded wait for the workers: when some still run, ends the
// process now with `status` (standard streams flushed), so that the destructors of globals
// such as the code page tables and the engine settings never run under them. Returns when no
// worker runs.
void ExitIfWorkersRun(int status);

class TWorkerThread : public std::enable_shared_from_this<TWorkerThread> {
 public:
  virtual ~TWorkerThread();
  TWorkerThread(const TWorkerThread&) = delete;
  TWorkerThread& operator=(const TWorkerThread&) = delete;

  // Asks the thread to stop; it notices at its next check. Any thread may call it.
  void Terminate() { terminated_.store(true); }
  // True once Terminate was called or the process stopped its workers.
  bool Terminated() const;

  // The thread's id as decimal text ("" before it started).
  const std::string& ThreadId() const { return threadId_; }

  // Workers whose thread has not ended yet, all kinds together.
  static int Running();
  // Waits until no worker runs, calling `pump` (which should deliver the main thread's
  // pending calls) every few milliseconds; false when `timeoutMs` passed first.
  static bool WaitAllEnded(int timeoutMs, const std::function<void()>& pump);

 protected:
  TWorkerThread();
  // Starts the thread; call once, from a factory, after the object is complete.
  void StartThread();
  // The thread body.
  virtual void Execute() = 0;
  // Runs on the worker thread after Execute has returned (also after it threw).
  virtual void Finished() {}
  // Sleeps `ms` milliseconds in short slices; false when a stop came meanwhile.
  bool Sleep(int ms) const;

  std::uint64_t StartEpoch() const { return epoch_; }

 private:
  void Run(std::shared_ptr<TWorkerThread> self);

  std::atomic<bool> terminated_{false};
  std::uint64_t epoch_;
  std::string threadId_;
};

}  // namespace zoqa
