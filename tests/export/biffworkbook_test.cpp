#include "export/biffworkbook.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "biffreader.h"
#include "support/testsupport.h"

namespace zoqa {
namespace {

using test::BiffBlank;
using test::BiffBof;
using test::BiffCodePage;
using test::BiffEof;
using test::BiffLabel;
using test::ReadFileBytes;
using Cells = std::vector<test::TBiffCell>;

test::TBiffCell L(unsigned row, unsigned col, std::string text) {
  return {row, col, false, text};
}
test::TBiffCell B(unsigned row, unsigned col) {
  return {row, col, true, {}};
}

class BiffWorkbookTest : public ::testing::Test {
 protected:
  std::string Save(const std::vector<std::string>& lines, bool titleRow = true, char sep = '|') {
    TBiffWorkbook(lines, sep).SaveToFile(file_, titleRow);
    return ReadFileBytes(file_);
  }
  Cells SaveCells(const std::vector<std::string>& lines, bool titleRow = true) {
    test::TBiffFile biff = test::ReadBiff(Save(lines, titleRow));
    EXPECT_TRUE(biff.wellFormed);
    return biff.cells;
  }

  test::TempDir dir_;
  std::string file_ = dir_.File("out.xls");
};

TEST_F(BiffWorkbookTest, WritesTheRecordsByteForByte) {
  const std::string expected(
      "\x09\x08\x08\x00\x00\x00\x10\x00\x00\x00\x00\x00"  // BOF
      "\x42\x00\x02\x00\xA8\x03"                          // CODEPAGE 936
      "\x04\x02\x09\x00\x00\x00\x00\x00\x00\x00\x01\x00"
      "A"  // LABEL 0,0
      "\x04\x02\x09\x00\x00\x00\x01\x00\x00\x00\x01\x00"
      "B"                                                         // LABEL 0,1
      "\x04\x02\x0A\x00\x01\x00\x00\x00\x00\x00\x02\x00\xD6\xD0"  // LABEL 1,0
      "\x01\x02\x06\x00\x01\x00\x01\x00\x17\x00"                  // BLANK 1,1
      "\x0A\x00\x00\x00",                                         // EOF
      72);
  const std::vector<std::string> lines{"A|B", "\xD6\xD0||"};
  EXPECT_EQ(Save(lines), expected);
  EXPECT_EQ(expected, BiffBof() + BiffCodePage() + BiffLabel(0, 0, "A") + BiffLabel(0, 1, "B") +
                          BiffLabel(1, 0, "\xD6\xD0") + BiffBlank(1, 1) + BiffEof());
}

TEST_F(BiffWorkbookTest, FillsOneRowPerLineAndDropsExtraCells) {
  EXPECT_EQ(SaveCells({"a|b|c", "1||3", "x|y", "", "p|q|r|s", "|"}),
            (Cells{L(0, 0, "a"), L(0, 1, "b"), L(0, 2, "c"),  //
                   L(1, 0, "1"), B(1, 1), L(1, 2, "3"),       // empty middle cell
                   L(2, 0, "x"), L(2, 1, "y"),                // short line ends its row
                   L(3, 0, "p"), L(3, 1, "q"), L(3, 2, "r"),  // empty line wrote nothing
                   B(4, 0)}));
}

TEST_F(BiffWorkbookTest, TrailingSeparatorMakesNoCellButEmptyTitlesDo) {
  EXPECT_EQ(SaveCells({"a||", "1|2|"}),
            (Cells{L(0, 0, "a"), L(0, 1, ""), L(1, 0, "1"), L(1, 1, "2")}));
}

TEST_F(BiffWorkbookTest, SingleColumnTakesOneRowPerLine) {
  EXPECT_EQ(SaveCells({"13800000001", "13800000002", "13800000003"}),
            (Cells{L(0, 0, "13800000001"), L(1, 0, "13800000002"), L(2, 0, "13800000003")}));
  EXPECT_EQ(SaveCells({"a|b", "1|2"}, false), (Cells{L(0, 0, "a"), L(1, 0, "1")}));
}

TEST_F(BiffWorkbookTest, EmptyTitleLineStillWritesTheData) {
  EXPECT_EQ(SaveCells({"", "1", "2"}), (Cells{L(0, 0, "1"), L(1, 0, "2")}));
  EXPECT_THROW(Save({}), std::runtime_error);  // no line at all is nothing to write
}

TEST_F(BiffWorkbookTest, SplitsOnlyWhereACharacterStarts) {
  // 0x7C ("|") is also the second byte of some double-byte characters.
  EXPECT_EQ(TBiffWorkbook::SplitCells("\x81|x|\x81|", '|'),
            (std::vector<std::string_view>{"\x81|x", "\x81|"}));
  EXPECT_EQ(TBiffWorkbook::SplitCells("|a||b|", '|'),
            (std::vector<std::string_view>{"", "a", "", "b"}));
  EXPECT_EQ(SaveCells({"a|b", "a|b|c|d", "\x81||"}),
            (Cells{L(0, 0, "a"), L(0, 1, "b"), L(1, 0, "a"), L(1, 1, "b"), L(2, 0, "\x81|")}));
}

TEST_F(BiffWorkbookTest, OtherSeparatorKeepsBarsInTheText) {
  test::TBiffFile biff = test::ReadBiff(Save({"a\tb", "x|y\t"}, true, '\t'));
  EXPECT_EQ(biff.cells, (Cells{L(0, 0, "a"), L(0, 1, "b"), L(1, 0, "x|y")}));
}

TEST_F(BiffWorkbookTest, CutsLongCellsAtACharacterBoundary) {
  const std::string wide(2 * 40000, '\xB0');  // 0xB0 0xB0 ... : double-byte characters only
  EXPECT_EQ(TBiffWorkbook::FitCell(wide).size(), 65526u);
  EXPECT_EQ(TBiffWorkbook::FitCell("a" + wide).size(), 65527u);
  EXPECT_EQ(TBiffWorkbook::FitCell(std::string(65527, 'x')).size(), 65527u);
  const std::string exact = "a" + std::string(65526, '\xB0');
  EXPECT_EQ(TBiffWorkbook::FitCell(exact), exact);

  EXPECT_EQ(SaveCells({wide, "z"}), (Cells{L(0, 0, wide.substr(0, 65526)), L(1, 0, "z")}));
}

TEST_F(BiffWorkbookTest, FailsBeforeTouchingTheFileWhenRowsRunOut) {
  std::vector<std::string> lines(TBiffWorkbook::kMaxRows, "v");
  lines.insert(lines.begin() + 1, std::string());  // empty lines take no row
  test::TBiffFile full = test::ReadBiff(Save(lines));
  ASSERT_TRUE(full.wellFormed);
  EXPECT_EQ(full.cells.size(), TBiffWorkbook::kMaxRows);
  EXPECT_EQ(full.cells.back(), L(65535, 0, "v"));

  test::WriteFileBytes(file_, "old");
  lines.push_back("v");
  EXPECT_THROW(TBiffWorkbook(lines).SaveToFile(file_, true), std::runtime_error);
  EXPECT_EQ(ReadFileBytes(file_), "old");

  std::vector<std::string> wideTitle{std::string(TBiffWorkbook::kMaxColumns, '|') + "x"};
  EXPECT_THROW(TBiffWorkbook(wideTitle).SaveToFile(file_, true), std::runtime_error);
}

TEST_F(BiffWorkbookTest, NoTextToWriteRaisesBeforeTouchingTheFile) {
  test::WriteFileBytes(file_, "old");
  for (const std::vector<std::string>& lines : {std::vector<std::string>{}, {"", ""}}) {
    EXPECT_THROW(TBiffWorkbook(lines).SaveToFile(file_, true), std::runtime_error);
    EXPECT_THROW(TBiffWorkbook(lines).SaveToFile(file_, false), std::runtime_error);
  }
  EXPECT_EQ(ReadFileBytes(file_), "old");
}

TEST_F(BiffWorkbookTest, ReplacesAnExistingFileAndRaisesWhenItCannot) {
  test::WriteFileBytes(file_, std::string(1000, 'z'));
  EXPECT_EQ(Save({"a"}), BiffBof() + BiffCodePage() + BiffLabel(0, 0, "a") + BiffEof());

  std::vector<std::string> lines{"a"};
  EXPECT_THROW(TBiffWorkbook(lines).SaveToFile(dir_.File("missing/out.xls"), true),
               std::runtime_error);
  EXPECT_THROW(TBiffWorkbook(lines).SaveToFile(dir_.Path(), true), std::runtime_error);
  EXPECT_TRUE(std::filesystem::is_directory(dir_.Path()));
}

TEST_F(BiffWorkbookTest, FailedWriteRaises) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::vector<std::string> lines(50000, "some cell text|more");
  EXPECT_THROW(TBiffWorkbook(lines).SaveToFile("/dev/full", true), std::runtime_error);
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

}  // namespace
}  // namespace zoqa
