#include "export/xlsxworkbook.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "export/exportwriter.h"
#include "support/testsupport.h"
#include "util/codepage.h"
#include "xlsxreader.h"

namespace zoqa {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using test::TXlsxCell;

std::vector<const TCompany*> Pointers(const std::vector<TCompany>& companies) {
  std::vector<const TCompany*> pointers;
  for (const TCompany& c : companies) pointers.push_back(&c);
  return pointers;
}

std::vector<TCompany> Numbered(std::size_t count) {
  std::vector<TCompany> companies(count);
  for (std::size_t i = 0; i < count; ++i) {
    companies[i].SetName(Cp936("公司") + std::to_string(i));
    companies[i].AddMobile(std::to_string(13800000000 + i));
    companies[i].AddQQ(std::to_string(100000 + i));
    companies[i].WebUrl = "http://c" + std::to_string(i) + ".cn/";
  }
  return companies;
}

// Limits the size of every file the process writes, as a nearly full disk would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // a failed write instead of a killed process
    rlimit limit{bytes, saved_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit saved_{};
  void (*oldHandler_)(int);
};

TEST(XlsxWorkbookTest, CellsAreTextWithBoldFrozenTitlesAndWrappedLists) {
  TCompany a, b;
  a.SetName(Cp936("广州电子有限公司|官网"));
  a.AddMobile("13800000001");
  a.AddMobile("13800000002");
  a.AddQQ("0010001");
  b.AddMobile("13900000000");
  b.WebUrl = "http://b.cn/";
  TExportFields fields{true, true, true, false, false, true};
  test::TempDir dir;
  const std::string file = dir.File(Cp936ToUtf8(Cp936("导出.xlsx")));
  ASSERT_TRUE(WriteExportFile({&a, &b}, file, fields, TExportFormat::Xlsx));

  test::TXlsxSheet sheet = test::ReadXlsx(file);
  // An empty name leaves its cell empty instead of moving the next value into its column.
  EXPECT_EQ(test::Texts(sheet),
            (Rows{{"公司名", "手机", "QQ", "网址"},
                  {"广州电子有限公司|官网", "13800000001\n13800000002", "0010001"},
                  {"", "13900000000", "", "http://b.cn/"}}));
  EXPECT_TRUE(sheet.allText);
  EXPECT_EQ(sheet.frozenRows, 1);
  EXPECT_EQ(sheet.rows[0][1], (TXlsxCell{"手机", true, false}));
  EXPECT_EQ(sheet.rows[1][1], (TXlsxCell{"13800000001\n13800000002", false, true}));
  EXPECT_EQ(sheet.rows[1][2], (TXlsxCell{"0010001", false, false}));

  // A single list column gives a row per entry; an empty entry is an empty row, as in text.
  a.Mobiles = {"13800000001", "", "13800000002"};
  ASSERT_TRUE(WriteExportFile({&a}, file, TExportFields{false, false, true}, TExportFormat::Xlsx));
  EXPECT_EQ(test::Texts(test::ReadXlsx(file)).back(), std::vector<std::string>{"13800000002"});
}

TEST(XlsxWorkbookTest, ColumnsFitTheirLongestLineWithinACapAndLongCellsAreCut) {
  TExportTable table{{Cp936("公司名"), "QQ", "x", "a"},
                     {{Cp936("广州电子"), "1234567\n123", std::string(300, 'y')}}};
  EXPECT_EQ(
      TXlsxWorkbook::ColumnWidths(table),
      (std::vector<double>{10, 9, TXlsxWorkbook::kMaxColumnWidth, TXlsxWorkbook::kMinColumnWidth}));
  EXPECT_EQ(TXlsxWorkbook::CellText(std::string(40000, 'x')).size(), TXlsxWorkbook::kMaxCellChars);
  std::string chinese;
  for (int i = 0; i < 40000; ++i) chinese += Cp936("中");
  EXPECT_EQ(TXlsxWorkbook::CellText(chinese).size(), TXlsxWorkbook::kMaxCellChars * 3);
}

TEST(XlsxWorkbookTest, HundredThousandCompaniesAndTheRowLimit) {
  const std::vector<TCompany> companies = Numbered(100000);
  test::TempDir dir;
  const std::string file = dir.File("big.xlsx");
  TExportFields nameAndMobile{true, false, true};
  ASSERT_TRUE(WriteExportFile(Pointers(companies), file, nameAndMobile, TExportFormat::Xlsx));
  test::TXlsxSheet sheet = test::ReadXlsx(file);
  ASSERT_EQ(sheet.rows.size(), 100001u);
  EXPECT_EQ(test::Texts(sheet).back(), (std::vector<std::string>{"公司99999", "13800099999"}));

  // With the title row a sheet holds 1,048,575 companies; one more is refused, and the file
  // stays as it was.
  const auto size = std::filesystem::file_size(file);
  TExportTable table{{"a", "b"}, Rows(TXlsxWorkbook::kMaxRows)};
  EXPECT_THROW(TXlsxWorkbook(table).SaveToFile(file), std::runtime_error);
  EXPECT_EQ(std::filesystem::file_size(file), size);
}

// A disk that fills up leaves no half file, and the file the export was to replace stays.
// With the larger limit the workbook itself would fit but the rows' temporary file does not.
TEST(XlsxWorkbookTest, AFailedWriteLeavesNoFileAndKeepsTheOldOne) {
  const std::vector<TCompany> companies = Numbered(5000);
  TExportFields fields{true, true, true, true, false, true};
  test::TempDir dir;
  const std::string file = dir.File("out");
  test::WriteFileBytes(file, "old");
  for (rlim_t limit : {rlim_t(64) << 10, rlim_t(1) << 20}) {
    for (TExportFormat format : {TExportFormat::Text, TExportFormat::Xls, TExportFormat::Xlsx}) {
      if (limit > (64 << 10) && format != TExportFormat::Xlsx) continue;
      SCOPED_TRACE(std::to_string(limit) + " " + std::to_string(static_cast<int>(format)));
      bool written;
      {
        FileSizeLimit full(limit);
        written = WriteExportFile(Pointers(companies), file, fields, format);
      }
      EXPECT_FALSE(written);
      EXPECT_TRUE(test::ReadFileBytes(file) == "old");
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    }
  }
  ASSERT_TRUE(WriteExportFile(Pointers(companies), file, fields, TExportFormat::Xlsx));
  EXPECT_EQ(test::ReadXlsx(file).rows.size(), 5001u);
}

TEST(XlsxWorkbookTest, TheFileNamesExtensionPicksTheSpreadsheetWriter) {
  EXPECT_EQ(SpreadsheetFormatFor("a.xlsx", TExportFormat::Xls), TExportFormat::Xlsx);
  EXPECT_EQ(SpreadsheetFormatFor("a.XLS", TExportFormat::Xlsx), TExportFormat::Xls);
  EXPECT_EQ(SpreadsheetFormatFor("a.xls.txt", TExportFormat::Xlsx), TExportFormat::Xlsx);
  EXPECT_EQ(SpreadsheetFormatFor("xlsx", TExportFormat::Xls), TExportFormat::Xls);
}

}  // namespace
}  // namespace zoqa
