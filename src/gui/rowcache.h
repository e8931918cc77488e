// What the result grid keeps of the rows it has read: the two blocks read last, each row with
// its key, and the keys of the rows at the ends of every block read, by row. A row stored or
// deleted since moves them as it moves the rows, so that reads start near the rows wanted
// however the keyword grows while a search runs.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "harvest/report/company.h"
#include "store/companycursor.h"

namespace zoqa {

// Rows first .. first + span - 1 as read; fewer rows than asked for when the store had fewer.
struct TCachedBlock {
  int first = -1;  // -1 when empty
  int span = 0;
  std::vector<TCompany> rows;
  std::vector<std::optional<TRowKey>> keys;  // one a row; none where the store gave none

  bool Holds(int row) const { return first >= 0 && row >= first && row < first + span; }
};

// Where a new row goes: it lies after row `low - 1` and before the row that was `at`; it is
// inserted at `at`. Rows low .. at may then show other records than before (none of them
// is kept); low == at when the place is exact.
struct TRowPlace {
  int low = 0;
  int at = 0;
};

class TRowCache {
 public:
  void Forget();
  // The kept block whose rows include `row`, or nullptr.
  const TCachedBlock* BlockOf(int row) const;
  // Keeps `block` as the newer block, dropping the older one, and notes the keys of its ends.
  const TCachedBlock& Keep(TCachedBlock block);
  const std::map<int, TRowKey>& Keys() const { return keys_; }

  // Where the row of `key` goes among `count` rows in `order`; nothing when the keys held do
  // not tell it (the row was read already, or the keys contradict each other). Drops the
  // blocks holding rows without a key, which cannot be placed against it.
  std::optional<TRowPlace> Place(TSortOrder order, const TRowKey& key, int count);
  // A row was inserted at `at`: the rows from there on move down one. A block the row falls
  // inside is dropped.
  void Insert(int at);
  // The row of a kept record whose list id is `listId`, or -1.
  int RowOf(const std::string& listId) const;
  // `row` is gone: the rows after it move up one.
  void Remove(int row);

 private:
  TCachedBlock blocks_[2];  // [0] the newer
  std::map<int, TRowKey> keys_;
};

}  // namespace zoqa
