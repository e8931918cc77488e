#include "export/xlsxworkbook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "export/stagedfile.h"
#include "export/xlsxcheck.h"
#include "util/codepage.h"

namespace zoqa {

namespace {

constexpr double kLineHeight = 15;     // points; the default row height holds one line
constexpr double kMaxRowHeight = 409;  // points; the tallest row a sheet allows
constexpr double kWidthMargin = 2;     // characters beside the longest line
const char kAllCells[] = "A1:XFD1048576";
constexpr uint8_t kTextFormat = 49;  // the built-in number format "@" (text)

void Check(lxw_error error) {
  if (error != LXW_NO_ERROR) {
    throw std::runtime_error(std::string("cannot write the workbook: ") + lxw_strerror(error));
  }
}

lxw_format* NewFormat(lxw_workbook* workbook) {
  lxw_format* format = workbook_add_format(workbook);
  if (!format) throw std::runtime_error("cannot write the workbook: no memory");
  format_set_num_format_index(format, kTextFormat);  // what is typed in later stays text too
  format_set_align(format, LXW_ALIGN_VERTICAL_TOP);
  return format;
}

std::size_t LineCount(const std::string& text) {
  return 1 + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Bytes of the longest line; in code page 936 a double-byte character is about two characters
// wide, so bytes measure the width.
std::size_t LongestLine(const std::string& text) {
  std::size_t longest = 0;
  for (std::size_t start = 0;;) {
    std::size_t end = text.find('\n', start);
    longest = std::max(longest, (end == std::string::npos ? text.size() : end) - start);
    if (end == std::string::npos) return longest;
    start = end + 1;
  }
}

}  // namespace

namespace {

// The longest line of every column seen so far.
class TColumnMeasure {
 public:
  void Add(const std::vector<std::string>& cells) {
    if (longest_.size() < cells.size()) longest_.resize(cells.size());
    for (std::size_t col = 0; col < cells.size(); ++col) {
      longest_[col] = std::max(longest_[col], LongestLine(cells[col]));
    }
  }
  std::vector<double> Widths() const {
    std::vector<double> widths;
    for (std::size_t chars : longest_) {
      widths.push_back(std::clamp(static_cast<double>(chars) + kWidthMargin,
                                  TXlsxWorkbook::kMinColumnWidth, TXlsxWorkbook::kMaxColumnWidth));
    }
    return widths;
  }

 private:
  std::vector<std::size_t> longest_;
};

}  // namespace

TXlsxWorkbook::TXlsxWorkbook(const TExportTable& table)
    : titles_(table.titles), rows_([&table](const TRowVisitor& each) {
        for (const auto& cells : table.rows) {
          if (!each(cells)) return;
        }
      }) {}

TXlsxWorkbook::TXlsxWorkbook(std::vector<std::string> titles, TRowSource rows)
    : titles_(std::move(titles)), rows_(std::move(rows)) {}

void TXlsxWorkbook::SaveToFile(const std::string& fileName) {
  TStagedFile staged(fileName);
  // Rows go to a temporary file as they are written, so memory stays flat however many there
  // are; the sheet is then written as the rows came.
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  lxw_workbook* workbook = workbook_new_opt(staged.Path().c_str(), &options);
  if (!workbook) throw std::runtime_error("cannot create the workbook " + fileName);
  TWritten written;
  try {
    written = WriteSheet(workbook);
  } catch (...) {
    lxw_workbook_free(workbook);
    throw;
  }
  Check(workbook_close(workbook));
  if (std::filesystem::is_regular_file(staged.Path())) {
    CheckWorkbookFile(staged.Path(), written.filled);
  }
  staged.Commit();
}

// The column widths are set after the rows, once they are measured: the sheet's columns are
// written before its rows only when the workbook is closed.
TXlsxWorkbook::TWritten TXlsxWorkbook::WriteSheet(lxw_workbook* workbook) {
  lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
  if (!sheet) throw std::runtime_error("cannot start the workbook's sheet");
  TFormats formats = AddFormats(workbook);
  Check(worksheet_ignore_errors(sheet, LXW_IGNORE_NUMBER_STORED_AS_TEXT, kAllCells));
  TColumnMeasure measure;
  TWritten written;
  if (!titles_.empty()) {
    worksheet_freeze_panes(sheet, 1, 0);
    measure.Add(titles_);
    written.filled += WriteRow(sheet, written.rows++, titles_, formats.title, formats.title);
  }
  bool tooMany = false;
  rows_([&](const std::vector<std::string>& cells) {
    if (written.rows >= kMaxRows) return !(tooMany = true);
    measure.Add(cells);
    written.filled += WriteRow(sheet, written.rows++, cells, formats.text, formats.wrapped);
    return true;
  });
  if (tooMany) throw std::runtime_error("too many rows for a workbook");
  if (written.rows == 0) throw std::runtime_error("no rows to write as a workbook");
  std::vector<double> widths = measure.Widths();
  for (std::size_t col = 0; col < widths.size(); ++col) {
    auto c = static_cast<lxw_col_t>(col);
    Check(worksheet_set_column(sheet, c, c, widths[col], formats.text));
  }
  return written;
}

TXlsxWorkbook::TFormats TXlsxWorkbook::AddFormats(lxw_workbook* workbook) {
  TFormats formats{NewFormat(workbook), NewFormat(workbook), NewFormat(workbook)};
  format_set_bold(formats.title);
  format_set_text_wrap(formats.wrapped);
  return formats;
}

bool TXlsxWorkbook::WriteRow(lxw_worksheet* sheet, std::size_t row,
                             const std::vector<std::string>& cells, lxw_format* format,
                             lxw_format* wrapped) {
  const auto r = static_cast<lxw_row_t>(row);
  std::size_t lines = 1;
  for (const std::string& cell : cells) lines = std::max(lines, LineCount(cell));
  if (lines > 1) {
    double height = std::min(kMaxRowHeight, kLineHeight * static_cast<double>(lines));
    Check(worksheet_set_row(sheet, r, height, nullptr));
  }
  bool filled = false;
  for (std::size_t col = 0; col < cells.size(); ++col) {
    const std::string& cell = cells[col];
    if (cell.empty()) continue;
    lxw_format* f = cell.find('\n') == std::string::npos ? format : wrapped;
    Check(worksheet_write_string(sheet, r, static_cast<lxw_col_t>(col), CellText(cell).c_str(), f));
    filled = true;
  }
  return filled;
}

std::vector<double> TXlsxWorkbook::ColumnWidths(const TExportTable& table) {
  TColumnMeasure measure;
  measure.Add(table.titles);
  for (const auto& cells : table.rows) measure.Add(cells);
  return measure.Widths();
}

std::string TXlsxWorkbook::CellText(const std::string& cp936) {
  std::string text = Cp936ToUtf8(cp936);
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // inside a character
    if (++chars > kMaxCellChars) {
      text.resize(i);
      break;
    }
  }
  return text;
}

}  // namespace zoqa
