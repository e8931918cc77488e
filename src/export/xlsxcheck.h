// Reads a written workbook back to make sure it is whole. The library that writes workbooks
// keeps their parts in temporary files and does not notice when those cannot be written (a
// full disk): it then reports success for a truncated workbook.
#pragma once

#include <cstddef>
#include <string>

namespace zoqa {

// Raises unless `fileName` is a consistent zip archive whose every part reads back complete:
// each small part well-formed XML, and the sheet with exactly `rows` rows through to its end.
void CheckWorkbookFile(const std::string& fileName, std::size_t rows);

}  // namespace zoqa
