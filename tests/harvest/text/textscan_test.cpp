#include "harvest/text/textscan.h"

#include <gtest/gtest.h>

#include "util/codepage.h"

namespace zoqa {
namespace {

const std::vector<std::string> kDomains = {"baidu.com", "so.com",  "sogou.com",
                                           "360.cn",    "360.com", "soso.com"};

TEST(TextScan, AfterMarker) {
  EXPECT_EQ(AfterMarker(":", "tel:123"), "123");
  EXPECT_EQ(AfterMarker(":", "tel"), "tel");
  EXPECT_EQ(AfterMarker(Cp936("："), Cp936("地址：广州")), Cp936("广州"));
}

TEST(TextScan, IsEngineUrlLooksAnywhereInTheUrl) {
  EXPECT_TRUE(IsEngineUrl("http://WWW.BAIDU.COM/link?x", kDomains));
  EXPECT_TRUE(IsEngineUrl("http://example.cn/?from=sogou.com", kDomains));
  EXPECT_FALSE(IsEngineUrl("http://example.cn/contact.html", kDomains));
  EXPECT_FALSE(IsEngineUrl("http://example.cn/", {"", "baidu.com"}));  // empty entry ignored
}

TEST(TextScan, HrefValueQuotingRules) {
  EXPECT_EQ(HrefValue("<a HREF=\"/Contact.html\" class=x>"), "/contact.html");
  EXPECT_EQ(HrefValue("<a href='/a b.html'>"), "/a b.html");
  EXPECT_EQ(HrefValue("<a href=/about.html>"), "/about.html");
  EXPECT_EQ(HrefValue("<a href=/about.html class=x>"), "/about.html");
  EXPECT_EQ(HrefValue("<a href=/about.html>" + Cp936("联系 我们") + "</a>"), "/about.html");
  EXPECT_EQ(HrefValue("<a href=\"/open"), "/open");  // no closing quote: to the end
  EXPECT_EQ(HrefValue("<a href="), "");
  EXPECT_EQ(HrefValue("<a name=x>"), "");
}

TEST(TextScan, MakeSiteUrlResolvesAgainstTheSiteRoot) {
  EXPECT_EQ(MakeSiteUrl("www.x.com", "./Contact.HTML"), "http://www.x.com/contact.html");
  EXPECT_EQ(MakeSiteUrl("www.x.com", "../../a/b.html"), "http://www.x.com/a/b.html");
  EXPECT_EQ(MakeSiteUrl("www.x.com", "HTTP://Other.com/C"), "http://other.com/c");
  EXPECT_EQ(MakeSiteUrl("www.x.com", "https://other.com/c"), "https://other.com/c");
  EXPECT_EQ(MakeSiteUrl("www.x.com", "./..//"), "");
  EXPECT_EQ(MakeSiteUrl("www.x.com", ""), "");
}

}  // namespace
}  // namespace zoqa
