// Copying one store into another (local file or team database, either way): keywords with
// their next pages, and companies under their keyword. What the target holds already stays
// as it is, so a second copy copies nothing.
#pragma once

#include <cstdint>

namespace zoqa {

class TStoreBackend;

struct TCopyCounts {
  std::int64_t Keys = 0;
  std::int64_t KeysSkipped = 0;  // present at the target already
  std::int64_t Companies = 0;
  std::int64_t CompaniesSkipped = 0;  // a company of the same name is at the target already
};

TCopyCounts CopyStore(TStoreBackend& from, TStoreBackend& to);

}  // namespace zoqa
