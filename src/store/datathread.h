// The background loader of one keyword's companies. It reads the keyword's rows of tbl_list
// on its own thread, through a connection of its own, and hands the finished records to the
// store on the main thread in one step when it ends. The thread object frees itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "store/loaderlink.h"

namespace zoqa {

class TDataManager;
class TSQLiteTable;

class TDataThread {
 public:
  // Starts the load of `keyWord` from the database file `fileName` at once.
  static void Start(std::string keyWord, std::string fileName, std::uint64_t serial,
                    std::shared_ptr<TLoaderLink> link);

  // Number of loader threads that have not yet ended (for orderly shutdown in tests and tools).
  static int Running();

 private:
  TDataThread(std::string keyWord, std::string fileName, std::uint64_t serial,
              std::shared_ptr<TLoaderLink> link);
  void Run();
  void Load(TDataManager& manager);
  void ReadRows(TSQLiteTable& table);

  std::shared_ptr<TLoaderLink> link_;
  std::string fileName_;
  std::shared_ptr<TLoadResult> result_;
};

}  // namespace zoqa
