#include "platform/mainthreadport.h"

#include <QThread>

#include <condition_variable>

#include "platform/handoff.h"

namespace zoqa {
namespace {

// Wakes the sender once its call has run or was dropped: the guard is held by the queued
// call only, which is destroyed in both cases.
struct TSent {
  std::mutex mutex;
  std::condition_variable cv;
  bool done = false;
};

struct TSentGuard {
  explicit TSentGuard(std::shared_ptr<TSent> s) : sent(std::move(s)) {}
  ~TSentGuard() {
    std::lock_guard<std::mutex> lock(sent->mutex);
    sent->done = true;
    sent->cv.notify_all();
  }
  TSentGuard(const TSentGuard&) = delete;
  TSentGuard& operator=(const TSentGuard&) = delete;
  std::shared_ptr<TSent> sent;
};

void RunGuarded(const std::function<void()>& call) {
  try {
    call();
  } catch (...) {
    // A call that fails ends its own handling only.
  }
}

}  // namespace

TMainThreadPort::TMainThreadPort() : receiver_(new THandOffReceiver) {}

std::shared_ptr<TMainThreadPort> TMainThreadPort::Create() {
  return std::shared_ptr<TMainThreadPort>(new TMainThreadPort);
}

TMainThreadPort::~TMainThreadPort() {
  // Normally closed on its thread already; otherwise the receiver goes there later.
  if (receiver_ != nullptr) receiver_->deleteLater();
}

void TMainThreadPort::Post(std::function<void()> call) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_.load()) return;
  HandOff(receiver_, [this, call = std::move(call)] { Run(call); });
}

bool TMainThreadPort::Send(std::function<void()> call) {
  auto sent = std::make_shared<TSent>();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_.load()) return false;
    if (QThread::currentThread() != receiver_->thread()) {
      auto guard = std::make_shared<TSentGuard>(sent);
      HandOff(receiver_, [this, call = std::move(call), guard] { Run(call); });
      call = nullptr;
    }
  }
  if (call) {
    RunGuarded(call);
    return true;
  }
  std::unique_lock<std::mutex> lock(sent->mutex);
  sent->cv.wait(lock, [&] { return sent->done; });
  return true;
}

void TMainThreadPort::Run(const std::function<void()>& call) {
  if (closed_.load()) return;
  ++depth_;
  RunGuarded(call);
  --depth_;
}

void TMainThreadPort::Close() {
  THandOffReceiver* receiver = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_.exchange(true)) return;
    receiver = receiver_;
    receiver_ = nullptr;
  }
  // Destroys every call still queued, unrun, which releases their senders. A call of this
  // port that closes it is still running on the receiver: it goes once that call returned.
  if (depth_ > 0) {
    receiver->deleteLater();
  } else {
    delete receiver;
  }
}

}  // namespace zoqa
