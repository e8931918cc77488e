// A new output file written through a memory buffer. Every failure raises; a file that is not
// closed successfully is removed again, so a failed export never leaves a truncated file.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace zoqa {

class TOutFile {
 public:
  // Creates `fileName` (a file-system path), replacing an existing file; raises on failure.
  explicit TOutFile(const std::string& fileName);
  // Closes the file without raising and removes it unless Close succeeded.
  ~TOutFile();
  TOutFile(const TOutFile&) = delete;
  TOutFile& operator=(const TOutFile&) = delete;

  void Write(std::string_view bytes);
  void WriteUInt16(unsigned value);  // two bytes, little-endian
  // Flushes and closes; raises when any byte could not be written.
  void Close();

 private:
  void Flush();

  std::string fileName_;
  std::FILE* file_ = nullptr;  // null once closed
  std::string buffer_;
};

// Removes `fileName` when it is a regular file or a symbolic link; anything else (a
// directory, a device) is left alone. Failures are ignored.
void RemoveFileIfPresent(const std::string& fileName);

}  // namespace zoqa
