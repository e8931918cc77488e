// One keyword in memory with its per-engine next pages, pending action, task controller and
// last status line; its companies stay in the store and are read through a cursor. The store
// creates, owns and frees it.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

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
  bool Loaded = false;  // the companies were asked for once (they are read from the store)
  std::uint8_t PendingAction = paNone;
  TTaskCtl* TaskCtl = nullptr;  // not owned
  std::string StatusText;
  std::int8_t IdlePages = 0;

 private:
  friend class TKeyListInfo;

  std::string foldedKey_;  // KeyStr with letter case folded, for lookups
  // ListCount was counted from tbl_list in this session and followed every change since, so
  // that a new company adds one instead of counting a large keyword again.
  bool counted_ = false;
  // On a watched team store: the highest list id taken in (-1 before the first look), and the
  // ids taken in just below it, since another machine's row may commit after a later one.
  std::int64_t watchedTo_ = -1;
  std::set<std::int64_t> watchedIds_;
};

}  // namespace zoqa
