#include "platform/replacefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/durablefile.h"

namespace zoqa {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

bool ReplaceFile(const std::string& path, std::string_view bytes) {
  // mkstemp creates a file of its own (O_EXCL), so no link planted beside the target is used.
  std::string temp = path + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, 0644) == 0 && WriteAll(fd, bytes) && SyncFileData(fd);
  ok = ::close(fd) == 0 && ok;
  ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  // The rename is on the disk only once the folder is: a failure here is not the file's.
  if (ok) SyncParentFolder(path);
  return ok;
}

}  // namespace zoqa
