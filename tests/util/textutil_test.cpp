#include "util/textutil.h"

#include <gtest/gtest.h>

#include "util/codepage.h"

namespace zoqa {
namespace {

TEST(TextUtil, CutTextNeverSplitsACharacter) {
  EXPECT_EQ(CutText("abcde", 5), "abcde");
  EXPECT_EQ(CutText("abcdef", 5), "abcde...");
  EXPECT_EQ(CutText("", 0), "");
  std::string chinese = Cp936("广州电子");              // 8 bytes
  EXPECT_EQ(CutText(chinese, 3), Cp936("广") + "...");  // byte 3 starts 州
  EXPECT_EQ(CutText(chinese, 4), Cp936("广州") + "...");
  EXPECT_EQ(CutText("a" + chinese, 2), "a...");
  EXPECT_EQ(CutText("a" + chinese, 3), "a" + Cp936("广") + "...");
}

TEST(TextUtil, SplitFirstTakesTheDelimiterAsOneByte) {
  std::string left, right;
  SplitFirst("2.1|http://x", "|", left, right);
  EXPECT_EQ(left, "2.1");
  EXPECT_EQ(right, "http://x");
  SplitFirst("|rest", "|", left, right);
  EXPECT_EQ(left, "");
  EXPECT_EQ(right, "rest");
  SplitFirst("a::b", "::", left, right);
  EXPECT_EQ(left, "a");
  EXPECT_EQ(right, ":b");
  SplitFirst("none", "|", left, right);
  EXPECT_EQ(left, "");
  EXPECT_EQ(right, "none");
  SplitFirst("", "|", left, right);
  EXPECT_EQ(left + right, "");
}

TEST(TextUtil, AppendTextSkipsTheSeparatorOnlyWhenEmpty) {
  std::string line;
  EXPECT_EQ(AppendText(line, "", ","), "");
  EXPECT_EQ(AppendText(line, "a", ","), "a");
  EXPECT_EQ(AppendText(line, "", ","), "a,");
  EXPECT_EQ(AppendText(line, "b", ","), "a,,b");
}

TEST(TextUtil, UrlEncodeWritesCodePageBytes) {
  EXPECT_EQ(UrlEncode("a b", true), "a+b");
  EXPECT_EQ(UrlEncode("a b", false), "a%20b");
  EXPECT_EQ(UrlEncode("AZaz09-./:_", false), "AZaz09-./:_");
  EXPECT_EQ(UrlEncode(Cp936("关"), true), "%B9%D8");
  EXPECT_EQ(UrlEncode("~&=?+", true), "%7E%26%3D%3F%2B");
  EXPECT_EQ(UrlEncode(std::string("\x80\xFF\0", 3), true), "%80%FF%00");
}

TEST(TextUtil, LastCharacterHelpers) {
  EXPECT_EQ(TextAfterLast("a/b/c.zip", '/', "none"), "c.zip");
  EXPECT_EQ(TextAfterLast("abc", '/', "none"), "none");
  EXPECT_EQ(TextAfterLast("abc/", '/', "none"), "");
  EXPECT_EQ(TextBeforeLast("abc.exe", '.'), "abc");
  EXPECT_EQ(TextBeforeLast("abc", '.'), "abc");
  // 0xB5 0x5C is one character whose second byte looks like a backslash.
  std::string trick =
      "x\xB5\x5C"
      "y";
  EXPECT_EQ(TextAfterLast(trick, '\\', "none"), "none");
}

TEST(TextUtil, TextBetweenAndFindAreCharacterAware) {
  EXPECT_EQ(TextBetween("uin=", "&", "x?uin=123&y"), "123");
  EXPECT_EQ(TextBetween("uin=", "&", "uin=123"), "123");
  EXPECT_EQ(TextBetween("uin=", "", "uin=123&"), "123&");
  EXPECT_EQ(TextBetween("nope", "&", "uin=1&"), "");
  EXPECT_EQ(TextBetween("\"", "\"", "\"C:\\b.exe\" -x"), "C:\\b.exe");
  // "h" as the second byte of a double-byte character does not start "href=".
  std::string text =
      "\xB0"
      "href=1 href=2";
  EXPECT_EQ(FindText(text, "href="), 8u);
  EXPECT_EQ(ReplaceText("a.b.C", "c", "x", true), "a.b.x");
  EXPECT_EQ(AsciiLower("\xB0"
                       "A"
                       "B"),
            "\xB0"
            "Ab");
}

TEST(TextUtil, IncludeBackslash) {
  EXPECT_EQ(IncludeBackslash(""), "");
  EXPECT_EQ(IncludeBackslash("  "), "  ");
  EXPECT_EQ(IncludeBackslash("/opt/zoqa"), "/opt/zoqa/");
  EXPECT_EQ(IncludeBackslash("/opt/zoqa/"), "/opt/zoqa/");
}

TEST(TextUtil, RandomNumberStaysInRange) {
  EXPECT_EQ(RandomNumber(0), 0);
  EXPECT_EQ(RandomNumber(-3), -3);
  for (int i = 0; i < 200; ++i) {
    int r = RandomNumber(3);
    EXPECT_GE(r, 1);
    EXPECT_LE(r, 3);
  }
  EXPECT_EQ(RandomNumber(1), 1);
}

}  // namespace
}  // namespace zoqa
