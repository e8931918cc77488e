#include "harvest/text/regexp.h"

#include <gtest/gtest.h>

#include "util/codepage.h"

namespace zoqa {
namespace {

using Strings = std::vector<std::string>;

TEST(RegExp, FindsAllMatchesLeftToRightWithoutCase) {
  TRegExp re;
  EXPECT_EQ(re.FindAll("uin=[\\d]*&", "a?uin=123&x=1&uin=456&end"),
            (Strings{"uin=123&", "uin=456&"}));
  EXPECT_EQ(re.FindAll("[A-Z]{2,4}", "cn"), (Strings{"cn"}));
  EXPECT_EQ(re.FindAll("ABC", "xabcyAbC"), (Strings{"abc", "AbC"}));
  EXPECT_EQ(re.FindAll("aa", "aaaaa"), (Strings{"aa", "aa"}));  // non-overlapping
}

TEST(RegExp, DotExcludesExactlyTheEcmaScriptLineBreaks) {
  TRegExp re;
  EXPECT_TRUE(re.FindAllUtf8("a.b", "a\nb").empty());
  EXPECT_TRUE(re.FindAllUtf8("a.b", "a\rb").empty());
  EXPECT_TRUE(re.FindAllUtf8("a.b", "a\u2028b").empty());
  EXPECT_TRUE(re.FindAllUtf8("a.b", "a\u2029b").empty());
  EXPECT_EQ(re.FindAllUtf8("a.b", "a\u0085b").size(), 1u);  // NEL is not a line break here
  EXPECT_EQ(re.FindAllUtf8("a.b", "a\vb").size(), 1u);
  EXPECT_EQ(re.FindAllUtf8("a.b",
                           "a\xE4\xB8\xAD"
                           "b")
                .size(),
            1u);  // one Chinese character
  EXPECT_EQ(re.FindAllUtf8("a(?:.|[\\r\\n])*?b", "a\r\n\u2029b").size(), 0u);
  EXPECT_EQ(re.FindAllUtf8("a(?:.|[\\r\\n])*?b", "a\r\nxb"), (Strings{"a\r\nxb"}));
  EXPECT_EQ(re.FindAllUtf8("a[\\s\\S]*?b", "a\u2028\nb"), (Strings{"a\u2028\nb"}));
}

TEST(RegExp, WhiteSpaceAndDigitClassesFollowEcmaScript) {
  TRegExp re;
  for (const char* space : {" ", "\t", "\n", "\v", "\f", "\r", "\u00A0", "\u3000", "\uFEFF",
                            "\u2028", "\u1680", "\u2003", "\u202F", "\u205F"}) {
    std::string text = std::string("x") + space + "y";
    EXPECT_EQ(re.FindAllUtf8("x\\sy", text).size(), 1u) << text;
    EXPECT_EQ(re.FindAllUtf8("x[\\s]y", text).size(), 1u) << text;
    EXPECT_TRUE(re.FindAllUtf8("x\\Sy", text).empty()) << text;
    EXPECT_TRUE(re.FindAllUtf8("x[^\\s]y", text).empty()) << text;
  }
  EXPECT_TRUE(re.FindAllUtf8("x\\sy", "x\u0085y").empty());
  EXPECT_EQ(re.FindAllUtf8("x\\Sy", "x\u4E2Dy").size(), 1u);
  EXPECT_EQ(re.FindAllUtf8("x[\\S]y", "x\u4E2Dy").size(), 1u);
  EXPECT_TRUE(re.FindAllUtf8("\\d", "\u0661\uFF11").empty());  // Arabic-Indic and full-width
  EXPECT_EQ(re.FindAllUtf8("\\d+", "a12b3"), (Strings{"12", "3"}));
}

TEST(RegExp, ChineseCharactersMatchOnlyThemselves) {
  TRegExp re;
  std::string text = Cp936("地址：广州市天河区<br>电话");
  EXPECT_EQ(re.FindAll("地.*址\\S*", text), (Strings{Cp936("地址：广州市天河区<br>电话")}));
  EXPECT_TRUE(re.FindAll("广东", text).empty());
  EXPECT_EQ(re.FindAll("<title[^>]*>[^>]*</title>", Cp936("<TITLE>某某公司</TITLE>")),
            (Strings{Cp936("<TITLE>某某公司</TITLE>")}));
  EXPECT_TRUE(re.FindAll("<title[^>]*>[^>]*</title>", "<title><b>x</b></title>").empty());
}

TEST(RegExp, EmptyMatchesAdvanceOneCharacter) {
  TRegExp re;
  EXPECT_EQ(re.FindAllUtf8("a*?", "aa"), (Strings{"", "", ""}));
  EXPECT_EQ(re.FindAllUtf8("x*", "\u4E2D\u6587"), (Strings{"", "", ""}));
  EXPECT_EQ(re.FindAllUtf8("a|", "ba"), (Strings{"", "a", ""}));
}

TEST(RegExp, ReplaceAllStripsTags) {
  TRegExp re;
  EXPECT_EQ(re.ReplaceAll("<[^>]*>", Cp936("广州<b>某某</b>公司"), ""), Cp936("广州某某公司"));
  EXPECT_EQ(re.ReplaceAll("<[^>]*>", "no tags", ""), "no tags");
  EXPECT_EQ(re.ReplaceAll("o", "foo", "0"), "f00");
}

TEST(RegExp, EngineErrorsRaise) {
  TRegExp re;
  EXPECT_THROW(re.FindAll("(unclosed", "text"), ERegExpError);
  EXPECT_THROW(re.FindAllUtf8("a", "a\xFF"), ERegExpError);  // not UTF-8
  EXPECT_EQ(re.FindAll("a", "ba").size(), 1u);               // the object stays usable
}

TEST(RegExp, LongLazySpansOverAFiveMebibytePage) {
  // One block whose lazy span covers nearly the whole page, on one line and across lines.
  std::string filler;
  filler.reserve(5 << 20);
  while (filler.size() < (5u << 20)) filler += "<p>\xE4\xB8\xAD text line</p>\r\n";
  TRegExp re;
  std::string page = "<a href=\"http://h/baidu.php?x\">" + filler + "</a>";
  auto anchors = re.FindAllUtf8("<a[^>]*h/baidu.php?[^>]*>(?:.|[\\r\\n])*?</a>", page);
  ASSERT_EQ(anchors.size(), 1u);
  EXPECT_EQ(anchors[0].size(), page.size());
  std::string blocks = "<div srcid=\"1\">" + filler + "\xE5\xBF\xAB\xE7\x85\xA7 tail";
  auto found =
      re.FindAllUtf8("<div[^>]*(srcid=)[^>]*>([\\s\\S]*?)(\xE5\xBF\xAB\xE7\x85\xA7)", blocks);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].size(), blocks.size() - 5);
  std::string oneLine(5 << 20, 'x');
  EXPECT_TRUE(re.FindAllUtf8("<td[^>]*>([\\s\\S]*?)</td>", "<td>" + oneLine).empty());
}

}  // namespace
}  // namespace zoqa
