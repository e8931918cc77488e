#include "cli/storeargs.h"

#include "cli/argtext.h"
#include "cli/commands.h"
#include "store/storechoice.h"
#include "store/storefile.h"

namespace zoqa::cli {

std::string Keyword(const std::string& utf8) {
  std::string keyword = Cp936Argument(utf8, "the keyword");
  if (keyword.empty()) throw UsageError("the keyword is empty");
  return keyword;
}

void ProvisionChosenStore() {
  if (ChosenStoreUrl().empty()) ProvisionStoreFile();
}

std::unique_ptr<TKeyListInfo> OpenStore() {
  ProvisionChosenStore();
  auto store = std::make_unique<TKeyListInfo>();
  store->LoadKeys();
  return store;
}

}  // namespace zoqa::cli
