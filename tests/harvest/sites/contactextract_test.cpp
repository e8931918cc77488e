#include "harvest/sites/contactextract.h"

#include <gtest/gtest.h>

#include "support/testsupport.h"
#include "util/codepage.h"

namespace zoqa {
namespace {

using Strings = std::vector<std::string>;

struct Extracted {
  TCompany record;
  bool worth = false;
  std::string status;
};

Extracted Extract(const std::string& utf8Page, TEngineVariant variant = TEngineVariant::Baidu) {
  TRegExp re;
  Extracted e;
  TPageText page(Utf8ToCp936(utf8Page));
  e.worth = ExtractContacts(re, e.record, page, variant,
                            [&e](const std::string& line) { e.status = line; });
  return e;
}

std::string Link(const std::string& utf8Page, TEngineVariant variant = TEngineVariant::Baidu) {
  TRegExp re;
  return FindContactLink(re, TPageText(Utf8ToCp936(utf8Page)), "www.x.com", variant);
}

TEST(ContactExtract, FullContactPage) {
  Extracted e = Extract(test::ReadFileBytes(test::TestDataPath("contact_page.html")));
  ASSERT_TRUE(e.worth);
  EXPECT_EQ(e.record.ComName, Cp936("广州市某某电子科技有限公司"));
  EXPECT_EQ(e.record.Tels, (Strings{"020-87654321", "0755-1234567"}));
  EXPECT_EQ(e.record.Mobiles, (Strings{"13812345678", "18922223333"}));
  EXPECT_EQ(e.record.Emails, (Strings{"sales@example-gz.com.cn"}));
  EXPECT_EQ(e.record.QQs, (Strings{"123456789", "987654"}));
  EXPECT_EQ(e.record.Addr, Cp936("广州市天河区科韵路16号信息港A栋"));
  EXPECT_EQ(e.status, Cp936("正在获取[广州市某某电子科技有限公司]详细信息..."));
}

TEST(ContactExtract, LandlineRules) {
  // Bare runs of seven or eight digits and the eight digits inside a mobile are too short.
  Extracted e = Extract("<title>A</title> 87654321 13812345678 020-1234567");
  EXPECT_EQ(e.record.Tels, (Strings{"020-1234567"}));
  EXPECT_EQ(e.record.Mobiles, (Strings{"13812345678"}));
  // A filing number is no landline, so the service number pattern still gets its turn.
  e = Extract("<title>A</title> ICP 2021007252 400-123-4567 13812345678");
  EXPECT_EQ(e.record.Tels, (Strings{"400-123-4567"}));
  // A page with a landline does not look for service numbers.
  e = Extract("<title>A</title> 020-87654321 400-123-4567");
  EXPECT_EQ(e.record.Tels, (Strings{"020-87654321"}));
  // Without any seven-digit run the service number is found.
  e = Extract("<title>A</title> Tel 400-123-4567");
  EXPECT_TRUE(e.worth);
  EXPECT_EQ(e.record.Tels, (Strings{"400-123-4567"}));
}

TEST(ContactExtract, MobilesStandAloneAndMayBeGrouped) {
  Extracted e = Extract(
      "<title>A</title><img src='/up/20231381234567890.jpg'> t=1381234567899 "
      "186-6362-7596 186 6362 7597 (13912345678) 186-6362 7598 1866362759");
  EXPECT_EQ(e.record.Mobiles, (Strings{"18663627596", "18663627597", "13912345678"}));
}

TEST(ContactExtract, QQNumbersWrittenAsText) {
  Extracted e = Extract(
      "<title>A</title>13812345678 QQ：1064105502 qq: 12345 QQ号 7654321 QQ号码：88888 "
      "QQ:1234 QQ:123456789012 <a href='x?uin=5566778&'>");
  EXPECT_EQ(e.record.QQs, (Strings{"5566778", "1064105502", "12345", "7654321", "88888"}));
}

TEST(ContactExtract, NotWorthReportingResetsTheRecord) {
  Extracted e = Extract("<title>A</title> mail a@b.com <a href='x?uin=5&'>");
  EXPECT_FALSE(e.worth);
  EXPECT_EQ(e.record.GetName(), " ");
  EXPECT_TRUE(e.record.Emails.empty() && e.record.QQs.empty());
  e = Extract("no title 13812345678");
  EXPECT_FALSE(e.worth);
  EXPECT_TRUE(e.record.Mobiles.empty());
}

TEST(ContactExtract, NameKeptWhenAlreadySet) {
  TRegExp re;
  TCompany record;
  record.SetName(Cp936("已知公司"));
  TPageText page(Utf8ToCp936("<title>Other</title> 13812345678"));
  EXPECT_TRUE(ExtractContacts(re, record, page, TEngineVariant::Baidu));
  EXPECT_EQ(record.ComName, Cp936("已知公司"));
}

TEST(ContactExtract, AddressTakesTheTextAfterTheMarkers) {
  Extracted e = Extract("<title>A</title>13812345678 地址：<b>广州市天河区</b>");
  EXPECT_EQ(e.record.Addr, Cp936("广州市天河区"));
  e = Extract("<title>A</title>13812345678 地址:北京 海淀");  // stops at the blank
  EXPECT_EQ(e.record.Addr, "");                               // "北京" is only four bytes
  e = Extract("<title>A</title>13812345678 地址: 上海市浦东新区");
  EXPECT_EQ(e.record.Addr, "");  // the blank ends the match before the street
  // The street right after the colon, closed by a tag.
  e = Extract("<title>A</title>13812345678<div>地址：广州市天河区科韵路16号</div>");
  EXPECT_EQ(e.record.Addr, Cp936("广州市天河区科韵路16号"));
  e = Extract("<title>A</title>13812345678<li>地址:深圳市南山区<br/>");
  EXPECT_EQ(e.record.Addr, Cp936("深圳市南山区"));
}

TEST(ContactExtract, TitleVariants) {
  std::string page = "<title>首页_广州某某电子有限公司-产品中心</title>13812345678";
  EXPECT_EQ(Extract(page, TEngineVariant::So360).record.ComName, Cp936("广州某某电子有限公司"));
  EXPECT_EQ(Extract(page, TEngineVariant::Baidu).record.ComName,
            Cp936("首页广州某某电子有限公司产品中心"));
  // A title with a tag inside is no title at all.
  EXPECT_FALSE(Extract("<title><b>A</b></title>13812345678").worth);
}

TEST(ContactExtract, NameFromTitles) {
  auto titles = [](std::initializer_list<const char*> list) {
    Strings out;
    for (const char* t : list) out.push_back(Cp936(std::string("<title>") + t + "</title>"));
    return out;
  };
  EXPECT_EQ(NameFromTitles(titles({"产品中心|深圳某某科技有限公司"})),
            Cp936("深圳某某科技有限公司"));
  EXPECT_EQ(NameFromTitles(titles({"某某企业 欢迎您"})), Cp936("某某企业"));
  EXPECT_EQ(NameFromTitles(titles({"首页", "欢迎"})), Cp936("欢迎"));
  EXPECT_EQ(NameFromTitles(titles({"A公司", "欢迎"})), Cp936("欢迎"));  // candidate too short
  EXPECT_EQ(NameFromTitles(titles({"甲乙丙公司 丁戊己公司"})), Cp936("丁戊己公司"));
  EXPECT_EQ(NameFromTitles({}), "");
}

TEST(ContactExtract, ContactLinkPatternsInOrder) {
  std::string page = "<a href='/about.html'>关于我们</a><a href=\"./Contact.HTML\">联系我们</a>";
  EXPECT_EQ(Link(page), "http://www.x.com/contact.html");
  EXPECT_EQ(Link("<a href='/about.html'>关于我们</a>"), "http://www.x.com/about.html");
  EXPECT_EQ(Link("<a href='/c.html'>请联系</a>"), "http://www.x.com/c.html");
  EXPECT_EQ(Link("<a href='/c.html'><span>联系我们</span></a>"), "");
  EXPECT_EQ(Link("<a href='./'>联系我们</a>"), "");
  // The Sogou crawler only knows the exact anchor text.
  EXPECT_EQ(Link("<a href='/c.html'> 联系我们</a>", TEngineVariant::Sogou), "");
  EXPECT_EQ(Link("<a href='/c.html'>联系我们</a>", TEngineVariant::Sogou),
            "http://www.x.com/c.html");
}

TEST(ContactExtract, BadPagesNeitherCrashNorHang) {
  TRegExp re;
  TCompany record;
  std::string garbage;
  for (int i = 0; i < (1 << 20); ++i) garbage += static_cast<char>((i * 7919) & 0xFF);
  EXPECT_FALSE(ExtractContacts(re, record, TPageText(Utf8ToCp936(garbage)), TEngineVariant::Baidu));
  // The raw bytes taken as code page text, NULs included.
  EXPECT_FALSE(ExtractContacts(re, record, TPageText(garbage), TEngineVariant::So360));
  EXPECT_EQ(FindContactLink(re, TPageText(garbage), "h", TEngineVariant::Baidu), "");
  // A contact link among the garbage is still found, whatever bytes stand around it.
  const std::string link = "<a href=/c>" + Cp936("联系我们") + "</a>";
  for (auto variant : {TEngineVariant::Baidu, TEngineVariant::So360, TEngineVariant::Sogou}) {
    EXPECT_EQ(FindContactLink(re, TPageText(garbage + link + garbage), "h", variant), "http://h/c");
  }

  std::string anchors = "<title>A</title>";
  for (int i = 0; i < 20000; ++i) anchors += "<a href=\"/p" + std::to_string(i) + "\">x</a>\n";
  anchors += "<a href=/last>" + Cp936("联系") + "</a>";
  EXPECT_EQ(FindContactLink(re, TPageText(anchors), "h", TEngineVariant::Baidu), "http://h/last");

  std::string line(5 << 20, '1');  // one 5 MiB line of digits: no number is long enough
  EXPECT_FALSE(
      ExtractContacts(re, record, TPageText("<title>A</title>" + line), TEngineVariant::Baidu));
  std::string chars;
  for (int i = 0; i < (1 << 20); ++i) chars += Cp936("地");  // a 2 MiB line of one character
  EXPECT_TRUE(ExtractContacts(re, record, TPageText("<title>A</title>13812345678" + chars),
                              TEngineVariant::Sogou));
}

TEST(ContactExtract, TwentyMebibytePageOfNumbers) {
  std::string page = "<title>A</title>";
  const std::string addr = Cp936("地址");
  page.reserve(21 << 20);
  for (long i = 0; page.size() < (20u << 20); ++i) {
    page += "tel 020-" + std::to_string(10000000 + i % 9000000) + " mob 138" +
            std::to_string(10000000 + i) + addr + "\n";
  }
  TRegExp re;
  TCompany record;
  ASSERT_TRUE(ExtractContacts(re, record, TPageText(page), TEngineVariant::Baidu));
  EXPECT_GT(record.Mobiles.size(), 100000u);
  EXPECT_EQ(record.Tels.size(), record.Mobiles.size());
}

}  // namespace
}  // namespace zoqa
