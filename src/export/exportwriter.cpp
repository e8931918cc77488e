#include "export/exportwriter.h"

#include <algorithm>
#include <cctype>

#include "export/exportlines.h"
#include "export/outfile.h"
#include "export/spreadsheet.h"
#include "util/textutil.h"

namespace zoqa {

namespace {

bool EndsWithNoCase(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(), [](char a, char b) {
           return a == std::tolower(static_cast<unsigned char>(b));
         });
}

void WriteFile(const std::vector<const TCompany*>& companies, const std::string& fileName,
               const TExportFields& fields, TExportFormat format) {
  switch (format) {
    case TExportFormat::Text:
      WriteTextLines(fileName, BuildExportLines(companies, fields, true));
      return;
    case TExportFormat::Xls:
      ExportSpreadsheet(fileName, BuildExportLines(companies, fields, false));
      return;
    case TExportFormat::Xlsx: {
      // The lines go before the table is built, so that both are never held at once.
      std::string clipboardText = JoinCrLf(BuildExportLines(companies, fields, false));
      ExportWorkbook(fileName, clipboardText, BuildExportTable(companies, fields));
      return;
    }
  }
}

}  // namespace

void WriteTextLines(const std::string& fileName, const std::vector<std::string>& lines) {
  TOutFile out(fileName);
  for (const std::string& line : lines) {
    out.Write(line);
    out.Write("\r\n");
  }
  out.Close();
}

bool WriteExportFile(const std::vector<const TCompany*>& companies, const std::string& fileName,
                     const TExportFields& fields, TExportFormat format) {
  try {
    WriteFile(companies, fileName, fields, format);
    return true;
  } catch (...) {
    return false;
  }
}

TExportFormat SpreadsheetFormatFor(const std::string& fileName, TExportFormat chosen) {
  if (EndsWithNoCase(fileName, ".xlsx")) return TExportFormat::Xlsx;
  if (EndsWithNoCase(fileName, ".xls")) return TExportFormat::Xls;
  return chosen;
}

}  // namespace zoqa
