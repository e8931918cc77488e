// Writes an export table as an Office Open XML workbook (.xlsx) of one sheet: the titles bold
// in a frozen first row, one row per table row, every cell stored as text (so that leading
// zeros and long digit runs stay as they are), cells of several lines wrapped in a row as tall
// as their lines, and every column as wide as its longest line, within a cap.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "export/exportlines.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace zoqa {

class TXlsxWorkbook {
 public:
  // A sheet has 1,048,576 rows; a cell holds up to 32,767 characters.
  static constexpr std::size_t kMaxRows = 1048576;
  static constexpr std::size_t kMaxCellChars = 32767;
  // Column widths in characters of the default font.
  static constexpr double kMinColumnWidth = 8;
  static constexpr double kMaxColumnWidth = 60;

  // Calls the visitor with the cells of every row in order until it returns false. The rows are
  // written as they come and the columns measured on the way: no row is kept.
  using TRowVisitor = std::function<bool(const std::vector<std::string>& cells)>;
  using TRowSource = std::function<void(const TRowVisitor& each)>;

  // Keeps a reference to `table` (code page 936 texts).
  explicit TXlsxWorkbook(const TExportTable& table);
  // The title row `titles` (none when empty), then the rows of `rows`.
  TXlsxWorkbook(std::vector<std::string> titles, TRowSource rows);

  // Writes the workbook to `fileName`, replacing an existing file only once the new one is
  // complete and checked. Raises when the table has no row at all or more rows than a sheet,
  // and when the file cannot be written whole; an existing file is then kept and nothing of
  // the new one is left behind.
  void SaveToFile(const std::string& fileName);

  // The width of each column: its longest line (title or cell; a double-byte character counts
  // two) plus a margin, between kMinColumnWidth and kMaxColumnWidth.
  static std::vector<double> ColumnWidths(const TExportTable& table);

  // `cp936` as UTF-8, cut to kMaxCellChars characters.
  static std::string CellText(const std::string& cp936);

 private:
  struct TFormats {
    lxw_format* title;
    lxw_format* text;
    lxw_format* wrapped;
  };

  // What a sheet holds once written: its rows, and those of them with a cell.
  struct TWritten {
    std::size_t rows = 0;
    std::size_t filled = 0;
  };

  TWritten WriteSheet(lxw_workbook* workbook);
  static TFormats AddFormats(lxw_workbook* workbook);
  // Writes the row's cells; false when they are all empty (the sheet then has no such row).
  static bool WriteRow(lxw_worksheet* sheet, std::size_t row, const std::vector<std::string>& cells,
                       lxw_format* format, lxw_format* wrapped);

  std::vector<std::string> titles_;
  TRowSource rows_;
};

}  // namespace zoqa
