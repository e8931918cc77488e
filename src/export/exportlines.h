// Turns companies into export lines: the column titles (when more than one column is chosen),
// then one line per company, or one line per entry when a single list column is chosen.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "export/exportfields.h"
#include "harvest/report/company.h"
#include "store/companycursor.h"

namespace zoqa {

struct TExportSeparators {
  std::string field;  // between the columns
  std::string list;   // between the entries of one list column
};

// Text files: "," and ","; spreadsheets: TAB and ", ".
TExportSeparators SeparatorsFor(bool asText);

// Trims blanks and control characters from both ends, then removes every LF, every CR and
// every `separator`.
std::string CleanValue(std::string_view text, std::string_view separator);

// `text` holds a list's entries, each followed by CR LF. Trims both ends, puts `listSeparator`
// in place of every LF, removes every CR and, when the two separators differ, every
// `separator`.
std::string CleanList(std::string_view text, std::string_view separator,
                      std::string_view listSeparator);

// The cells of an export: the titles (only when more than one column is chosen) and the rows,
// each of one cell per chosen column, or of one list entry when a single list column is chosen.
// Cells hold the same text as in a spreadsheet's lines, except that the entries of a list cell
// are separated by LF. Rows whose cells are all empty are left out.
struct TExportTable {
  std::vector<std::string> titles;
  std::vector<std::vector<std::string>> rows;
};

struct TExportColumn;

// The rows of an export built one company at a time, in the form of the lines (asText and
// spreadsheet separators) or of the table's cells.
class TExportRows {
 public:
  TExportRows(const TExportFields& fields, TExportSeparators separators);
  // Lines: for text or spreadsheet lines. Cells: the table's form.
  static TExportRows Lines(const TExportFields& fields, bool asText);
  static TExportRows Cells(const TExportFields& fields);

  // The column titles (code page 936), empty with a single column.
  std::vector<std::string> Titles() const;
  // Calls `add` with the cells of each row `company` gives.
  void Rows(const TCompany& company,
            const std::function<void(std::vector<std::string>&& cells)>& add) const;
  // The parts of a record the rows are made of (TCompanyPart).
  unsigned Parts() const;
  // The cells as one line: an empty value adds no separator while the line is still empty.
  std::string Join(const std::vector<std::string>& cells) const;

 private:
  std::vector<const TExportColumn*> columns_;
  TExportSeparators separators_;
};

TExportTable BuildExportTable(const std::vector<const TCompany*>& companies,
                              const TExportFields& fields);

// The lines of an export of `companies` (code page 936 text; null entries are skipped).
std::vector<std::string> BuildExportLines(const std::vector<const TCompany*>& companies,
                                          const TExportFields& fields, bool asText);

}  // namespace zoqa
