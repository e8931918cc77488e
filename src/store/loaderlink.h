// The hand-over between a store on the main thread and its background loaders.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "harvest/report/company.h"

namespace zoqa {

class THandOffReceiver;
class TStoreBackend;

// What a finished load hands over: the records read, in the order of the database.
struct TLoadResult {
  std::string KeyWord;
  std::uint64_t Serial = 0;  // the keyword instance the load was started for
  std::vector<std::unique_ptr<TCompany>> Companies;
};

// Shared by a store and its loaders: the object on the main thread that receives the end
// notifications, and the loaders' open connections so that a closing store can cut them short.
class TLoaderLink {
 public:
  using Receive = std::function<void(std::shared_ptr<TLoadResult>)>;

  TLoaderLink(THandOffReceiver* receiver, Receive receive);

  // Posts `result` to the receiver's thread; dropped when the store has gone.
  void Deliver(std::shared_ptr<TLoadResult> result);
  // Called by the store before it goes: no more deliveries, running queries interrupted.
  void Close();
  bool Closed() const { return closed_; }

  void Register(TStoreBackend* loader);
  void Unregister(TStoreBackend* loader);

 private:
  std::mutex mutex_;
  THandOffReceiver* receiver_;
  Receive receive_;
  std::set<TStoreBackend*> loaders_;
  std::atomic<bool> closed_{false};
};

}  // namespace zoqa
