#include "cli/storeargs.h"

#include "cli/commands.h"
#include "store/storefile.h"
#include "util/codepage.h"

namespace zoqa::cli {

std::string Keyword(const std::string& utf8) {
  if (!IsValidUtf8(utf8)) throw UsageError("the keyword is not valid UTF-8");
  std::string keyword = Utf8ToCp936(utf8);
  if (keyword.empty()) throw UsageError("the keyword is empty");
  return keyword;
}

std::unique_ptr<TKeyListInfo> OpenStore() {
  ProvisionStoreFile();
  auto store = std::make_unique<TKeyListInfo>();
  store->LoadKeys();
  return store;
}

}  // namespace zoqa::cli
