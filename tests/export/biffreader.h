// Reads the worksheet files the export writes back into their cells, for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zoqa::test {

struct TBiffCell {
  unsigned row = 0, col = 0;
  bool blank = false;
  std::string text;
  bool operator==(const TBiffCell&) const = default;
};

struct TBiffFile {
  bool wellFormed = false;  // BOF first, EOF last, every record complete
  std::vector<TBiffCell> cells;
};

TBiffFile ReadBiff(const std::string& bytes);

// Expected record bytes.
std::string BiffBof();
std::string BiffCodePage();
std::string BiffLabel(unsigned row, unsigned col, const std::string& text);
std::string BiffBlank(unsigned row, unsigned col);
std::string BiffEof();

}  // namespace zoqa::test
