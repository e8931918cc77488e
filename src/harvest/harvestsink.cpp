#include "harvest/harvestsink.h"

#include <QThread>

#include <condition_variable>

#include "platform/handoff.h"

namespace zoqa {
namespace {

// Wakes the sending worker once its report has been handled or dropped: the guard is held
// by the queued call only, which is destroyed in both cases.
struct TDone {
  std::mutex mutex;
  std::condition_variable cv;
  bool done = false;

  void Wait() {
    std::unique_lock<std::mutex> lock(mutex);
    cv.wait(lock, [this] { return done; });
  }
};

struct TDoneGuard {
  explicit TDoneGuard(std::shared_ptr<TDone> d) : done(std::move(d)) {}
  ~TDoneGuard() {
    std::lock_guard<std::mutex> lock(done->mutex);
    done->done = true;
    done->cv.notify_all();
  }
  TDoneGuard(const TDoneGuard&) = delete;
  TDoneGuard& operator=(const TDoneGuard&) = delete;
  std::shared_ptr<TDone> done;
};

}  // namespace

THarvestLink::THarvestLink(THarvestSink* sink, THandOffReceiver* receiver)
    : sink_(sink), receiver_(receiver) {}

bool THarvestLink::Send(const THarvestMessage& message) {
  auto done = std::make_shared<TDone>();
  bool here = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_.load()) return false;
    // On the sink's own thread a queued call would wait for itself: deliver it directly.
    here = QThread::currentThread() == receiver_->thread();
    if (!here) {
      auto guard = std::make_shared<TDoneGuard>(done);
      HandOff(receiver_, [this, message, guard] { Deliver(message); });
    }
  }
  if (here) {
    Deliver(message);
  } else {
    done->Wait();
  }
  return true;
}

void THarvestLink::Post(std::function<void()> call) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_.load()) return;
  HandOff(receiver_, [this, call = std::move(call)] {
    if (sink_ != nullptr) call();
  });
}

void THarvestLink::Deliver(const THarvestMessage& message) {
  if (sink_ == nullptr) return;
  try {
    sink_->HarvestMessage(message);
  } catch (...) {
    // A report that fails ends its own handling only; the worker goes on.
  }
}

void THarvestLink::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  closed_.store(true);
  sink_ = nullptr;
  receiver_ = nullptr;
}

THarvestSink::THarvestSink()
    : receiver_(std::make_unique<THandOffReceiver>()),
      link_(new THarvestLink(this, receiver_.get())) {}

THarvestSink::~THarvestSink() {
  CloseLink();
  // Destroying the receiver drops the calls still queued for it, which wakes their senders.
  receiver_.reset();
}

void THarvestSink::CloseLink() {
  link_->Close();
}

}  // namespace zoqa
