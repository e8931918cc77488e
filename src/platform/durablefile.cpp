#include "platform/durablefile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace zoqa {
namespace {

bool SyncOpened(const std::string& path, int flags) {
  int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = SyncFileData(fd);
  return ::close(fd) == 0 && ok;
}

}  // namespace

bool SyncFileData(int fd) {
  while (::fsync(fd) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool SyncFileAt(const std::string& path) {
  return SyncOpened(path, O_RDONLY);
}

bool SyncParentFolder(const std::string& path) {
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return SyncOpened(folder.empty() ? std::string(".") : folder.string(), O_RDONLY | O_DIRECTORY);
}

}  // namespace zoqa
