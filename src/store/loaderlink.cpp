#include "store/loaderlink.h"

#include "platform/handoff.h"
#include "store/storebackend.h"

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
  for (TStoreBackend* loader : loaders_) loader->Interrupt();
}

void TLoaderLink::Register(TStoreBackend* loader) {
  std::lock_guard<std::mutex> lock(mutex_);
  loaders_.insert(loader);
  if (closed_) loader->Interrupt();
}

void TLoaderLink::Unregister(TStoreBackend* loader) {
  std::lock_guard<std::mutex> lock(mutex_);
  loaders_.erase(loader);
}

}  // namespace zoqa
