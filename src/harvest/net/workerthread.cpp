#include "harvest/net/workerthread.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace zoqa {
namespace {

std::atomic<std::uint64_t> g_stopEpoch{0};
std::atomic<int> g_running{0};
std::atomic<std::uint64_t> g_nextId{1};

constexpr int kSleepSliceMs = 10;

// The worker whose thread this is; null on other threads.
thread_local const TWorkerThread* t_worker = nullptr;

}  // namespace

void StopAllWorkers() {
  g_stopEpoch.fetch_add(1);
}

std::uint64_t StopEpoch() {
  return g_stopEpoch.load();
}

bool CurrentWorkerStopped() {
  return t_worker != nullptr && t_worker->Terminated();
}

void ExitIfWorkersRun(int status) {
  if (TWorkerThread::Running() == 0) return;
  std::fflush(nullptr);
  _exit(status);
}

TWorkerThread::TWorkerThread()
    : epoch_(StopEpoch()), threadId_(std::to_string(g_nextId.fetch_add(1))) {}

TWorkerThread::~TWorkerThread() = default;

bool TWorkerThread::Terminated() const {
  return terminated_.load() || StopEpoch() != epoch_;
}

void TWorkerThread::StartThread() {
  g_running.fetch_add(1);
  try {
    std::thread([this, self = shared_from_this()]() mutable { Run(std::move(self)); }).detach();
  } catch (...) {
    g_running.fetch_sub(1);
    throw;
  }
}

void TWorkerThread::Run(std::shared_ptr<TWorkerThread> self) {
  t_worker = this;
  try {
    Execute();
  } catch (...) {
    // A worker ends quietly on any failure; its end notification still runs.
  }
  try {
    Finished();
  } catch (...) {
  }
  t_worker = nullptr;
  self.reset();  // the last reference frees the object here, on its own thread
  g_running.fetch_sub(1);
}

bool TWorkerThread::Sleep(int ms) const {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!Terminated()) {
    auto left = until - std::chrono::steady_clock::now();
    if (left <= std::chrono::milliseconds::zero()) return true;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
        left, std::chrono::milliseconds(kSleepSliceMs)));
  }
  return false;
}

int TWorkerThread::Running() {
  return g_running.load();
}

bool TWorkerThread::WaitAllEnded(int timeoutMs, const std::function<void()>& pump) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (pump) pump();
    if (Running() == 0) return true;
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace zoqa
