// CRC-32 of a whole file, as the service states it for its packages.
#pragma once

#include <cstdint>
#include <string>

namespace zoqa {

// The CRC-32 (zlib's crc32: reflected 0xEDB88320, initial and final complement) of the file
// at `path`, read-only and in blocks; 0 when the file cannot be opened or read.
std::uint32_t FileCrc32(const std::string& path);

}  // namespace zoqa
