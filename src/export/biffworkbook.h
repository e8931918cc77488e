// Writes text lines as a minimal worksheet file in the BIFF record format: one BOF record,
// one CODEPAGE record naming code page 936, one LABEL (text) or BLANK (empty) record per
// cell, row by row, and one EOF record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zoqa {

class TOutFile;

class TBiffWorkbook {
 public:
  // The longest cell text a LABEL record can hold (its length field counts 8 more bytes).
  static constexpr std::size_t kMaxCellBytes = 65527;
  // Rows are numbered 0 to 65535 and columns 0 to 255 in the format.
  static constexpr std::size_t kMaxRows = 65536;
  static constexpr std::size_t kMaxColumns = 256;

  // Calls the visitor with every line in order until it returns false. A source is run once
  // to check the lines and once more to write them, so that no line needs to be kept.
  using TLineVisitor = std::function<bool(std::string_view line)>;
  using TLineSource = std::function<void(const TLineVisitor& each)>;

  // Keeps a reference to `lines`, whose cells are separated by `cellSeparator`.
  explicit TBiffWorkbook(const std::vector<std::string>& lines, char cellSeparator = '|');
  // Reads the lines from `lines` (which must give the same lines each time it runs).
  TBiffWorkbook(TLineSource lines, char cellSeparator);

  // Writes the lines to `fileName`, replacing an existing file. With `hasTitleRow` the first
  // line gives the column titles and the number of columns of every row. Raises when the file
  // cannot be written (nothing is left behind then, and an existing file is kept) and, before
  // touching the file, when no line holds any text or the lines need more rows or columns than
  // the format has.
  void SaveToFile(const std::string& fileName, bool hasTitleRow);

  // Every separator ends a cell; an empty part after the last separator is not a cell.
  // Separators are only found where a character starts.
  static std::vector<std::string_view> SplitCells(std::string_view line, char separator);

  // `text` cut to kMaxCellBytes without splitting a double-byte character.
  static std::string_view FitCell(std::string_view text);

 private:
  void CheckSize(bool takeTitles, const std::vector<std::string_view>& titles) const;
  void WriteTitleRow(const std::vector<std::string_view>& titles);
  void WriteDataLine(std::string_view line);
  void WriteBof();
  void WriteCodePage();
  void WriteLabel(std::string_view text);
  void WriteBlank();
  void WriteEof();
  void Advance();

  std::uint16_t col_ = 0;  // column of the next cell
  std::uint16_t row_ = 0;  // row of the next cell
  TLineSource lines_;
  TOutFile* stream_ = nullptr;  // open during SaveToFile
  bool hasTitleRow_ = false;
  std::int32_t lastColumn_ = 0;  // taken from the title row
  char separator_;
};

}  // namespace zoqa
