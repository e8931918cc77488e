// A file written beside its target under a temporary name and moved over the target only once
// it is complete: a failed write never leaves a half file, and an existing file stays as it is
// until its replacement is whole.
#pragma once

#include <string>

namespace zoqa {

class TStagedFile {
 public:
  // Creates an empty temporary file in the target's directory (with the permissions of the file
  // it replaces, if any); raises when that fails or the target is a directory. A symbolic link
  // is followed, so the file it names is replaced. A target that exists and is neither a
  // regular file nor a directory (a device, a pipe), or a writable file in a directory where
  // no file may be created, is written in place instead.
  explicit TStagedFile(const std::string& target);
  // Removes the temporary file unless Commit succeeded.
  ~TStagedFile();
  TStagedFile(const TStagedFile&) = delete;
  TStagedFile& operator=(const TStagedFile&) = delete;

  // The file to replace (a symbolic link followed).
  const std::string& Target() const { return target_; }
  // Where the content is to be written.
  const std::string& Path() const { return path_; }
  // Moves the written file over the target; raises on failure.
  void Commit();

 private:
  std::string target_;
  std::string path_;
  bool staged_ = false;  // path_ is a temporary file of ours
};

}  // namespace zoqa
