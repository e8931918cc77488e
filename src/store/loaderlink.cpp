#include "store/loaderlink.h"

#include <sqlite3.h>

#include "platform/handoff.h"

namespace zoqa {

TLoaderLink::TLoaderLink(THandOffReceiver* receiver, Receive receive)
    : receiver_(receiver), receive_(std::move(receive)) {}

void TLoaderLink::Deliver(std::shared_ptr<TLoadResult> result) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (receiver_ == nullptr) return;
  // Queued: the receiver runs it on its own (main) thread; dropped if the receiver goes.
  HandOff(receiver_, [receive = receive_, result]() { receive(result); });
}

void TLoaderLink::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  closed_ = true;
  receiver_ = nullptr;
  for (sqlite3* handle : handles_) sqlite3_interrupt(handle);
}

void TLoaderLink::Register(sqlite3* handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  handles_.insert(handle);
  if (closed_) sqlite3_interrupt(handle);
}

void TLoaderLink::Unregister(sqlite3* handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  handles_.erase(handle);
}

}  // namespace zoqa
