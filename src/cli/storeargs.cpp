#include "cli/storeargs.h"

#include "cli/argtext.h"
#include "cli/commands.h"
#include "store/storefile.h"

namespace zoqa::cli {

std::string Keyword(const std::string& utf8) {
  std::string keyword = Cp936Argument(utf8, "the keyword");
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
