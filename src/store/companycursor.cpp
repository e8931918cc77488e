#include "store/companycursor.h"

#include <charconv>

namespace zoqa {
namespace {

std::int64_t Number(const std::string& text) {
  std::int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

int Sign(std::int64_t a, std::int64_t b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

}  // namespace

int CompareRowKeys(TSortOrder order, const TRowKey& a, const TRowKey& b) {
  int result = 0;
  if (order.column == TSortColumn::kBadge) {
    result = Sign(Number(a.value), Number(b.value));
  } else if (order.column != TSortColumn::kStored) {
    // std::string compares its bytes as unsigned chars, as the stores' byte order does.
    int bytes = a.value.compare(b.value);
    result = bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
  }
  if (result == 0) result = Sign(a.listId, b.listId);
  return order.descending ? -result : result;
}

}  // namespace zoqa
