#include "store/loaderlink.h"

#include <sqlite3.h>
#include <QMetaObject>
#include <QObject>

namespace zoqa {

TLoaderLink::TLoaderLink(QObject* receiver, Receive receive)
    : receiver_(receiver), receive_(std::move(receive)) {}

void TLoaderLink::Deliver(std::shared_ptr<TLoadResult> result) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (receiver_ == nullptr) return;
  // Queued: the receiver runs it on its own (main) thread; Qt drops it if the receiver goes.
  Receive receive = receive_;
  QMetaObject::invokeMethod(
      receiver_, [receive, result]() { receive(result); }, Qt::QueuedConnection);
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
