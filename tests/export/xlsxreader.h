// Reads the workbooks the export writes back into their cells, for the tests.
#pragma once

#include <string>
#include <vector>

namespace zoqa::test {

struct TXlsxCell {
  std::string text;  // UTF-8
  bool bold = false, wrap = false;
  bool operator==(const TXlsxCell&) const = default;
};

struct TXlsxSheet {
  std::vector<std::vector<TXlsxCell>> rows;  // a missing cell reads as an empty one
  bool allText = true;                       // every cell a string in a text-formatted style
  int frozenRows = 0;
};

TXlsxSheet ReadXlsx(const std::string& file);

// The texts of the cells, row by row.
std::vector<std::vector<std::string>> Texts(const TXlsxSheet& sheet);

}  // namespace zoqa::test
