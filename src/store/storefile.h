// First-run provisioning of the database file. The program calls this before it opens the
// store; the store itself only opens the file.
#pragma once

#include <string>

namespace zoqa {

// Creates Data/users in the program directory with both tables and all their columns when
// the file does not exist. An existing file is left as it is, tables or not. Raises
// std::runtime_error (or ESQLiteException) when the file cannot be created.
void ProvisionStoreFile();

// The same for an explicit database path (UTF-8), creating its directory.
void ProvisionStoreFile(const std::string& fileName);

}  // namespace zoqa
