#include "export/stagedfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "platform/durablefile.h"

namespace zoqa {

namespace {

namespace fs = std::filesystem;

constexpr int kNameAttempts = 100;

[[noreturn]] void Fail(const std::string& what, const std::string& fileName, int error) {
  throw std::runtime_error(what + " " + fileName + ": " + std::strerror(error));
}

std::string FollowLink(const std::string& target) {
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(target, ec))) return target;
  fs::path real = fs::weakly_canonical(target, ec);
  return ec ? target : real.string();
}

// A name in the target's directory that no other export (of this or another process) uses.
std::string TemporaryName(const std::string& target, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  fs::path dir = fs::path(target).parent_path();
  std::string name = ".zoqa-export-" + std::to_string(::getpid()) + "-" +
                     std::to_string(counter.fetch_add(1) + attempt) + ".part";
  return (dir.empty() ? fs::path(name) : dir / name).string();
}

}  // namespace

TStagedFile::TStagedFile(const std::string& target) : target_(FollowLink(target)) {
  if (fs::path(target_).filename().empty()) Fail("cannot create", target, EISDIR);
  struct stat existing {};
  const bool exists = ::stat(target_.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) Fail("cannot create", target, EISDIR);
  if (exists && !S_ISREG(existing.st_mode)) {
    path_ = target_;
    return;
  }
  for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = TemporaryName(target_, attempt);
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0 && errno == EACCES && exists && ::access(target_.c_str(), W_OK) == 0) {
      path_ = target_;  // a directory closed to new files, holding a file open to writing
      return;
    }
    if (fd < 0) Fail("cannot create", target, errno);
    if (exists) ::fchmod(fd, existing.st_mode & 07777);
    ::close(fd);
    path_ = std::move(name);
    staged_ = true;
    return;
  }
  Fail("cannot create", target, EEXIST);
}

TStagedFile::~TStagedFile() {
  if (staged_) ::unlink(path_.c_str());
}

void TStagedFile::Commit() {
  if (!staged_) return;
  // The content reaches the disk before the rename and the rename after it: after a power
  // loss the target is the old file or the whole new one.
  if (!SyncFileAt(path_)) Fail("cannot write", target_, errno);
  if (std::rename(path_.c_str(), target_.c_str()) != 0) Fail("cannot replace", target_, errno);
  staged_ = false;
  SyncParentFolder(target_);
}

}  // namespace zoqa
