#include "store/keyfold.h"

#include "util/codepage.h"

namespace zoqa {
namespace {

// A double-byte upper-case range of the code page and the distance of its lower-case twins.
struct CasedRange {
  unsigned char lead;
  unsigned char firstTrail;
  unsigned char lastTrail;
  unsigned char toLower;
};

constexpr CasedRange kCasedRanges[] = {
    {0xA3, 0xC1, 0xDA, 0x20},  // full-width Latin A to Z
    {0xA6, 0xA1, 0xB8, 0x20},  // Greek capitals
    {0xA7, 0xA1, 0xC1, 0x30},  // Cyrillic capitals
};

unsigned char LowerTrail(unsigned char lead, unsigned char trail) {
  for (const CasedRange& range : kCasedRanges) {
    if (lead == range.lead && trail >= range.firstTrail && trail <= range.lastTrail) {
      return static_cast<unsigned char>(trail + range.toLower);
    }
  }
  return trail;
}

}  // namespace

std::string FoldKeyCase(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size();) {
    auto byte = static_cast<unsigned char>(out[i]);
    std::size_t length = CharLength(out, i);
    if (length == 2) {
      out[i + 1] = static_cast<char>(LowerTrail(byte, static_cast<unsigned char>(out[i + 1])));
    } else if (byte >= 'A' && byte <= 'Z') {
      out[i] = static_cast<char>(byte + ('a' - 'A'));
    }
    i += length;
  }
  return out;
}

}  // namespace zoqa
