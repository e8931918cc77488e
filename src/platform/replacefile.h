// Writing a file the program owns (downloads, the updater's notes) without ever writing
// through a link: the bytes go to a new file beside the target, which is then renamed over
// it, so a link of that name is replaced, never followed, and a reader sees the old or the
// whole new content. The new file is on the disk before the rename, and the folder after it.
#pragma once

#include <string>
#include <string_view>

namespace zoqa {

// Writes `bytes` to `path` as described; the new file gets mode 0644. False
// when it cannot be written; `path` is then as it was.
bool ReplaceFile(const std::string& path, std::string_view bytes);

}  // namespace zoqa
