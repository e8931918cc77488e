// Result pages in today's markup through both readers: what the structural reader adds after
// the classic passes, what it skips, and that it adds nothing to pages in the classic markup.
#include "harvest/results/structuralreader.h"

#include <gtest/gtest.h>

#include "harvest/base/enginesettings.h"
#include "harvest/results/baiduresults.h"
#include "harvest/results/linkresults.h"
#include "harvest/results/resultpage.h"
#include "harvest/text/bodytext.h"
#include "support/testsupport.h"
#include "support/webpages.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa::test {
namespace {

// A result as the tests compare it: link, then "page" or "classic", then "paid" or "".
using Row = std::vector<std::string>;

std::vector<Row> Read(TEngine engine, const std::string& utf8Page) {
  TRegExp re;
  std::vector<Row> rows;
  for (const TResultLink& r : ReadResultPage(engine, re, DecodeBody(utf8Page, true))) {
    rows.push_back({r.Link, r.Reader == TReader::Page ? "page" : "classic", r.Paid ? "paid" : ""});
  }
  return rows;
}

TEST(PageReader, BaiduRedirectorsTargetsAndAdsWithoutCardsOfItsOwnSites) {
  SetEngineSettings(TEngineSettings{});
  std::string page =
      BaiduTodayPage({{"广州恒达电子有限公司", "http://www.baidu.com/link?url=r1", ""},
                      {"某某五金", "https://www.baidu.com/baidu.php?url=p1", ""},
                      {"力达机械", "http://www.baidu.com/link?url=r2", "https://www.lida-jx.com/"},
                      {"某某电器", "https://www.gbk-dq.com/", ""},
                      {"某某广告", "http://www.ad-co.com/", "", true}});
  EXPECT_EQ(Read(egBaidu, page),
            (std::vector<Row>{{"https://www.baidu.com/baidu.php?url=p1", "page", "paid"},
                              {"http://www.ad-co.com/", "page", "paid"},
                              {"http://www.baidu.com/link?url=r1", "page", ""},
                              {"https://www.lida-jx.com/", "page", ""},
                              {"https://www.gbk-dq.com/", "page", ""}}));
  TRegExp re;
  auto results = ReadResultPage(egBaidu, re, DecodeBody(page, true));
  EXPECT_EQ(Cp936ToUtf8(results[2].Title), "广州恒达电子有限公司");
  EXPECT_EQ(results[2].Certified, 0);
}

// Baidu's results are read from their container on; what comes before it, even markup that
// names the container, loses none of them, and the id may be written in any quotes.
TEST(PageReader, BaiduResultsFromTheirContainerWhateverComesBefore) {
  SetEngineSettings(TEngineSettings{});
  std::string page = BaiduTodayPage(
      {{"甲", "http://www.baidu.com/link?url=r1", ""}, {"乙", "https://www.yi-co.com/", ""}});
  std::vector<Row> expected = Read(egBaidu, page);
  ASSERT_EQ(expected.size(), 2u);
  std::string head =
      "<style>#content_left{width:560px}</style>"
      "<script>var t = '<div id=\"content_left\">', u = 'id=content_left';</script>";
  std::string quoted = ReplaceText(page, "id=\"content_left\"", "id='content_left'", false);
  EXPECT_EQ(Read(egBaidu, ReplaceText(page, "<head>", "<head>" + head, false)), expected);
  EXPECT_EQ(Read(egBaidu, quoted), expected);
}

TEST(PageReader, So360TargetsAndRedirectorsButNoCacheCopiesOrNavigation) {
  SetEngineSettings(TEngineSettings{});
  std::string page =
      So360TodayPage({{"恒达电子", "https://www.so.com/link?m=a1", ""},
                      {"力达机械", "https://www.so.com/link?m=a2", "https://www.lida-jx.com/"},
                      {"某某电器", "https://www.gbk-dq.com/", ""}},
                     "http://e.so.com/search/eclk?p=1");
  EXPECT_EQ(Read(eg360, page),
            (std::vector<Row>{{"http://e.so.com/search/eclk?p=1", "classic", "paid"},
                              {"https://www.so.com/link?m=a1", "page", ""},
                              {"https://www.lida-jx.com/", "page", ""},
                              {"https://www.gbk-dq.com/", "page", ""}}));
}

TEST(PageReader, SogouRelativeLinksBecomeAbsoluteAndSnapshotsAndHintsAreSkipped) {
  SetEngineSettings(TEngineSettings{});
  std::string page = SogouTodayPage({{"恒达电子", "/link?url=s1", ""},
                                     {"力达机械", "/link?url=s2", "https://www.lida-jx.com/"},
                                     {"某某电器", "http://www.gbk-dq.com/", ""}},
                                    "http://www.sogou.com/bill_cpc?v=1&amp;k=2");
  // The paid link sits in a result block too: the classic pass gave it, so it comes once.
  EXPECT_EQ(Read(egSogou, page),
            (std::vector<Row>{{"http://www.sogou.com/bill_cpc?v=1&amp;k=2", "classic", "paid"},
                              {"http://www.gbk-dq.com/", "classic", ""},
                              {"https://www.sogou.com/link?url=s1", "page", ""},
                              {"https://www.lida-jx.com/", "page", ""}}));
}

std::vector<Row> ReadFixture(TEngine engine, const std::string& name) {
  return Read(engine, ReadFileBytes(TestDataPath("results/" + name)));
}

// Sogou has titled its results h3.vr-title, h3.vrTitle and h3.pt: each gives its blocks'
// results, without the hint and special cards, snapshots and the page's navigation.
TEST(PageReader, SogouTitlesWhateverTheirClass) {
  SetEngineSettings(TEngineSettings{});
  for (const char* name : {"sogou_vr_title.html", "sogou_vrtitle.html"}) {
    std::string id = std::string(name) == "sogou_vr_title.html" ? "vA" : "vB";
    EXPECT_EQ(ReadFixture(egSogou, name),
              (std::vector<Row>{{"http://www.lida-jx.com/", "classic", ""},
                                {"http://www.hengda-dz.com/", "page", ""},
                                {"https://www.sogou.com/link?url=" + id + "3", "page", ""}}))
        << name;
  }
  EXPECT_EQ(ReadFixture(egSogou, "sogou_pt.html"),
            (std::vector<Row>{{"http://www.sogou.com/bill_cpc?v=1&amp;k=2", "classic", "paid"},
                              {"http://www.lida-jx.com/", "classic", ""},
                              {"https://www.sogou.com/link?url=pC1", "page", ""},
                              {"https://www.sogou.com/link?url=pC3", "page", ""}}));
}

// Links to other engines, the engine's verticals and portals are navigation: left out
// outside the result blocks of a recognised page, and by host on any other page.
TEST(PageReader, NoNavigationCrawled) {
  SetEngineSettings(TEngineSettings{});
  std::vector<Row> classicPage = {{"http://e.so.com/search/eclk?p=2&amp;url=q2", "classic", "paid"},
                                  {"http://www.hengda-dz.com/", "classic", ""},
                                  {"http://www.lida-jx.com/", "classic", ""}};
  EXPECT_EQ(ReadFixture(eg360, "so360_classic.html"), classicPage);
  EXPECT_EQ(ReadFixture(eg360, "so360_today.html"),
            (std::vector<Row>{{"http://e.so.com/search/eclk?p=1&amp;url=q1", "classic", "paid"},
                              {"http://www.hengda-dz.com/", "classic", ""},
                              {"http://www.fs-dq.com/about.html", "classic", ""},
                              {"https://www.lida-jx.com/", "page", ""},
                              {"https://www.so.com/link?m=a3", "page", ""}}));
  TEngineSettings settings;
  settings.PageReader = false;
  SetEngineSettings(settings);
  EXPECT_EQ(ReadFixture(eg360, "so360_classic.html"), classicPage);
  EXPECT_EQ(ReadFixture(eg360, "so360_today.html").size(), 3u);
  // The hosts come from the settings: without bing.com there, its link is crawled.
  settings.PortalDomains = {"360kan.com", "hao123.com", "163.com"};
  SetEngineSettings(settings);
  EXPECT_EQ(ReadFixture(eg360, "so360_classic.html").size(), 4u);
  SetEngineSettings(TEngineSettings{});
}

TEST(PageReader, AddsNothingToPagesInTheClassicMarkup) {
  SetEngineSettings(TEngineSettings{});
  TRegExp re;
  TPageText baidu = DecodeBody(
      BaiduResultPage({{"认证公司", "http://www.baidu.com/baidu.php?url=c1"}},
                      {{"普通", "http://www.baidu.com/link?url=o1&amp;wd=x"},
                       {"没有网址", ""},
                       {"认证结果", "http://www.baidu.com/link?url=o3", true, "某某五金有限公司"}}),
      true);
  TBaiduPage found = TBaiduResults::ReadPage(re, baidu);
  EXPECT_EQ(found.Certified.size() + found.Ordinary.size(), 3u);
  EXPECT_TRUE(found.Structural.empty());
  TPageText links = DecodeBody(LinkResultPage({Anchor("http://www.a-co.com/", "甲"),
                                               Anchor("http://www.B-co.com/x?a=1&amp;b=2", "乙")}),
                               true);
  for (TEngine engine : {eg360, egSogou}) {
    EXPECT_EQ(TLinkResults::ResultLinks(re, engine, links).size(), 2u);
  }
}

TEST(PageReader, ClassicOnlyWhenTheSettingsSaySo) {
  TEngineSettings settings;
  settings.PageReader = false;
  SetEngineSettings(settings);
  EXPECT_TRUE(
      Read(egBaidu, BaiduTodayPage({{"甲", "http://www.baidu.com/link?url=r1", ""}})).empty());
  EXPECT_EQ(Read(eg360, So360TodayPage({{"甲", "https://www.so.com/link?m=a1", ""}})).size(), 0u);
  SetEngineSettings(TEngineSettings{});
}

}  // namespace
}  // namespace zoqa::test
