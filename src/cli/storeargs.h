// What the store commands of zoqa-cli share: keywords from the command line and the store.
#pragma once

#include <memory>
#include <string>

#include "store/keylist.h"

namespace zoqa::cli {

// A keyword from the command line (UTF-8) in the store's code page; UsageError when it is
// empty, not valid UTF-8, or holds a character the code page lacks.
std::string Keyword(const std::string& utf8);

// Creates the local store's database on first run; the team store is set up with store init.
void ProvisionChosenStore();

// Creates the database on first run, then opens the store with its keywords.
std::unique_ptr<TKeyListInfo> OpenStore();

}  // namespace zoqa::cli
