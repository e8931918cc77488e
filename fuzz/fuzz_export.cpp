// Export lines and the worksheet writer over arbitrary field contents. The input makes a few
// companies and picks the columns and the format; the lines are checked for their shape, and
// the worksheet is written, read back and compared cell by cell with the lines.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "export/biffreader.h"
#include "export/biffworkbook.h"
#include "export/exportlines.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::vector<std::string> List(FuzzedDataProvider& in) {
  std::vector<std::string> list(in.ConsumeIntegralInRange<int>(0, 3));
  for (auto& entry : list) entry = in.ConsumeRandomLengthString(40);
  return list;
}

zoqa::TCompany Company(FuzzedDataProvider& in) {
  zoqa::TCompany c;
  c.SetName(in.ConsumeRandomLengthString(60));
  c.Addr = in.ConsumeRandomLengthString(60);
  c.WebUrl = in.ConsumeRandomLengthString(60);
  c.Mobiles = List(in);
  c.QQs = List(in);
  c.Emails = List(in);
  return c;
}

// The cells the worksheet must hold, in writing order: every title, then per data line its
// cells up to the title row's width, each fitted into a LABEL; `titles` counts the first.
std::vector<std::string> ExpectedCells(const std::vector<std::string>& lines, std::size_t& titles) {
  std::vector<std::string> cells;
  std::size_t width = 1;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    auto parts = zoqa::TBiffWorkbook::SplitCells(lines[i], '\t');
    if (i == 0) width = std::max<std::size_t>(parts.size(), 1);
    if (i == 0) titles = parts.size();
    if (i > 0 && parts.size() > width) parts.resize(width);
    for (auto part : parts) cells.emplace_back(zoqa::TBiffWorkbook::FitCell(part));
  }
  return cells;
}

void CheckWorksheet(const std::vector<std::string>& lines) {
  static const std::string file = "/tmp/zoqa-fuzz-export-" + std::to_string(getpid()) + ".xls";
  try {
    zoqa::TBiffWorkbook(lines, '\t').SaveToFile(file, true);
  } catch (const std::runtime_error&) {
    return;  // no text to write, or more rows than the format has
  }
  std::ifstream in(file, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  zoqa::test::TBiffFile sheet = zoqa::test::ReadBiff(bytes);
  Check(sheet.wellFormed);
  std::size_t titles = 0;
  std::vector<std::string> expected = ExpectedCells(lines, titles);
  Check(sheet.cells.size() == expected.size());
  for (std::size_t i = 0; i < sheet.cells.size(); ++i) {
    Check(sheet.cells[i].text == expected[i]);
    Check(sheet.cells[i].blank == (i >= titles && expected[i].empty()));  // titles are LABELs
    if (i > 0) {  // cells go row by row, left to right, never twice to one place
      const auto& a = sheet.cells[i - 1];
      const auto& b = sheet.cells[i];
      Check(a.row < b.row || (a.row == b.row && a.col < b.col));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  zoqa::TExportFields fields;
  fields.company = in.ConsumeBool();
  fields.mobile = in.ConsumeBool();
  fields.qq = in.ConsumeBool();
  fields.email = in.ConsumeBool();
  fields.location = in.ConsumeBool();
  fields.url = in.ConsumeBool();
  const bool asText = in.ConsumeBool();
  std::vector<zoqa::TCompany> companies(in.ConsumeIntegralInRange<int>(0, 4));
  for (auto& company : companies) company = Company(in);
  std::vector<const zoqa::TCompany*> pointers;
  for (const auto& company : companies) pointers.push_back(&company);

  const int columns =
      fields.company + fields.mobile + fields.qq + fields.email + fields.location + fields.url;
  std::vector<std::string> lines = zoqa::BuildExportLines(pointers, fields, asText);
  if (columns > 1) {
    // Several columns: no value may break a line or add a column.
    const std::string separator = asText ? "," : "\t";
    for (const std::string& line : lines) Check(line.find_first_of("\r\n") == std::string::npos);
    if (!asText) {
      for (const std::string& line : lines) {
        Check(zoqa::TBiffWorkbook::SplitCells(line + "\t", '\t').size() <= std::size_t(columns));
      }
    }
  }
  if (!asText) CheckWorksheet(lines);
  return 0;
}
