#include "service/zipunpack.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <stdexcept>

#include "util/codepage.h"

namespace zoqa {
namespace {

namespace fs = std::filesystem;

constexpr zip_int64_t kMaxEntries = 65536;
constexpr std::uint64_t kMaxTotalBytes = std::uint64_t{2} << 30;  // 2 GiB unpacked
constexpr std::size_t kBlockSize = 1 << 16;

// A refusal or failure with the text the caller reports.
struct TUnpackError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct TEntry {
  zip_uint64_t Index = 0;
  std::string Relative;  // "/"-separated, without empty, "." or ".." steps
  bool Directory = false;
  mode_t Mode = 0;  // the stored permission bits; 0: none stored
};

struct TStaged {
  fs::path Temp;
  fs::path Target;
  std::string Relative;
};

struct TZipCloser {
  void operator()(zip_t* za) const { zip_discard(za); }
};
using TZipPtr = std::unique_ptr<zip_t, TZipCloser>;

std::string Quoted(const std::string& name) {
  return "\"" + name + "\"";
}

TZipPtr OpenArchive(const std::string& archive) {
  int code = 0;
  zip_t* za = zip_open(archive.c_str(), ZIP_RDONLY, &code);
  if (za != nullptr) return TZipPtr(za);
  if (code == ZIP_ER_NOZIP)
    throw TUnpackError("not a zip archive (or a truncated one): " + archive);
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string text = zip_error_strerror(&error);
  zip_error_fini(&error);
  throw TUnpackError("cannot open zip archive " + archive + ": " + text);
}

// The entry's name as UTF-8: names stored without the UTF-8 flag by Chinese systems are in
// code page 936.
std::string EntryName(zip_t* za, zip_uint64_t index) {
  const char* raw = zip_get_name(za, index, ZIP_FL_ENC_RAW);
  if (raw == nullptr) throw TUnpackError("damaged zip archive: unreadable entry name");
  std::string name(raw);
  return IsValidUtf8(name) ? name : Cp936ToUtf8(name);
}

bool IsAbsolute(const std::string& name) {
  if (!name.empty() && name[0] == '/') return true;
  return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
}

// Checks the name and turns it into a relative path; false for an entry naming the folder
// itself, which is skipped.
bool CleanName(const std::string& stored, TEntry& entry) {
  std::string name = stored;
  for (char& c : name) {
    if (c == '\\') c = '/';  // archivers on Windows sometimes store backslashes
  }
  if (name.empty()) throw TUnpackError("archive holds an entry without a name");
  if (IsAbsolute(name)) throw TUnpackError("entry " + Quoted(stored) + " has an absolute path");
  if (name.back() == '/') entry.Directory = true;
  std::string relative;
  std::size_t pos = 0;
  while (pos <= name.size()) {
    std::size_t end = name.find('/', pos);
    if (end == std::string::npos) end = name.size();
    std::string part = name.substr(pos, end - pos);
    pos = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      throw TUnpackError("entry " + Quoted(stored) + " climbs out of the target folder");
    }
    relative += (relative.empty() ? "" : "/") + part;
  }
  if (relative.empty() && !entry.Directory) {
    throw TUnpackError("entry " + Quoted(stored) + " has no file name");
  }
  entry.Relative = relative;
  return !relative.empty();
}

// Takes the file type and permission bits an archive made on Unix stores.
void ReadAttributes(zip_t* za, const std::string& stored, TEntry& entry) {
  zip_uint8_t opsys = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(za, entry.Index, 0, &opsys, &attributes) != 0) return;
  if (opsys != ZIP_OPSYS_UNIX) return;
  mode_t mode = static_cast<mode_t>(attributes >> 16);
  mode_t type = mode & S_IFMT;
  if (type == S_IFDIR) {
    entry.Directory = true;
  } else if (type != 0 && type != S_IFREG) {
    throw TUnpackError("entry " + Quoted(stored) + " is not a plain file or folder");
  }
  entry.Mode = mode & 0777;
}

// Refuses archives in which a file's path is also a folder of another entry.
void CheckConflicts(const std::vector<TEntry>& entries) {
  std::set<std::string> files;
  std::set<std::string> folders;
  for (const TEntry& entry : entries) {
    (entry.Directory ? folders : files).insert(entry.Relative);
    for (std::size_t at = entry.Relative.find('/'); at != std::string::npos;
         at = entry.Relative.find('/', at + 1)) {
      folders.insert(entry.Relative.substr(0, at));
    }
  }
  for (const std::string& file : files) {
    if (folders.count(file) != 0) {
      throw TUnpackError("entry " + Quoted(file) + " is both a file and a folder");
    }
  }
}

// Every entry checked, before anything is written.
std::vector<TEntry> ReadEntries(zip_t* za) {
  zip_int64_t count = zip_get_num_entries(za, 0);
  if (count < 0) throw TUnpackError("damaged zip archive");
  if (count > kMaxEntries) throw TUnpackError("zip archive has too many entries");
  std::vector<TEntry> entries;
  std::uint64_t total = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    TEntry entry;
    entry.Index = static_cast<zip_uint64_t>(i);
    std::string stored = EntryName(za, entry.Index);
    ReadAttributes(za, stored, entry);
    if (!CleanName(stored, entry)) continue;
    zip_stat_t st;
    if (zip_stat_index(za, entry.Index, 0, &st) != 0) throw TUnpackError("damaged zip archive");
    if ((st.valid & ZIP_STAT_SIZE) != 0) total += st.size;
    if (total > kMaxTotalBytes) throw TUnpackError("zip archive unpacks to more than 2 GiB");
    entries.push_back(std::move(entry));
  }
  CheckConflicts(entries);
  return entries;
}

bool IsInside(const fs::path& folder, const fs::path& path) {
  auto [end, unused] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  (void)unused;
  return end == folder.end();
}

class TUnpacker {
 public:
  TUnpacker(zip_t* za, const std::string& folder) : za_(za) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    folder_ = fs::canonical(folder, ec);
    if (ec) throw TUnpackError("cannot create folder " + folder + ": " + ec.message());
  }

  ~TUnpacker() {
    std::error_code ec;
    for (const TStaged& s : staged_) fs::remove(s.Temp, ec);
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) fs::remove(*it, ec);
  }

  void Stage(const TEntry& entry) {
    fs::path target = folder_ / fs::path(entry.Relative);
    if (entry.Directory) {
      MakeFolder(target, entry.Mode);
      return;
    }
    MakeFolder(target.parent_path(), 0);
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(target, ec))) {
      throw TUnpackError("a folder is in the way of " + Quoted(entry.Relative));
    }
    staged_.push_back({WriteTemp(entry, target), target, entry.Relative});
  }

  // Renames every staged file over its target. A file it replaces is first moved aside beside
  // it, so that when a rename fails part-way every file replaced so far is put back.
  void Commit(std::vector<std::string>& files) {
    std::vector<TReplaced> done;
    for (const TStaged& s : staged_) {
      fs::path backup;
      int error = MoveAside(s.Target, backup);
      if (error == 0 && ::rename(s.Temp.c_str(), s.Target.c_str()) != 0) {
        error = errno;
        if (!backup.empty()) ::rename(backup.c_str(), s.Target.c_str());
      }
      if (error != 0) {
        std::string text = "cannot replace " + s.Target.string() + ": " + std::strerror(error);
        throw TUnpackError(text + (RollBack(done) ? "; every file replaced before it was restored"
                                                  : "; the files replaced before it could not "
                                                    "all be restored"));
      }
      done.push_back({s.Target, backup});
    }
    std::error_code ec;
    for (const TReplaced& r : done) {
      if (!r.Backup.empty()) fs::remove(r.Backup, ec);
    }
    for (const TStaged& s : staged_) files.push_back(s.Relative);
    staged_.clear();
    created_.clear();
  }

 private:
  // A file renamed over its target, and where the file it replaced was moved ("" for none).
  struct TReplaced {
    fs::path Target;
    fs::path Backup;
  };

  // Moves an existing `target` (whatever it is: a link is moved, not followed) to a new name
  // beside it. Returns 0 or the errno of the failure.
  static int MoveAside(const fs::path& target, fs::path& backup) {
    struct stat st;
    if (::lstat(target.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    std::string name = (target.parent_path() / ".zoqa-backup-XXXXXX").string();
    int fd = ::mkstemp(name.data());
    if (fd < 0) return errno;
    ::close(fd);
    if (::rename(target.c_str(), name.c_str()) != 0) {
      int error = errno;
      ::unlink(name.c_str());
      return error;
    }
    backup = name;
    return 0;
  }

  // Undoes the renames of `done`, last first; false when one could not be undone.
  static bool RollBack(const std::vector<TReplaced>& done) {
    bool ok = true;
    for (auto it = done.rbegin(); it != done.rend(); ++it) {
      int result = it->Backup.empty() ? ::unlink(it->Target.c_str())
                                      : ::rename(it->Backup.c_str(), it->Target.c_str());
      ok = ok && result == 0;
    }
    return ok;
  }

  // Creates the folder and its missing parents; where existing links lead, the folder must
  // still lie inside the target folder.
  void MakeFolder(const fs::path& dir, mode_t mode) {
    std::error_code ec;
    fs::path built = folder_;
    for (const fs::path& part : dir.lexically_relative(folder_)) {
      if (part == ".") continue;
      built /= part;
      if (fs::create_directory(built, ec)) {
        created_.push_back(built);
        if (mode != 0 && built == dir)
          fs::permissions(built, static_cast<fs::perms>(mode | 0700), ec);
      } else if (ec || !fs::is_directory(built, ec)) {
        throw TUnpackError("cannot create folder " + built.string());
      }
    }
    if (!IsInside(folder_, fs::canonical(dir, ec)) || ec) {
      throw TUnpackError("folder " + dir.string() + " leaves the target folder");
    }
  }

  mode_t ModeFor(const TEntry& entry, const fs::path& target) const {
    if (entry.Mode != 0) return entry.Mode | 0600;
    struct stat st;
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 0777;
    return 0644;
  }

  fs::path WriteTemp(const TEntry& entry, const fs::path& target) {
    std::string pattern = (target.parent_path() / ".zoqa-unpack-XXXXXX").string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) throw TUnpackError("cannot write in " + target.parent_path().string());
    staged_.push_back({pattern, {}, {}});  // removed again should anything below throw
    bool ok = Copy(entry, fd) && ::fchmod(fd, ModeFor(entry, target)) == 0;
    ok = (::close(fd) == 0) && ok;
    staged_.pop_back();
    if (!ok) {
      std::error_code ec;
      fs::remove(pattern, ec);
      throw TUnpackError(copyError_.empty() ? "cannot write " + target.string() : copyError_);
    }
    return pattern;
  }

  bool Copy(const TEntry& entry, int fd) {
    zip_file_t* in = zip_fopen_index(za_, entry.Index, 0);
    if (in == nullptr) {
      copyError_ = "cannot read entry " + Quoted(entry.Relative) + ": " + zip_strerror(za_);
      return false;
    }
    std::vector<char> block(kBlockSize);
    bool ok = true;
    for (;;) {
      zip_int64_t n = zip_fread(in, block.data(), block.size());
      if (n < 0) {
        copyError_ = "damaged entry " + Quoted(entry.Relative) + ": " + zip_file_strerror(in);
        ok = false;
        break;
      }
      if (n == 0) break;
      written_ += static_cast<std::uint64_t>(n);
      if (written_ > kMaxTotalBytes || !WriteAll(fd, block.data(), static_cast<std::size_t>(n))) {
        ok = false;
        break;
      }
    }
    if (zip_fclose(in) != 0 && ok) {
      copyError_ = "damaged entry " + Quoted(entry.Relative);
      ok = false;
    }
    return ok;
  }

  static bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
      ssize_t n = ::write(fd, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  zip_t* za_;
  fs::path folder_;
  std::vector<TStaged> staged_;
  std::vector<fs::path> created_;  // folders made here, removed again on failure
  std::uint64_t written_ = 0;
  std::string copyError_;
};

}  // namespace

TUnpackResult UnpackZip(const std::string& archive, const std::string& folder) {
  TUnpackResult result;
  try {
    TZipPtr za = OpenArchive(archive);
    std::vector<TEntry> entries = ReadEntries(za.get());
    TUnpacker unpacker(za.get(), folder);
    for (const TEntry& entry : entries) unpacker.Stage(entry);
    unpacker.Commit(result.Files);
    result.Ok = true;
  } catch (const TUnpackError& e) {
    result.Error = e.what();
  } catch (const std::exception& e) {
    result.Error = std::string("unpacking failed: ") + e.what();
  }
  if (!result.Ok) result.Files.clear();
  return result;
}

}  // namespace zoqa
