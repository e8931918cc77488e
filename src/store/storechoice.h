// Which store a process works on: the team store of a postgresql:// URL, or the local file
// Data/users of the program directory. The URL comes from --store (set here by the command
// line), else the ZOQA_STORE environment variable, else [store] Url in zqclient.cfg; an empty
// value means the local store.
#pragma once

#include <memory>
#include <string>

#include "store/storebackend.h"

namespace zoqa {

// Sets the URL given on the command line; it wins over the environment and the settings.
void SetStoreUrlOverride(const std::string& url);

// The chosen store URL; empty for the local store.
std::string ChosenStoreUrl();

// Opens the chosen store (the local store's file must have been provisioned). Raises EStoreUrl,
// EPgError or EStoreSchema for a team store that cannot be used.
std::unique_ptr<TStoreBackend> OpenChosenStore();

// Opens the store at `where`: a postgresql:// URL, or a program directory whose local store
// file must exist unless `create` lets it be created with its tables.
std::unique_ptr<TStoreBackend> OpenStoreAt(const std::string& where, bool create);

}  // namespace zoqa
