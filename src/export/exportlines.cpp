#include "export/exportlines.h"

#include <array>
#include <utility>

#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {

namespace {

// Every occurrence of `what` in `text` that starts on a character boundary replaced by `with`.
void ReplaceEvery(std::string& text, std::string_view what, std::string_view with) {
  if (what.empty() || text.find(what) == std::string::npos) return;  // the usual case
  text = ReplaceText(text, what, with, false);
}

// Whether a column holds one value or a list of entries.
enum class TColumnShape { Single, List };

struct TColumn {
  const char* title;  // UTF-8
  bool TExportFields::*selected;
  TColumnShape shape;
  std::string (*single)(const TComPanyInfo&);
  const std::vector<std::string> TComPanyInfo::*list;
};

// The exportable columns in their fixed order.
const std::array<TColumn, 6>& Columns() {
  static const std::array<TColumn, 6> columns = {{
      {"公司名", &TExportFields::company, TColumnShape::Single,
       [](const TComPanyInfo& c) { return c.GetName(); }, nullptr},
      {"手机", &TExportFields::mobile, TColumnShape::List, nullptr, &TComPanyInfo::Mobiles},
      {"QQ", &TExportFields::qq, TColumnShape::List, nullptr, &TComPanyInfo::QQs},
      {"邮箱", &TExportFields::email, TColumnShape::List, nullptr, &TComPanyInfo::Emails},
      {"地址", &TExportFields::location, TColumnShape::Single,
       [](const TComPanyInfo& c) { return c.Addr; }, nullptr},
      {"网址", &TExportFields::url, TColumnShape::Single,
       [](const TComPanyInfo& c) { return c.WebUrl; }, nullptr},
  }};
  return columns;
}

std::vector<const TColumn*> SelectedColumns(const TExportFields& fields) {
  std::vector<const TColumn*> selected;
  for (const TColumn& column : Columns()) {
    if (fields.*column.selected) selected.push_back(&column);
  }
  return selected;
}

std::string HeaderLine(const std::vector<const TColumn*>& columns, const std::string& sep) {
  std::string header;
  for (const TColumn* column : columns) AppendText(header, Cp936(column->title), sep);
  return header;
}

// Adds the company's line, or with a single list column one line per entry.
void AddCompanyLines(const TComPanyInfo& company, const std::vector<const TColumn*>& columns,
                     const TExportSeparators& seps, std::vector<std::string>& lines) {
  std::string line;
  for (const TColumn* column : columns) {
    if (column->shape == TColumnShape::Single) {
      AppendText(line, CleanValue(column->single(company), seps.field), seps.field);
    } else if (columns.size() <= 1) {
      const auto& entries = company.*column->list;
      lines.insert(lines.end(), entries.begin(), entries.end());
    } else {
      std::string text = JoinCrLf(company.*column->list);
      AppendText(line, CleanList(text, seps.field, seps.list), seps.field);
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
}

}  // namespace

TExportSeparators SeparatorsFor(bool asText) {
  return asText ? TExportSeparators{",", ","} : TExportSeparators{"\t", ", "};
}

std::string CleanValue(std::string_view text, std::string_view separator) {
  std::string value = Trim(text);
  ReplaceEvery(value, "\n", "");
  ReplaceEvery(value, "\r", "");
  ReplaceEvery(value, separator, "");
  return value;
}

std::string CleanList(std::string_view text, std::string_view separator,
                      std::string_view listSeparator) {
  std::string value = Trim(text);
  ReplaceEvery(value, "\n", listSeparator);
  ReplaceEvery(value, "\r", "");
  if (separator != listSeparator) ReplaceEvery(value, separator, "");
  return value;
}

std::vector<std::string> BuildExportLines(const std::vector<const TComPanyInfo*>& companies,
                                          const TExportFields& fields, bool asText) {
  const TExportSeparators seps = SeparatorsFor(asText);
  const std::vector<const TColumn*> columns = SelectedColumns(fields);
  std::vector<std::string> lines;
  lines.reserve(companies.size() + 1);
  if (columns.size() > 1) lines.push_back(HeaderLine(columns, seps.field));
  for (const TComPanyInfo* company : companies) {
    if (company) AddCompanyLines(*company, columns, seps, lines);
  }
  return lines;
}

}  // namespace zoqa
