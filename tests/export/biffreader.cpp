#include "biffreader.h"

namespace zoqa::test {

namespace {

unsigned U16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

std::string Le16(unsigned v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

}  // namespace

TBiffFile ReadBiff(const std::string& bytes) {
  TBiffFile file;
  std::size_t at = 0;
  bool first = true, ended = false;
  while (at + 4 <= bytes.size() && !ended) {
    unsigned type = U16(bytes, at), length = U16(bytes, at + 2);
    if (at + 4 + length > bytes.size()) return file;
    const std::size_t data = at + 4;
    if (first && type != 0x0809) return file;
    if (type == 0x0204) {
      file.cells.push_back({U16(bytes, data), U16(bytes, data + 2), false,
                            bytes.substr(data + 8, U16(bytes, data + 6))});
    } else if (type == 0x0201) {
      file.cells.push_back({U16(bytes, data), U16(bytes, data + 2), true, {}});
    }
    ended = type == 0x000A;
    first = false;
    at = data + length;
  }
  file.wellFormed = ended && at == bytes.size();
  return file;
}

std::string BiffBof() {
  return Le16(0x0809) + Le16(8) + Le16(0) + Le16(0x10) + Le16(0) + Le16(0);
}

std::string BiffCodePage() {
  return Le16(0x0042) + Le16(2) + Le16(936);
}

std::string BiffLabel(unsigned row, unsigned col, const std::string& text) {
  auto n = static_cast<unsigned>(text.size());
  return Le16(0x0204) + Le16(n + 8) + Le16(row) + Le16(col) + Le16(0) + Le16(n) + text;
}

std::string BiffBlank(unsigned row, unsigned col) {
  return Le16(0x0201) + Le16(6) + Le16(row) + Le16(col) + Le16(0x17);
}

std::string BiffEof() {
  return Le16(0x000A) + Le16(0);
}

}  // namespace zoqa::test
