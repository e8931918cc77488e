// Spreadsheet export: the lines go to the clipboard and into a worksheet file.
#pragma once

#include <string>
#include <vector>

namespace zoqa {

// Puts the lines (columns separated by TAB, every line followed by CR LF) on the clipboard and
// writes them as a worksheet file under `fileName` exactly as given, the first line being the
// title row. Returns true; raises when the file cannot be written.
bool ExportSpreadsheet(const std::string& fileName, const std::vector<std::string>& lines);

}  // namespace zoqa
