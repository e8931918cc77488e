#include "export/exportwriter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "biffreader.h"
#include "export/biffworkbook.h"
#include "platform/clipboard.h"
#include "support/testsupport.h"
#include "util/codepage.h"

namespace zoqa {
namespace {

using test::ReadFileBytes;
using Cells = std::vector<test::TBiffCell>;

class RecordingClipboard : public TClipboard {
 public:
  void SetText(const std::string& text) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

class ExportWriterTest : public ::testing::Test {
 protected:
  ExportWriterTest() {
    first_.SetName(Cp936("广州电子有限公司|官网"));
    first_.AddMobile("13800000001");
    first_.AddMobile("13800000002");
    first_.AddQQ("10001");
    second_.SetName("Beta");
    second_.AddMobile("13900000000");
    fields_.company = fields_.mobile = fields_.qq = true;
    InstallClipboard(clipboard_);
  }
  ~ExportWriterTest() override { InstallClipboard(nullptr); }

  bool Write(const std::string& file, TExportFormat format) {
    return WriteExportFile({&first_, &second_}, file, fields_, format);
  }

  test::TempDir dir_;
  TCompany first_, second_;
  TExportFields fields_;
  std::shared_ptr<RecordingClipboard> clipboard_ = std::make_shared<RecordingClipboard>();
};

TEST_F(ExportWriterTest, TextFileIsCodePage936WithCrLfReplacingTheOldFile) {
  const std::string file = dir_.File(Cp936ToUtf8(Cp936("导出.txt")));
  test::WriteFileBytes(file, std::string(500, 'x'));
  ASSERT_TRUE(Write(file, TExportFormat::Text));
  EXPECT_EQ(ReadFileBytes(file), Cp936("公司名,手机,QQ\r\n广州电子有限公司|官网,") +
                                     "13800000001,13800000002,10001\r\nBeta,13900000000,\r\n");
  EXPECT_TRUE(clipboard_->texts.empty());

  ASSERT_TRUE(
      WriteExportFile(std::vector<const TCompany*>{}, file, TExportFields{}, TExportFormat::Text));
  EXPECT_EQ(ReadFileBytes(file), "");
}

TEST_F(ExportWriterTest, SpreadsheetKeepsColumnsAndLeavesTheLinesOnTheClipboard) {
  const std::string file = dir_.File("out.xls");
  ASSERT_TRUE(Write(file, TExportFormat::Xls));
  test::TBiffFile biff = test::ReadBiff(ReadFileBytes(file));
  ASSERT_TRUE(biff.wellFormed);
  const std::string name = Cp936("广州电子有限公司|官网");
  EXPECT_EQ(biff.cells, (Cells{{0, 0, false, Cp936("公司名")},
                               {0, 1, false, Cp936("手机")},
                               {0, 2, false, "QQ"},
                               {1, 0, false, name},
                               {1, 1, false, "13800000001, 13800000002"},
                               {1, 2, false, "10001"},
                               {2, 0, false, "Beta"},
                               {2, 1, false, "13900000000"}}));
  EXPECT_EQ(clipboard_->texts, std::vector<std::string>{
                                   Cp936("公司名\t手机\tQQ\r\n") + name +
                                   "\t13800000001, 13800000002\t10001\r\nBeta\t13900000000\t\r\n"});
}

TEST_F(ExportWriterTest, UnwritableTargetsGiveFalse) {
  for (TExportFormat format : {TExportFormat::Text, TExportFormat::Xls, TExportFormat::Xlsx}) {
    SCOPED_TRACE(static_cast<int>(format));
    EXPECT_FALSE(Write(dir_.File("missing/out"), format));
    test::WriteFileBytes(dir_.File("plain"), "x");
    EXPECT_FALSE(Write(dir_.File("plain/out"), format));
    EXPECT_FALSE(Write(dir_.Path(), format));
    EXPECT_FALSE(Write("", format));
  }
}

TEST_F(ExportWriterTest, ReadOnlyDirectoryGivesFalse) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  namespace fs = std::filesystem;
  fs::create_directory(dir_.File("ro"));
  fs::permissions(dir_.File("ro"), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(Write(dir_.File("ro/out.txt"), TExportFormat::Text));
  EXPECT_FALSE(Write(dir_.File("ro/out.xls"), TExportFormat::Xls));
}

TEST_F(ExportWriterTest, FullDiskGivesFalse) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  for (TExportFormat format : {TExportFormat::Text, TExportFormat::Xls, TExportFormat::Xlsx}) {
    EXPECT_FALSE(Write("/dev/full", format));
  }
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

TEST_F(ExportWriterTest, ALinkKeepsPointingAtTheReplacedFile) {
  test::WriteFileBytes(dir_.File("real.txt"), "old");
  std::filesystem::create_symlink("real.txt", dir_.File("link.txt"));
  ASSERT_TRUE(Write(dir_.File("link.txt"), TExportFormat::Text));
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.File("link.txt")));
  EXPECT_EQ(ReadFileBytes(dir_.File("real.txt")).substr(0, 2), Cp936("公"));
}

TEST_F(ExportWriterTest, NoColumnsGiveNoSpreadsheetButAnEmptyTextFile) {
  fields_ = TExportFields{};
  const std::string sheet = dir_.File("none.xls");
  EXPECT_FALSE(Write(sheet, TExportFormat::Xls));
  EXPECT_FALSE(std::filesystem::exists(sheet));
  const std::string book = dir_.File("none.xlsx");
  EXPECT_FALSE(Write(book, TExportFormat::Xlsx));
  EXPECT_FALSE(std::filesystem::exists(book));
  const std::string text = dir_.File("none.txt");
  EXPECT_TRUE(Write(text, TExportFormat::Text));
  EXPECT_EQ(ReadFileBytes(text), "");
}

TEST_F(ExportWriterTest, SpreadsheetBeyondTheRowLimitGivesFalse) {
  std::vector<const TCompany*> many(TBiffWorkbook::kMaxRows, &second_);
  const std::string file = dir_.File("big.xls");
  EXPECT_FALSE(WriteExportFile(many, file, fields_, TExportFormat::Xls));
  EXPECT_FALSE(std::filesystem::exists(file));
  many.pop_back();  // with the title row this fills every row
  EXPECT_TRUE(WriteExportFile(many, file, fields_, TExportFormat::Xls));
  EXPECT_TRUE(WriteExportFile(many, dir_.File("big.txt"), fields_, TExportFormat::Text));
}

// A cursor over 3000 copies of one company that, when told to, fails after 2000 of them, as
// a store whose file goes bad halfway would.
class TFailingCursor : public TCompanyCursor {
 public:
  TFailingCursor(const TCompany& company, bool fails) : company_(company), fails_(fails) {}
  bool Next(TCompany& company) override {
    if (fails_ && given_ == 2000) throw std::runtime_error("read failed");
    if (given_ == 3000) return false;
    ++given_;
    company = company_;
    return true;
  }

 private:
  const TCompany& company_;
  bool fails_;
  int given_ = 0;
};

// Spreadsheets read the companies more than once (clipboard, checks, file): a failure in any
// reading fails the export and leaves the old file and nothing else.
TEST_F(ExportWriterTest, ReadFailureHalfwayKeepsTheOldFile) {
  for (auto [name, format] :
       {std::pair{"old.txt", TExportFormat::Text}, std::pair{"old.xls", TExportFormat::Xls},
        std::pair{"old.xlsx", TExportFormat::Xlsx}}) {
    const std::string file = dir_.File(name);
    for (int failing = 1; failing <= 3; ++failing) {
      test::WriteFileBytes(file, "before");
      int opened = 0;
      auto open = [&]() -> std::unique_ptr<TCompanyCursor> {
        return std::make_unique<TFailingCursor>(second_, ++opened == failing);
      };
      bool written = WriteExportFile(open, file, fields_, format);
      EXPECT_EQ(written, opened < failing) << name << " failing read " << failing;
      if (!written) {
        EXPECT_EQ(ReadFileBytes(file), "before") << name;
      }
    }
  }
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
    files += entry.is_regular_file() ? 1 : 0;
  }
  EXPECT_EQ(files, 3);  // no part-written file beside them
}

}  // namespace
}  // namespace zoqa
