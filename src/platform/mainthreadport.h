// A way from worker threads to an object on the main thread (a window, a controller) that may
// go before the workers do. Workers keep the port as long as they live; the owner closes it
// when it goes, after which nothing more reaches it and a worker waiting on it goes on.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace zoqa {

class THandOffReceiver;

class TMainThreadPort {
 public:
  // A port whose calls run on the calling thread, which runs a Qt event loop.
  static std::shared_ptr<TMainThreadPort> Create();
  ~TMainThreadPort();
  TMainThreadPort(const TMainThreadPort&) = delete;
  TMainThreadPort& operator=(const TMainThreadPort&) = delete;

  // Queues `call` for the port's thread (a posted message); dropped when the port closes
  // first. Exceptions of the call end there.
  void Post(std::function<void()> call);
  // Runs `call` on the port's thread and waits until it ran or was dropped (a sent message).
  // On the port's own thread it runs at once. False when the port was already closed.
  bool Send(std::function<void()> call);
  // Ends all deliveries: queued calls are dropped, waiting senders go on. Call it on the
  // port's thread; later calls do nothing.
  void Close();
  bool Closed() const { return closed_.load(); }

 private:
  TMainThreadPort();
  void Run(const std::function<void()>& call);

  mutable std::mutex mutex_;  // held while posting, so the receiver cannot go meanwhile
  std::atomic<bool> closed_{false};
  THandOffReceiver* receiver_ = nullptr;
  int depth_ = 0;  // calls of this port running now; the port's thread only
};

}  // namespace zoqa
