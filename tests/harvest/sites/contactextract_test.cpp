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
  // A page with a landline does not look for other three-part numbers, but keeps hotlines.
  e = Extract("<title>A</title> 020-87654321 021-123-4567 400-123-4567");
  EXPECT_EQ(e.record.Tels, (Strings{"020-87654321", "400-123-4567"}));
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
  e = Extract("<title>A</title>13812345678 地址:北京 海淀");
  EXPECT_EQ(e.record.Addr, Cp936("北京 海淀"));
  e = Extract("<title>A</title>13812345678 地址: 上海市浦东新区");
  EXPECT_EQ(e.record.Addr, Cp936("上海市浦东新区"));
  // The street right after the colon, closed by a tag.
  e = Extract("<title>A</title>13812345678<div>地址：广州市天河区科韵路16号</div>");
  EXPECT_EQ(e.record.Addr, Cp936("广州市天河区科韵路16号"));
  e = Extract("<title>A</title>13812345678<li>地址:深圳市南山区<br/>");
  EXPECT_EQ(e.record.Addr, Cp936("深圳市南山区"));
}

// Contact pages written the ways real sites write them: name, landlines and hotlines,
// address.
TEST(ContactExtract, ContactFixtures) {
  struct Case {
    const char* file;
    const char* name;
    Strings tels;
    const char* addr;
  };
  const std::vector<Case> cases = {
      {"form_label",
       "佛山市南海某某五金制品有限公司",
       {"0757-86612345"},
       "中国.广东.佛山.南海工业园"},
      {"ascii_colon",
       "杭州某某软件科技有限公司",
       {"0571-86612020", "400-618-2020"},
       "杭州市西湖区文三路90号（东部软件园B座6层）"},
      {"line_break",
       "石家庄某某电子有限公司",
       {"0311-85512345", "400-812-3456", "800-820-1234"},
       "石家庄市 高新区长江大道318号 2号楼C区5楼"},
      {"next_label", "广州某某电子有限公司", {"020-38881234"}, "广州市天河路100号"},
      {"label_forms", "东莞某某塑胶制品厂", {"0769-85312345"}, "东莞市长安镇乌沙工业区兴发路8号"},
      {"office",
       "北京某某咨询有限公司",
       {"010-85861234"},
       "北京市朝阳区建国路88号SOHO现代城A座1201室"},
      {"caption_after",
       "无锡某某机械有限公司",
       {"0510-83512345"},
       "江苏省无锡市惠山区堰桥工业园168号"},
      {"not_address", "深圳某某科技有限公司", {"0755-26612345"}, ""},
  };
  for (const Case& c : cases) {
    std::string page =
        test::ReadFileBytes(test::TestDataPath(std::string("contacts/") + c.file + ".html"));
    for (auto variant : {TEngineVariant::Baidu, TEngineVariant::So360}) {
      Extracted e = Extract(page, variant);
      EXPECT_TRUE(e.worth) << c.file;
      EXPECT_EQ(Cp936ToUtf8(e.record.ComName), c.name) << c.file;
      EXPECT_EQ(e.record.Tels, c.tels) << c.file;
      EXPECT_EQ(Cp936ToUtf8(e.record.Addr), c.addr) << c.file;
    }
  }
}

TEST(ContactExtract, AddressLabelsAndWhereTheyEnd) {
  auto addr = [](const std::string& body) {
    return Cp936ToUtf8(Extract("<title>A</title>13812345678" + body).record.Addr);
  };
  EXPECT_EQ(addr("<p>地&nbsp;&nbsp;址：广州市天河区黄埔大道1号</p>"), "广州市天河区黄埔大道1号");
  EXPECT_EQ(addr("厂址:佛山市顺德区北滘镇\n电话:0757-1234567"), "佛山市顺德区北滘镇");
  EXPECT_EQ(addr("地址：广州市天河区1号，邮编：510000"), "广州市天河区1号");
  EXPECT_EQ(addr("地址：广州市天河区1号 E-mail: a@b.cn"), "广州市天河区1号");
  // An address may name a telephone exchange; only a label with a colon or after a blank ends it.
  EXPECT_EQ(addr("地址：北京市西城区电话局南街1号"), "北京市西城区电话局南街1号");
  // Not addresses: a form control, another label, a value too short, a menu entry.
  EXPECT_EQ(addr("地址：<textarea>广州市天河区</textarea>"), "");
  EXPECT_EQ(addr("地址：QQ:12345678"), "");
  EXPECT_EQ(addr("地址：广州"), "");
  EXPECT_EQ(addr("<a href='/map'>公司地址</a><a href='/job'>人才招聘</a>"), "");
  // A label without colon before the value's element.
  EXPECT_EQ(addr("<td>地址</td><td>广州市天河区1号</td>"), "广州市天河区1号");
}

TEST(ContactExtract, HotlinesBesideLandlines) {
  Extracted e = Extract(
      "<title>A</title>服务热线 4006182020 售后 0571-86612020 400 618 2021 400-6182022 "
      "粤ICP备4001234567号 2023-08-01 800-820-1234-5 13812345678");
  EXPECT_EQ(e.record.Tels,
            (Strings{"0571-86612020", "400-618-2020", "400-618-2021", "400-618-2022"}));
}

TEST(ContactExtract, NamesWithoutDecorations) {
  auto name = [](const char* title, TEngineVariant variant = TEngineVariant::Baidu) {
    return Cp936ToUtf8(
        Extract(std::string("<title>") + title + "</title>13812345678", variant).record.ComName);
  };
  EXPECT_EQ(name("广州某某有限公司首页"), "广州某某有限公司");
  EXPECT_EQ(name("广州某某有限公司官网"), "广州某某有限公司");
  EXPECT_EQ(name("欢迎访问广州某某有限公司！"), "广州某某有限公司");
  EXPECT_EQ(name("欢迎访问广州某某有限公司", TEngineVariant::Sogou), "广州某某有限公司");
  EXPECT_EQ(name("广州某某有限公司 官方网站首页"), "广州某某有限公司");
  // Otherwise the name stays as it is, and a title of decoration alone too.
  EXPECT_EQ(name("首页广场管理有限公司"), "首页广场管理有限公司");
  EXPECT_EQ(name("首页"), "首页");
}

TEST(ContactExtract, TitleVariants) {
  std::string page = "<title>首页_广州某某电子有限公司-产品中心</title>13812345678";
  EXPECT_EQ(Extract(page, TEngineVariant::So360).record.ComName, Cp936("广州某某电子有限公司"));
  EXPECT_EQ(Extract(page, TEngineVariant::Baidu).record.ComName,
            Cp936("广州某某电子有限公司产品中心"));
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
