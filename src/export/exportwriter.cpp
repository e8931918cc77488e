#include "export/exportwriter.h"

#include "export/exportlines.h"
#include "export/outfile.h"
#include "export/spreadsheet.h"

namespace zoqa {

void WriteTextLines(const std::string& fileName, const std::vector<std::string>& lines) {
  TOutFile out(fileName);
  for (const std::string& line : lines) {
    out.Write(line);
    out.Write("\r\n");
  }
  out.Close();
}

bool WriteExportFile(const std::vector<const TComPanyInfo*>& companies, const std::string& fileName,
                     const TExportFields& fields, bool asText) {
  try {
    std::vector<std::string> lines = BuildExportLines(companies, fields, asText);
    if (asText) {
      WriteTextLines(fileName, lines);
    } else {
      ExportSpreadsheet(fileName, lines);
    }
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace zoqa
