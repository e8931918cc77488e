#include "export/outfile.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace zoqa {

namespace {

constexpr std::size_t kFlushSize = 1 << 20;

[[noreturn]] void Fail(const std::string& what, const std::string& fileName, int error) {
  throw std::runtime_error(what + " " + fileName + ": " + std::strerror(error));
}

}  // namespace

TOutFile::TOutFile(const std::string& fileName) : staged_(fileName) {
  file_ = std::fopen(staged_.Path().c_str(), "wb");
  if (!file_) Fail("cannot create", fileName, errno);
  buffer_.reserve(kFlushSize);
}

TOutFile::~TOutFile() {
  if (file_) std::fclose(file_);
}

void TOutFile::Write(std::string_view bytes) {
  buffer_.append(bytes);
  if (buffer_.size() >= kFlushSize) Flush();
}

void TOutFile::WriteUInt16(unsigned value) {
  buffer_ += static_cast<char>(value & 0xFF);
  buffer_ += static_cast<char>((value >> 8) & 0xFF);
  if (buffer_.size() >= kFlushSize) Flush();
}

void TOutFile::Flush() {
  if (buffer_.empty()) return;
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
    Fail("cannot write", staged_.Target(), errno);
  }
  buffer_.clear();
}

void TOutFile::Close() {
  Flush();
  std::FILE* file = std::exchange(file_, nullptr);
  bool ok = std::fflush(file) == 0;
  int error = errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) Fail("cannot write", staged_.Target(), error);
  staged_.Commit();
}

}  // namespace zoqa
