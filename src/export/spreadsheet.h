// Spreadsheet export: the lines go to the clipboard and the companies into a worksheet file.
#pragma once

#include <string>
#include <vector>

#include "export/exportlines.h"

namespace zoqa {

// Puts the lines (columns separated by TAB, every line followed by CR LF) on the clipboard and
// writes them as a worksheet file under `fileName` exactly as given, the first line being the
// title row. Returns true; raises when the file cannot be written.
bool ExportSpreadsheet(const std::string& fileName, const std::vector<std::string>& lines);

// Puts `clipboardText` (the lines as ExportSpreadsheet puts them) on the clipboard and writes
// `table` as an .xlsx workbook under `fileName` exactly as given. Returns true; raises when the
// file cannot be written.
bool ExportWorkbook(const std::string& fileName, const std::string& clipboardText,
                    const TExportTable& table);

}  // namespace zoqa
