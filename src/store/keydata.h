// One keyword in memory with its companies, per-engine next pages, pending action, task
// controller and last status line. The store creates, owns and frees it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/companylist.h"

namespace zoqa {

class TTaskCtl;

// What the main window wants done once a keyword's companies are loaded.
enum TPendingAction : std::uint8_t {
  paNone = 0,
  paStart = 3,
  paExport = 4,
  paStop = 5,
};

class TKeyData {
 public:
  std::string Id = "0";  // the keyword's ID as decimal text; "0" until known
  std::string KeyStr;    // code page 936
  std::int32_t ListCount = 0;
  std::int64_t AddDate = 0;  // local wall-clock seconds since 1970
  std::int32_t LastPage = 0;
  std::int32_t SgLastPage = 0;
  std::int32_t S360LastPage = 0;
  bool Loaded = false;  // a load of the companies has been started
  std::uint8_t PendingAction = paNone;
  TCompanyList Companies;
  TTaskCtl* TaskCtl = nullptr;  // not owned
  std::string StatusText;
  std::int8_t IdlePages = 0;

  // True while a load of the companies runs; the companies are handed over when it ends.
  bool Loading() const { return loading_; }

 private:
  friend class TKeyListInfo;

  std::uint64_t serial_ = 0;  // tells this keyword apart from any later one at the same address
  std::string foldedKey_;     // KeyStr with letter case folded, for lookups
  bool loading_ = false;
  // Companies stored while a load ran, and ids deleted meanwhile; settled at the hand-over.
  std::vector<std::unique_ptr<TComPanyInfo>> addedWhileLoading_;
  std::vector<std::string> deletedWhileLoading_;
};

}  // namespace zoqa
