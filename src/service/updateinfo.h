// What a configuration document offers for installation: a newer client package and, when
// needed, a new copy of the updater program.
#pragma once

#include <cstdint>
#include <string>

namespace zoqa {

struct TUpdateInfo {
  bool UpdateAvailable = false;  // a client newer than ours is offered
  std::string PackageUrl;        // the client update package
  bool Forced = false;           // the user is told first that it must be installed
  std::uint32_t PackageCrc = 0;  // CRC-32 of the package file; 0: not checked
  bool UpdaterNeeded = false;    // the updater program must be downloaded again
  std::string UpdaterUrl;        // the updater archive
  std::uint32_t UpdaterCrc = 0;  // CRC-32 of the updater archive; 0: not checked
};

}  // namespace zoqa
