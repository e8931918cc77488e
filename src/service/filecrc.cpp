#include "service/filecrc.h"

#include <zlib.h>

#include <fstream>
#include <vector>

namespace zoqa {
namespace {

constexpr std::size_t kBlockSize = 1 << 16;

}  // namespace

std::uint32_t FileCrc32(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return 0;
  std::vector<char> block(kBlockSize);
  uLong crc = crc32(0L, Z_NULL, 0);
  for (;;) {
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    std::streamsize n = in.gcount();
    if (n > 0) crc = crc32(crc, reinterpret_cast<const Bytef*>(block.data()), static_cast<uInt>(n));
    if (in.eof()) break;
    if (!in) return 0;  // a read error, not the end
  }
  return static_cast<std::uint32_t>(crc);
}

}  // namespace zoqa
