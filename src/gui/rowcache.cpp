#include "gui/rowcache.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace zoqa {
namespace {

// Narrows `place` by the key `known` of `row`: the new row of `key` goes after it or before it.
// False when `known` is the new row's own key (it was read already) or `row` lies outside the
// `count` rows.
bool Bound(TSortOrder order, const TRowKey& key, int row, const TRowKey& known, int count,
           TRowPlace& place) {
  if (row < 0 || row >= count) return false;
  int side = CompareRowKeys(order, known, key);
  if (side == 0) return false;
  if (side < 0) {
    place.low = std::max(place.low, row + 1);
  } else {
    place.at = std::min(place.at, row);
  }
  return true;
}

}  // namespace

void TRowCache::Forget() {
  blocks_[0] = TCachedBlock();
  blocks_[1] = TCachedBlock();
  keys_.clear();
}

const TCachedBlock* TRowCache::BlockOf(int row) const {
  for (const TCachedBlock& block : blocks_) {
    if (block.Holds(row)) return &block;
  }
  return nullptr;
}

// The ends of a block read short are not noted: the store then holds other rows than the
// count says, and their places are not known.
const TCachedBlock& TRowCache::Keep(TCachedBlock block) {
  blocks_[1] = std::move(blocks_[0]);
  blocks_[0] = std::move(block);
  const TCachedBlock& kept = blocks_[0];
  const int size = static_cast<int>(kept.rows.size());
  if (size == kept.span && size > 0) {
    for (int i : {0, size - 1}) {
      if (kept.keys[static_cast<std::size_t>(i)]) {
        keys_[kept.first + i] = *kept.keys[static_cast<std::size_t>(i)];
      }
    }
  }
  return kept;
}

std::optional<TRowPlace> TRowCache::Place(TSortOrder order, const TRowKey& key, int count) {
  for (TCachedBlock& block : blocks_) {
    bool keyed = std::all_of(block.keys.begin(), block.keys.end(),
                             [](const std::optional<TRowKey>& k) { return k.has_value(); });
    if (!keyed || block.rows.size() != static_cast<std::size_t>(block.span)) {
      block = TCachedBlock();
    }
  }
  TRowPlace place{0, count};
  for (const auto& [row, known] : keys_) {
    if (!Bound(order, key, row, known, count, place)) return std::nullopt;
  }
  for (const TCachedBlock& block : blocks_) {
    for (std::size_t i = 0; i < block.keys.size(); ++i) {
      int row = block.first + static_cast<int>(i);
      if (!Bound(order, key, row, *block.keys[i], count, place)) return std::nullopt;
    }
  }
  if (place.low > place.at) return std::nullopt;
  return place;
}

void TRowCache::Insert(int at) {
  auto from = keys_.lower_bound(at);
  std::vector<std::pair<int, TRowKey>> moved;
  for (auto it = from; it != keys_.end(); ++it)
    moved.emplace_back(it->first + 1, std::move(it->second));
  keys_.erase(from, keys_.end());
  for (auto& [row, key] : moved) keys_.emplace_hint(keys_.end(), row, std::move(key));
  for (TCachedBlock& block : blocks_) {
    if (block.first < 0) continue;
    if (at <= block.first) {
      ++block.first;
    } else if (at < block.first + block.span) {
      block = TCachedBlock();
    }
  }
}

int TRowCache::RowOf(const std::string& listId) const {
  for (const TCachedBlock& block : blocks_) {
    for (std::size_t i = 0; i < block.rows.size(); ++i) {
      if (block.rows[i].ListId == listId) return block.first + static_cast<int>(i);
    }
  }
  return -1;
}

void TRowCache::Remove(int row) {
  keys_.erase(row);
  auto from = keys_.upper_bound(row);
  std::vector<std::pair<int, TRowKey>> moved;
  for (auto it = from; it != keys_.end(); ++it)
    moved.emplace_back(it->first - 1, std::move(it->second));
  keys_.erase(from, keys_.end());
  for (auto& [at, key] : moved) keys_.emplace_hint(keys_.end(), at, std::move(key));
  for (TCachedBlock& block : blocks_) {
    if (block.first < 0) continue;
    if (row < block.first) {
      --block.first;
    } else if (block.Holds(row)) {
      auto i = static_cast<std::size_t>(row - block.first);
      if (i < block.rows.size()) {
        block.rows.erase(block.rows.begin() + static_cast<std::ptrdiff_t>(i));
        block.keys.erase(block.keys.begin() + static_cast<std::ptrdiff_t>(i));
      }
      if (--block.span == 0) block = TCachedBlock();
    }
  }
}

}  // namespace zoqa
