// Unpacking of the zip archives the service delivers (update packages, the updater, companion
// tools) into a folder: every entry is checked before anything is written, so an archive with
// an entry that would land outside the folder is refused as a whole; files are written beside
// their target first and renamed over it at the end, so a damaged entry leaves the folder as
// it was and a running program can be replaced; should one of those renames fail, the files
// already replaced are put back, so the folder is never left half updated.
#pragma once

#include <string>
#include <vector>

namespace zoqa {

struct TUnpackResult {
  bool Ok = false;
  std::string Error;               // why the archive was refused or not unpacked
  std::vector<std::string> Files;  // files written, relative to the folder, in archive order
};

// Unpacks the zip archive at `archive` into `folder` (created when missing): existing files
// are replaced without asking, stored folders are created, stored Unix permission bits are
// kept (an entry without them keeps the mode of the file it replaces, else 0644). Refused
// as a whole: entries with an absolute name, a ".." step, a link or device type, or sizes
// beyond the limits. Not a zip, a damaged archive or a CRC error: nothing is replaced.
TUnpackResult UnpackZip(const std::string& archive, const std::string& folder);

}  // namespace zoqa
