#include "export/biffworkbook.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "export/outfile.h"
#include "util/codepage.h"

namespace zoqa {

namespace {

constexpr unsigned kRecordBof = 0x0809;
constexpr unsigned kRecordLabel = 0x0204;
constexpr unsigned kRecordBlank = 0x0201;
constexpr unsigned kRecordEof = 0x000A;
constexpr unsigned kRecordCodePage = 0x0042;
constexpr unsigned kCodePage936 = 936;
constexpr unsigned kDocWorksheet = 0x0010;  // BOF document type of a worksheet
constexpr unsigned kBlankFormat = 0x0017;   // format index of an empty cell

}  // namespace

TBiffWorkbook::TBiffWorkbook(const std::vector<std::string>& lines, char cellSeparator)
    : lines_([&lines](const TLineVisitor& each) {
        for (const std::string& line : lines) {
          if (!each(line)) return;
        }
      }),
      separator_(cellSeparator) {}

TBiffWorkbook::TBiffWorkbook(TLineSource lines, char cellSeparator)
    : lines_(std::move(lines)), separator_(cellSeparator) {}

std::vector<std::string_view> TBiffWorkbook::SplitCells(std::string_view line, char separator) {
  std::vector<std::string_view> cells;
  std::size_t start = 0;
  for (std::size_t i = 0; i < line.size(); i += CharLength(line, i)) {
    if (line[i] != separator) continue;
    cells.push_back(line.substr(start, i - start));
    start = i + 1;
  }
  if (start < line.size()) cells.push_back(line.substr(start));
  return cells;
}

std::string_view TBiffWorkbook::FitCell(std::string_view text) {
  if (text.size() <= kMaxCellBytes) return text;
  std::size_t end = 0;
  while (end + CharLength(text, end) <= kMaxCellBytes) end += CharLength(text, end);
  return text.substr(0, end);
}

void TBiffWorkbook::SaveToFile(const std::string& fileName, bool hasTitleRow) {
  hasTitleRow_ = hasTitleRow;
  std::string first;
  bool any = false;
  lines_([&](std::string_view line) {
    first = line;
    any = true;
    return false;
  });
  const bool takeTitles = hasTitleRow_ && any;
  std::vector<std::string_view> titles;
  if (takeTitles) titles = SplitCells(first, separator_);
  CheckSize(takeTitles, titles);

  TOutFile out(fileName);
  stream_ = &out;
  col_ = 0;
  row_ = 0;
  lastColumn_ = 0;
  WriteBof();
  WriteCodePage();
  if (takeTitles) WriteTitleRow(titles);
  bool skip = takeTitles;
  lines_([&](std::string_view line) {
    if (!std::exchange(skip, false)) WriteDataLine(line);
    return true;
  });
  WriteEof();
  stream_ = nullptr;
  out.Close();
}

// The file would hold no cell, or need more rows or columns than the format can number:
// fail rather than write a sheet without data, cells over earlier ones, or drop them unnoticed.
// The count stops as soon as the rows are too many.
void TBiffWorkbook::CheckSize(bool takeTitles, const std::vector<std::string_view>& titles) const {
  bool any = false;
  std::size_t rows = titles.empty() ? 0 : 1;
  bool skip = takeTitles;
  lines_([&](std::string_view line) {
    any = any || !line.empty();
    if (!std::exchange(skip, false) && !line.empty()) ++rows;  // one row per non-empty line
    return rows <= kMaxRows;
  });
  if (!any) throw std::runtime_error("no lines to write as a worksheet");
  if (titles.size() > kMaxColumns) throw std::runtime_error("too many columns for a worksheet");
  if (rows > kMaxRows) throw std::runtime_error("too many rows for a worksheet");
}

void TBiffWorkbook::WriteTitleRow(const std::vector<std::string_view>& titles) {
  // An empty title line still leaves one column, so that the data lines are written.
  lastColumn_ = std::max<std::int32_t>(static_cast<std::int32_t>(titles.size()) - 1, 0);
  for (std::string_view title : titles) {
    WriteLabel(title);
    Advance();
  }
}

void TBiffWorkbook::WriteDataLine(std::string_view line) {
  if (line.empty()) return;
  std::vector<std::string_view> cells = SplitCells(line, separator_);
  const std::size_t width = static_cast<std::size_t>(lastColumn_) + 1;
  const std::size_t count = std::min(cells.size(), width);
  for (std::size_t j = 0; j < count; ++j) {
    if (cells[j].empty()) {
      WriteBlank();
    } else {
      WriteLabel(cells[j]);
    }
    Advance();
  }
  if (count < width) {
    row_ = static_cast<std::uint16_t>(row_ + 1);
    col_ = 0;
  }
}

void TBiffWorkbook::Advance() {
  if (col_ == lastColumn_) {
    row_ = static_cast<std::uint16_t>(row_ + 1);
    col_ = 0;
  } else {
    col_ = static_cast<std::uint16_t>(col_ + 1);
  }
}

void TBiffWorkbook::WriteBof() {
  for (unsigned v : {kRecordBof, 8u, 0u, kDocWorksheet, 0u, 0u}) stream_->WriteUInt16(v);
}

// Names the code page of the LABEL texts. Without it a reader falls back to its own default
// code page, which outside a Chinese system turns every Chinese text into garbage.
void TBiffWorkbook::WriteCodePage() {
  for (unsigned v : {kRecordCodePage, 2u, kCodePage936}) stream_->WriteUInt16(v);
}

void TBiffWorkbook::WriteLabel(std::string_view text) {
  text = FitCell(text);
  const auto n = static_cast<unsigned>(text.size());
  for (unsigned v : {kRecordLabel, n + 8, unsigned(row_), unsigned(col_), 0u, n}) {
    stream_->WriteUInt16(v);
  }
  stream_->Write(text);
}

void TBiffWorkbook::WriteBlank() {
  for (unsigned v : {kRecordBlank, 6u, unsigned(row_), unsigned(col_), kBlankFormat}) {
    stream_->WriteUInt16(v);
  }
}

void TBiffWorkbook::WriteEof() {
  stream_->WriteUInt16(kRecordEof);
  stream_->WriteUInt16(0);
}

}  // namespace zoqa
