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

  // The load bookkeeping, in the order of a load's life:
  //  - serial_ is set once when the store takes the keyword in and never reused; a load
  //    carries it, so a load that ends after its keyword was deleted (even when a new keyword
  //    now sits at the same address) finds nothing to hand over to and is dropped;
  //  - loading_ is set by StartLoad and cleared by HandOver when the load's end reaches the
  //    main thread; Companies is filled only then;
  //  - meanwhile a company stored for the keyword waits in addedWhileLoading_, and the list id
  //    of a company deleted waits in deletedWhileLoading_ (a waiting company with that id is
  //    dropped at once);
  //  - HandOver skips the loaded records whose ids were deleted, adds the waiting companies
  //    the load did not read already, and leaves both lists empty.
  std::uint64_t serial_ = 0;
  std::string foldedKey_;  // KeyStr with letter case folded, for lookups
  bool loading_ = false;
  std::vector<std::unique_ptr<TCompany>> addedWhileLoading_;
  std::vector<std::string> deletedWhileLoading_;
};

}  // namespace zoqa
