// Making a finished file survive a power loss: its data is flushed to the disk before it is
// renamed over its target, and the folder after the rename, so that the target is then the
// old file or the whole new one, never an empty one.
#pragma once

#include <string>

namespace zoqa {

// Flushes the open file `fd` to the disk; false when that fails.
bool SyncFileData(int fd);
// Flushes the file at `path` to the disk; false when it cannot be opened or flushed.
bool SyncFileAt(const std::string& path);
// Flushes the folder that holds `path` (its entries, such as a rename into it); false when
// it cannot be opened or flushed.
bool SyncParentFolder(const std::string& path);

}  // namespace zoqa
