#include "export/exportlines.h"

#include <gtest/gtest.h>

#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

using Lines = std::vector<std::string>;

TEST(CleanValueTest, TrimsAndRemovesLineBreaksAndSeparator) {
  EXPECT_EQ(CleanValue(" \t\x01"
                       "Acme,\r\nCo, Ltd\x1f ",
                       ","),
            "AcmeCo Ltd");
  EXPECT_EQ(CleanValue("http://a.cn/x,y\tz", "\t"), "http://a.cn/x,yz");
  EXPECT_EQ(CleanValue(" ", ","), "");
  EXPECT_EQ(CleanValue("a\x7f", ","), "a\x7f");  // only bytes up to the blank are trimmed
}

TEST(CleanValueTest, NeverCutsADoubleByteCharacter) {
  // "\x81\x7C" is one character whose second byte is "|".
  EXPECT_EQ(CleanValue("a|\x81\x7C|", "|"), "a\x81\x7C");
}

TEST(CleanValueTest, AStrayLeadByteHidesNoLineBreakOrSeparator) {
  // No code page character ends in a byte below 0x40: a lead byte before one stands alone.
  EXPECT_EQ(CleanValue("a\x86\r\n"
                       "b\x86,"
                       "c\x86\td",
                       ","),
            "a\x86"
            "b\x86"
            "c\x86\td");
  EXPECT_EQ(CleanValue("a\x86\tb", "\t"),
            "a\x86"
            "b");
  EXPECT_EQ(CleanList(JoinCrLf({"1\x86", "2\x86"}), "\t", ", "), "1\x86, 2\x86");
}

TEST(CleanListTest, JoinsEntriesWithTheListSeparator) {
  const std::string text = JoinCrLf({"138", "139", "137"});
  EXPECT_EQ(text, "138\r\n139\r\n137\r\n");
  EXPECT_EQ(CleanList(text, ",", ","), "138,139,137");
  EXPECT_EQ(CleanList(text, "\t", ", "), "138, 139, 137");
  EXPECT_EQ(CleanList(JoinCrLf({"a,b", "c\td"}), ",", ","), "a,b,c\td");
  EXPECT_EQ(CleanList(JoinCrLf({"a,b", "c\td"}), "\t", ", "), "a,b, cd");
  EXPECT_EQ(CleanList(JoinCrLf({}), ",", ","), "");
  EXPECT_EQ(CleanList(JoinCrLf({"", "x", ""}), ",", ","), "x");  // ends trimmed away
}

class ExportLinesTest : public ::testing::Test {
 protected:
  ExportLinesTest() {
    acme_.SetName("Acme");
    acme_.AddMobile("13800000001");
    acme_.AddMobile("13800000002");
    acme_.AddQQ("10001");
    acme_.WebUrl = "http://acme.cn/a,b";
    bare_.AddQQ("20001");
  }
  Lines Build(const TExportFields& fields, bool asText) {
    return BuildExportLines({&acme_, nullptr, &bare_}, fields, asText);
  }

  TCompany acme_, bare_;
};

TEST_F(ExportLinesTest, TextFormatHasHeaderAndCommaSeparatedLists) {
  TExportFields f;
  f.company = f.mobile = f.qq = true;
  EXPECT_EQ(Build(f, true),
            (Lines{Cp936("公司名,手机,QQ"), "Acme,13800000001,13800000002,10001", "20001"}));
}

TEST_F(ExportLinesTest, SpreadsheetFormatUsesTabsAndCommaSpace) {
  TExportFields f;
  f.company = f.mobile = f.qq = f.email = f.url = true;
  EXPECT_EQ(Build(f, false), (Lines{Cp936("公司名\t手机\tQQ\t邮箱\t网址"),
                                    "Acme\t13800000001, 13800000002\t10001\t\thttp://acme.cn/a,b",
                                    "20001\t\t"}));  // empty leading values add nothing
  EXPECT_EQ(Build(f, true)[1], "Acme,13800000001,13800000002,10001,,http://acme.cn/ab");
}

TEST_F(ExportLinesTest, AllColumnsInTheirFixedOrder) {
  TExportFields f{true, true, true, true, true, true};
  acme_.Addr = Cp936("广州 天河");
  acme_.AddEmail("a@acme.cn");
  EXPECT_EQ(Build(f, true)[0], Cp936("公司名,手机,QQ,邮箱,地址,网址"));
  EXPECT_EQ(Build(f, true)[1],
            Cp936("Acme,13800000001,13800000002,10001,a@acme.cn,广州 天河,http://acme.cn/ab"));
}

TEST_F(ExportLinesTest, OneListColumnGivesOneEntryPerLineWithoutHeader) {
  TExportFields f;
  f.mobile = true;
  EXPECT_EQ(Build(f, true), (Lines{"13800000001", "13800000002"}));
  f = TExportFields{};
  f.qq = true;
  EXPECT_EQ(Build(f, false), (Lines{"10001", "20001"}));
}

TEST_F(ExportLinesTest, OneValueColumnSkipsEmptyValues) {
  TExportFields f;
  f.url = true;
  EXPECT_EQ(Build(f, true), (Lines{"http://acme.cn/ab"}));
  EXPECT_EQ(Build(TExportFields{}, true), Lines{});
}

}  // namespace
}  // namespace zoqa
