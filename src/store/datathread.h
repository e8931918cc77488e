// The background loader of one keyword's companies. It reads the keyword's companies on its
// own thread, through a connection of its own to the store, and hands the finished records to
// the store on the main thread in one step when it ends. The thread object frees itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "store/loaderlink.h"
#include "store/storebackend.h"

namespace zoqa {

class TDataThread {
 public:
  // Starts the load of `keyWord` from the store of `backend` at once.
  static void Start(std::string keyWord, const TStoreBackend& backend, std::uint64_t serial,
                    std::shared_ptr<TLoaderLink> link);

  // Number of loader threads that have not yet ended (for orderly shutdown in tests and tools).
  static int Running();

 private:
  TDataThread(std::string keyWord, TStoreBackend::Opener open, std::uint64_t serial,
              std::shared_ptr<TLoaderLink> link);
  void Run();

  std::shared_ptr<TLoaderLink> link_;
  TStoreBackend::Opener open_;
  std::shared_ptr<TLoadResult> result_;
};

}  // namespace zoqa
