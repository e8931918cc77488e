// A new output file written through a memory buffer. Every failure raises. The bytes go to a
// file beside the target that replaces it only when Close succeeds, so a failed export never
// leaves a truncated file and never loses the file it was to replace.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "export/stagedfile.h"

namespace zoqa {

class TOutFile {
 public:
  // Starts a file that is to replace `fileName` (a file-system path); raises on failure.
  explicit TOutFile(const std::string& fileName);
  // Closes the file without raising and drops it unless Close succeeded.
  ~TOutFile();
  TOutFile(const TOutFile&) = delete;
  TOutFile& operator=(const TOutFile&) = delete;

  void Write(std::string_view bytes);
  void WriteUInt16(unsigned value);  // two bytes, little-endian
  // Flushes, closes and puts the file in place; raises when any byte could not be written.
  void Close();

 private:
  void Flush();

  TStagedFile staged_;
  std::FILE* file_ = nullptr;  // null once closed
  std::string buffer_;
};

}  // namespace zoqa
