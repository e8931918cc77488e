#include "export/exportlines.h"

#include <array>
#include <utility>

#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {

// Whether a column holds one value or a list of entries.
enum class TColumnShape { Single, List };

struct TExportColumn {
  const char* title;  // UTF-8
  bool TExportFields::*selected;
  TColumnShape shape;
  std::string (*single)(const TCompany&);
  const std::vector<std::string> TCompany::*list;
  unsigned part;  // the TCompanyPart the column is made of
};

namespace {

// Every occurrence of `what` in `text` that starts on a character boundary replaced by `with`.
void ReplaceEvery(std::string& text, std::string_view what, std::string_view with) {
  if (what.empty() || text.find(what) == std::string::npos) return;  // the usual case
  text = ReplaceText(text, what, with, false);
}

// Whether every occurrence of `separator` in a code page 936 text is a character of its own:
// a single byte below 0x40, which no double-byte character holds, and neither CR nor LF.
bool StandsAlone(std::string_view separator) {
  return separator.size() == 1 && static_cast<unsigned char>(separator[0]) < 0x40 &&
         separator[0] != '\r' && separator[0] != '\n';
}

// `text` trimmed, in one pass: every LF replaced by `lineBreak`, every CR dropped and, unless
// `drop` is empty, every `drop` byte dropped. Only for a `drop` that StandsAlone and that
// `lineBreak` does not hold: the result is then what the edits one after the other give.
std::string CleanInOnePass(std::string_view text, std::string_view lineBreak,
                           std::string_view drop) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  const char dropped = drop.empty() ? '\r' : drop[0];
  std::string value;
  value.reserve(text.size());
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\n' && c != '\r' && c != dropped) continue;
    value.append(text.substr(start, i - start));
    if (c == '\n') value.append(lineBreak);
    start = i + 1;
  }
  value.append(text.substr(start));
  return value;
}

// The exportable columns in their fixed order.
const std::array<TExportColumn, 7>& Columns() {
  static const std::array<TExportColumn, 7> columns = {{
      {"公司名", &TExportFields::company, TColumnShape::Single,
       [](const TCompany& c) { return c.GetName(); }, nullptr, kPartName},
      {"手机", &TExportFields::mobile, TColumnShape::List, nullptr, &TCompany::Mobiles,
       kPartMobiles},
      {"电话", &TExportFields::tel, TColumnShape::List, nullptr, &TCompany::Tels, kPartTels},
      {"QQ", &TExportFields::qq, TColumnShape::List, nullptr, &TCompany::QQs, kPartQQs},
      {"邮箱", &TExportFields::email, TColumnShape::List, nullptr, &TCompany::Emails, kPartEmails},
      {"地址", &TExportFields::location, TColumnShape::Single,
       [](const TCompany& c) { return c.Addr; }, nullptr, kPartAddr},
      {"网址", &TExportFields::url, TColumnShape::Single,
       [](const TCompany& c) { return c.WebUrl; }, nullptr, kPartUrl},
  }};
  return columns;
}

std::vector<const TExportColumn*> SelectedColumns(const TExportFields& fields) {
  std::vector<const TExportColumn*> selected;
  for (const TExportColumn& column : Columns()) {
    if (fields.*column.selected) selected.push_back(&column);
  }
  return selected;
}

std::vector<std::string> Titles(const std::vector<const TExportColumn*>& columns) {
  std::vector<std::string> titles;
  if (columns.size() > 1) {
    for (const TExportColumn* column : columns) titles.push_back(Cp936(column->title));
  }
  return titles;
}

// Calls `add` with the cells of each row a company gives: one cell per column, or with a single
// list column one row per entry. A row whose cells are all empty is left out.
template <typename AddRow>
void AddCompanyRows(const TCompany& company, const std::vector<const TExportColumn*>& columns,
                    const TExportSeparators& seps, AddRow add) {
  if (columns.size() == 1 && columns.front()->shape == TColumnShape::List) {
    for (const std::string& entry : company.*columns.front()->list) add({entry});
    return;
  }
  std::vector<std::string> cells;
  cells.reserve(columns.size());
  bool empty = true;
  for (const TExportColumn* column : columns) {
    if (column->shape == TColumnShape::Single) {
      cells.push_back(CleanValue(column->single(company), seps.field));
    } else {
      cells.push_back(CleanList(JoinCrLf(company.*column->list), seps.field, seps.list));
    }
    empty = empty && cells.back().empty();
  }
  if (!empty) add(std::move(cells));
}

template <typename AddRow>
void ForEachRow(const std::vector<const TCompany*>& companies,
                const std::vector<const TExportColumn*>& columns, const TExportSeparators& seps,
                AddRow add) {
  for (const TCompany* company : companies) {
    if (company) AddCompanyRows(*company, columns, seps, add);
  }
}

// The cells joined into one line. An empty value adds no separator while the line is still
// empty, so a line that starts with empty values starts with the first non-empty one.
std::string JoinCells(const std::vector<std::string>& cells, const std::string& separator) {
  std::string line;
  for (const std::string& cell : cells) AppendText(line, cell, separator);
  return line;
}

}  // namespace

TExportSeparators SeparatorsFor(bool asText) {
  return asText ? TExportSeparators{",", ","} : TExportSeparators{"\t", ", "};
}

std::string CleanValue(std::string_view text, std::string_view separator) {
  if (StandsAlone(separator)) return CleanInOnePass(text, "", separator);
  std::string value = Trim(text);
  ReplaceEvery(value, "\n", "");
  ReplaceEvery(value, "\r", "");
  ReplaceEvery(value, separator, "");
  return value;
}

std::string CleanList(std::string_view text, std::string_view separator,
                      std::string_view listSeparator) {
  if (StandsAlone(separator)) {
    if (separator == listSeparator) return CleanInOnePass(text, listSeparator, "");
    if (listSeparator.find(separator) == std::string_view::npos) {
      return CleanInOnePass(text, listSeparator, separator);
    }
  }
  std::string value = Trim(text);
  ReplaceEvery(value, "\n", listSeparator);
  ReplaceEvery(value, "\r", "");
  if (separator != listSeparator) ReplaceEvery(value, separator, "");
  return value;
}

TExportRows::TExportRows(const TExportFields& fields, TExportSeparators separators)
    : columns_(SelectedColumns(fields)), separators_(std::move(separators)) {}

TExportRows TExportRows::Lines(const TExportFields& fields, bool asText) {
  return TExportRows(fields, SeparatorsFor(asText));
}

TExportRows TExportRows::Cells(const TExportFields& fields) {
  return TExportRows(fields, TExportSeparators{"\t", "\n"});
}

std::vector<std::string> TExportRows::Titles() const {
  return zoqa::Titles(columns_);
}

void TExportRows::Rows(const TCompany& company,
                       const std::function<void(std::vector<std::string>&&)>& add) const {
  AddCompanyRows(company, columns_, separators_, add);
}

unsigned TExportRows::Parts() const {
  unsigned parts = 0;
  for (const TExportColumn* column : columns_) parts |= column->part;
  return parts;
}

std::string TExportRows::Join(const std::vector<std::string>& cells) const {
  return JoinCells(cells, separators_.field);
}

std::vector<std::string> BuildExportLines(const std::vector<const TCompany*>& companies,
                                          const TExportFields& fields, bool asText) {
  const TExportSeparators seps = SeparatorsFor(asText);
  const std::vector<const TExportColumn*> columns = SelectedColumns(fields);
  std::vector<std::string> lines;
  lines.reserve(companies.size() + 1);
  std::vector<std::string> titles = Titles(columns);
  if (!titles.empty()) lines.push_back(JoinCells(titles, seps.field));
  ForEachRow(companies, columns, seps, [&](std::vector<std::string>&& cells) {
    lines.push_back(JoinCells(cells, seps.field));
  });
  return lines;
}

TExportTable BuildExportTable(const std::vector<const TCompany*>& companies,
                              const TExportFields& fields) {
  const TExportSeparators seps{"\t", "\n"};
  const std::vector<const TExportColumn*> columns = SelectedColumns(fields);
  TExportTable table;
  table.titles = Titles(columns);
  table.rows.reserve(companies.size());
  ForEachRow(companies, columns, seps,
             [&](std::vector<std::string>&& cells) { table.rows.push_back(std::move(cells)); });
  return table;
}

}  // namespace zoqa
