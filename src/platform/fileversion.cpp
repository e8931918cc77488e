#include "platform/fileversion.h"

#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

namespace zoqa {
namespace {

constexpr char kSection[] = ".zoqa_version";
constexpr std::uint64_t kMaxNamesSize = 1 << 20;

// Reads little-endian ELF structures at given offsets, with every access bounds-checked.
class ElfReader {
 public:
  explicit ElfReader(const std::string& path) : in_(path, std::ios::binary) {}

  std::optional<TFileVersionRecord> Record() {
    char ident[6];
    if (!Read(0, ident, sizeof ident) || std::memcmp(ident,
                                                     "\x7F"
                                                     "ELF",
                                                     4) != 0)
      return {};
    if (ident[5] != 1) return {};  // little-endian only
    wide_ = ident[4] == 2;
    std::uint64_t shoff = Num(wide_ ? 0x28 : 0x20, wide_ ? 8 : 4);
    std::uint64_t entsize = Num(wide_ ? 0x3A : 0x2E, 2);
    std::uint64_t count = Num(wide_ ? 0x3C : 0x30, 2);
    std::uint64_t namesIndex = Num(wide_ ? 0x3E : 0x32, 2);
    if (!ok_ || count == 0 || namesIndex >= count || entsize < (wide_ ? 64u : 40u)) return {};
    std::string names = SectionBytes(shoff + namesIndex * entsize, kMaxNamesSize);
    for (std::uint64_t i = 0; ok_ && i < count; ++i) {
      std::uint64_t header = shoff + i * entsize;
      std::uint64_t nameAt = Num(header, 4);
      if (nameAt < names.size() && std::strcmp(names.c_str() + nameAt, kSection) == 0) {
        return Decode(SectionBytes(header, sizeof(TFileVersionRecord)));
      }
    }
    return {};
  }

 private:
  bool Read(std::uint64_t at, char* out, std::size_t n) {
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(at));
    in_.read(out, static_cast<std::streamsize>(n));
    ok_ = ok_ && in_.gcount() == static_cast<std::streamsize>(n);
    return ok_;
  }

  std::uint64_t Num(std::uint64_t at, std::size_t n) {
    unsigned char b[8] = {};
    if (!Read(at, reinterpret_cast<char*>(b), n)) return 0;
    std::uint64_t v = 0;
    for (std::size_t i = n; i-- > 0;) v = (v << 8) | b[i];
    return v;
  }

  // The contents of the section whose header is at `header`, when at most `limit` bytes.
  std::string SectionBytes(std::uint64_t header, std::uint64_t limit) {
    std::uint64_t offset = Num(header + (wide_ ? 0x18 : 0x10), wide_ ? 8 : 4);
    std::uint64_t size = Num(header + (wide_ ? 0x20 : 0x14), wide_ ? 8 : 4);
    if (!ok_ || size > limit) return {};
    std::string bytes(size, '\0');
    if (size > 0 && !Read(offset, bytes.data(), size)) return {};
    return bytes;
  }

  static std::optional<TFileVersionRecord> Decode(const std::string& bytes) {
    TFileVersionRecord r;
    if (bytes.size() != sizeof r) return {};
    std::memcpy(&r, bytes.data(), sizeof r);
    if (std::memcmp(r.magic, "ZQVERSN", 8) != 0) return {};
    return r;
  }

  std::ifstream in_;
  bool ok_ = true;
  bool wide_ = true;
};

}  // namespace

std::string GetFileVersion(const std::string& fileName) {
  try {
    std::optional<TFileVersionRecord> r = ElfReader(fileName).Record();
    if (!r) return "1.0.0.0";
    return std::to_string(r->parts[0]) + "." + std::to_string(r->parts[1]) + "." +
           std::to_string(r->parts[2]) + "." + std::to_string(r->parts[3]);
  } catch (...) {
    return "1.0.0.0";
  }
}

}  // namespace zoqa
