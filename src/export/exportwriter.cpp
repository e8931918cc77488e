#include "export/exportwriter.h"

#include <algorithm>
#include <cctype>

#include "export/biffworkbook.h"
#include "export/exportlines.h"
#include "export/outfile.h"
#include "export/xlsxworkbook.h"
#include "platform/clipboard.h"
#include "util/textutil.h"

namespace zoqa {

namespace {

bool EndsWithNoCase(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(), [](char a, char b) {
           return a == std::tolower(static_cast<unsigned char>(b));
         });
}

// Companies held in memory, handed out one by one.
class TListCursor : public TCompanyCursor {
 public:
  explicit TListCursor(const std::vector<const TCompany*>& companies) : companies_(companies) {}
  bool Next(TCompany& company) override {
    while (next_ < companies_.size()) {
      const TCompany* found = companies_[next_++];
      if (found == nullptr) continue;
      company = *found;
      return true;
    }
    return false;
  }

 private:
  const std::vector<const TCompany*>& companies_;
  std::size_t next_ = 0;
};

// Calls `add` with the cells of every row of the export, titles first when there are any,
// until it returns false.
void ForEachRow(const TCompanyOpener& open, const TExportRows& rows,
                const std::function<bool(std::vector<std::string>&&)>& add) {
  std::vector<std::string> titles = rows.Titles();
  if (!titles.empty() && !add(std::move(titles))) return;
  auto cursor = open();
  cursor->Only(rows.Parts());
  bool more = true;
  for (TCompany company; more && cursor->Next(company);) {
    rows.Rows(company, [&](std::vector<std::string>&& cells) {
      if (more) more = add(std::move(cells));
    });
  }
}

// The spreadsheet lines (TAB between the columns) on the clipboard, each followed by CR LF.
void PutLinesOnClipboard(const TCompanyOpener& open, const TExportFields& fields) {
  auto clipboard = Clipboard();
  if (!clipboard->Wanted()) return;
  TExportRows lines = TExportRows::Lines(fields, false);
  std::string text;
  ForEachRow(open, lines, [&](std::vector<std::string>&& cells) {
    text += lines.Join(cells);
    text += "\r\n";
    return true;
  });
  clipboard->SetText(text);
}

void WriteText(const TCompanyOpener& open, const std::string& fileName,
               const TExportFields& fields) {
  TExportRows lines = TExportRows::Lines(fields, true);
  TOutFile out(fileName);
  ForEachRow(open, lines, [&](std::vector<std::string>&& cells) {
    out.Write(lines.Join(cells));
    out.Write("\r\n");
    return true;
  });
  out.Close();
}

void WriteXls(const TCompanyOpener& open, const std::string& fileName,
              const TExportFields& fields) {
  PutLinesOnClipboard(open, fields);
  TExportRows lines = TExportRows::Lines(fields, false);
  auto source = [&](const TBiffWorkbook::TLineVisitor& each) {
    ForEachRow(open, lines,
               [&](std::vector<std::string>&& cells) { return each(lines.Join(cells)); });
  };
  // The cells are split at the TABs themselves: the values had every TAB removed, while a
  // "|" is ordinary text in them (site titles use it a lot).
  TBiffWorkbook(source, '\t').SaveToFile(fileName, true);
}

void WriteXlsx(const TCompanyOpener& open, const std::string& fileName,
               const TExportFields& fields) {
  PutLinesOnClipboard(open, fields);
  TExportRows cells = TExportRows::Cells(fields);
  auto source = [&](const TXlsxWorkbook::TRowVisitor& each) {
    auto cursor = open();
    cursor->Only(cells.Parts());
    bool more = true;
    for (TCompany company; more && cursor->Next(company);) {
      cells.Rows(company, [&](std::vector<std::string>&& row) {
        if (more) more = each(row);
      });
    }
  };
  TXlsxWorkbook(cells.Titles(), source).SaveToFile(fileName);
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

bool WriteExportFile(const TCompanyOpener& open, const std::string& fileName,
                     const TExportFields& fields, TExportFormat format) {
  try {
    switch (format) {
      case TExportFormat::Text:
        WriteText(open, fileName, fields);
        return true;
      case TExportFormat::Xls:
        WriteXls(open, fileName, fields);
        return true;
      case TExportFormat::Xlsx:
        WriteXlsx(open, fileName, fields);
        return true;
    }
    return false;
  } catch (...) {
    return false;
  }
}

bool WriteExportFile(const std::vector<const TCompany*>& companies, const std::string& fileName,
                     const TExportFields& fields, TExportFormat format) {
  return WriteExportFile([&] { return std::make_unique<TListCursor>(companies); }, fileName, fields,
                         format);
}

TExportFormat SpreadsheetFormatFor(const std::string& fileName, TExportFormat chosen) {
  if (EndsWithNoCase(fileName, ".xlsx")) return TExportFormat::Xlsx;
  if (EndsWithNoCase(fileName, ".xls")) return TExportFormat::Xls;
  return chosen;
}

}  // namespace zoqa
