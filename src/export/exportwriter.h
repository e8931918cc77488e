// Writing a keyword's companies to an export file.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "export/exportfields.h"
#include "harvest/report/company.h"
#include "store/companycursor.h"

namespace zoqa {

// Opens a new cursor over the companies to export, from the first row. Text and .xlsx exports
// read them once, a .xls export in several passes; a spreadsheet export once more when its
// lines are wanted on the clipboard.
using TCompanyOpener = std::function<std::unique_ptr<TCompanyCursor>()>;

// Builds the lines (header rule, one-list-column rule, CleanValue/CleanList, separators of the
// format) and writes them as the companies come: text = code page 936 bytes, each line +
// CR LF, no BOM; .xls = the lines on the clipboard and a BIFF worksheet; .xlsx = the lines on
// the clipboard and a workbook. An existing file is replaced only by a complete new one.
// Returns false when anything raises while reading, building or writing. fileName is a
// file-system (UTF-8) path.
bool WriteExportFile(const TCompanyOpener& open, const std::string& fileName,
                     const TExportFields& fields, TExportFormat format);
// The same for companies in memory (null entries are skipped).
bool WriteExportFile(const std::vector<const TCompany*>& companies, const std::string& fileName,
                     const TExportFields& fields, TExportFormat format);

// Writes the lines to `fileName`, each followed by CR LF, replacing an existing file; raises
// on failure and then leaves no file behind.
void WriteTextLines(const std::string& fileName, const std::vector<std::string>& lines);

// The spreadsheet format a file name asks for: its extension ".xlsx" or ".xls" (any letter
// case) when it has one of them, else `chosen`.
TExportFormat SpreadsheetFormatFor(const std::string& fileName, TExportFormat chosen);

}  // namespace zoqa
