#include "export/spreadsheet.h"

#include "export/ds2excel.h"
#include "platform/clipboard.h"

namespace zoqa {

namespace {

std::string ClipboardText(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace

bool ExportSpreadsheet(const std::string& fileName, const std::vector<std::string>& lines) {
  Clipboard()->SetText(ClipboardText(lines));
  // The cells are split at the TABs themselves: the values had every TAB removed, while a
  // "|" is ordinary text in them (site titles use it a lot).
  TDS2Excel(lines, '\t').SaveToFile(fileName, true);
  return true;
}

}  // namespace zoqa
