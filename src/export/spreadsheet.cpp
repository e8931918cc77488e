#include "export/spreadsheet.h"

#include "export/biffworkbook.h"
#include "export/xlsxworkbook.h"
#include "platform/clipboard.h"
#include "util/textutil.h"

namespace zoqa {

bool ExportSpreadsheet(const std::string& fileName, const std::vector<std::string>& lines) {
  Clipboard()->SetText(JoinCrLf(lines));
  // The cells are split at the TABs themselves: the values had every TAB removed, while a
  // "|" is ordinary text in them (site titles use it a lot).
  TBiffWorkbook(lines, '\t').SaveToFile(fileName, true);
  return true;
}

bool ExportWorkbook(const std::string& fileName, const std::string& clipboardText,
                    const TExportTable& table) {
  Clipboard()->SetText(clipboardText);
  TXlsxWorkbook(table).SaveToFile(fileName);
  return true;
}

}  // namespace zoqa
