// The 360 and Sogou harvesters: search URLs, the links of a result page, page progress,
// failures and the gates.
#include "harvest/linkharvester.h"
#include "harvest/results/linkresults.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "harvestfixture.h"

namespace zoqa::test {
namespace {

using Strings = std::vector<std::string>;

TEST(LinkSearchUrl, So360SendsUtf8AndSogouCodePage936) {
  const std::string keyword = Cp936("广州 电子");
  EXPECT_EQ(TLinkHarvester::SearchUrl(eg360, keyword, 0),
            "http://www.so.com/s?q=%E5%B9%BF%E5%B7%9E%20%E7%94%B5%E5%AD%90");
  EXPECT_EQ(TLinkHarvester::SearchUrl(eg360, keyword, 2),
            "http://www.so.com/s?q=%E5%B9%BF%E5%B7%9E%20%E7%94%B5%E5%AD%90&pn=3");
  EXPECT_EQ(TLinkHarvester::SearchUrl(egSogou, keyword, 0),
            "http://www.sogou.com/web?query=%B9%E3%D6%DD%20%B5%E7%D7%D3");
  EXPECT_EQ(TLinkHarvester::SearchUrl(egSogou, keyword, 2),
            "http://www.sogou.com/web?query=%B9%E3%D6%DD%20%B5%E7%D7%D3&page=3");
}

TEST(LinkMatch, RunsFromHttpToTheNextDoubleQuote) {
  EXPECT_EQ(TLinkResults::MatchLink(Anchor("http://www.a.com/x?y=1", "A")),
            "http://www.a.com/x?y=1");
  EXPECT_EQ(TLinkResults::MatchLink(Anchor("http://www.a.com/", "A", true)), "");
}

class PageLinksTest : public ::testing::Test {
 protected:
  Strings Links(TEngine engine, const std::vector<std::string>& anchors) {
    return TLinkResults::PageLinks(re, engine, TPageText(Cp936(LinkResultPage(anchors))));
  }
  TRegExp re;
};

TEST_F(PageLinksTest, So360PaidLinksFirstThenOutboundOnes) {
  Strings links = Links(eg360, {
                                   Anchor("http://www.site-a.com/", "甲公司"),
                                   Anchor("http://e.so.com/search/eclk?p=1&url=a", "推广甲"),
                                   Anchor("http://www.so.com/link?m=1", "站内"),
                                   Anchor("http://www.360.cn/about", "关于"),
                                   Anchor("http://WWW.SITE-A.COM/", "重复"),
                                   Anchor("http://www.site-b.com/", "单引号", true),
                                   Anchor("http://www.site-c.com/index.html", "丙公司"),
                                   Anchor("http://e.so.com/search/eclk?p=2&url=b", "推广乙"),
                               });
  EXPECT_EQ(links, (Strings{"http://e.so.com/search/eclk?p=1&url=a",
                            "http://e.so.com/search/eclk?p=2&url=b", "http://www.site-a.com/",
                            "http://www.site-c.com/index.html"}));
}

TEST_F(PageLinksTest, SogouPaidLinksGoThroughItsSearchHost) {
  Strings links = Links(egSogou, {
                                     Anchor("http://www.site-a.com/", "甲公司"),
                                     Anchor("http://www.sogou.com/bill_cpc?v=1&k=2", "推广"),
                                     Anchor("http://pic.sogou.com/x", "图片"),
                                     Anchor("http://www.so.com/s?q=1", "别的引擎"),
                                 });
  EXPECT_EQ(links, (Strings{"http://www.sogou.com/bill_cpc?v=1&k=2", "http://www.site-a.com/",
                            "http://www.so.com/s?q=1"}));
  EXPECT_TRUE(TLinkResults::PageLinks(re, egSogou, TPageText("")).empty());
}

class LinkHarvesterTest : public HarvestTest {
 protected:
  static constexpr const char* kKeyword = "广州 电子";
  static std::string So360Page(int index) {
    std::string t = "/s?q=%E5%B9%BF%E5%B7%9E%20%E7%94%B5%E5%AD%90";
    return index == 0 ? t : t + "&pn=" + std::to_string(index + 1);
  }
  static std::string SogouPage(int index) {
    std::string t = "/web?query=%B9%E3%D6%DD%20%B5%E7%D7%D3";
    return index == 0 ? t : t + "&page=" + std::to_string(index + 1);
  }
};

TEST_F(LinkHarvesterTest, So360PagesAdvanceAlsoWithoutLinks) {
  FastGates(150, 10);
  world.Route("www.so.com", So360Page(0), TWorldResponse::Page(""));
  world.Route("www.so.com", So360Page(1), TWorldResponse::Page(LinkResultPage({})));
  world.Route("www.so.com", So360Page(2), TWorldResponse::Page("no", 404));
  Start(eg360, kKeyword);
  ASSERT_TRUE(PumpUntil([&] { return world.Count({"www.so.com", So360Page(2)}) >= 2; }, 10000));
  StopEverything();
  EXPECT_EQ(sink.PagesDone(), (std::vector<int>{1, 2}));
  // A failed request is repeated on the same page, without a page report.
  auto log = world.Requests({"www.so.com", "/s?"});
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[0].Target, So360Page(0));
  EXPECT_EQ(log[1].Target, So360Page(1));
  for (std::size_t i = 2; i < log.size(); ++i) EXPECT_EQ(log[i].Target, So360Page(2));
  ASSERT_EQ(sink.Ends().size(), 1u);
  EXPECT_EQ(sink.Ends()[0].PageIndex, 2);
  for (const auto& r : sink.Reports(hkStatus)) EXPECT_EQ(Utf8(r.Info.EngineName), "360");
}

TEST_F(LinkHarvesterTest, CycleFailuresAreRetriedThenThePageCountsWithNoResults) {
  FastGates(150, 10);
  // A pattern character in a host setting makes every 360 and Baidu page analysis fail.
  TEngineSettings settings = *EngineSettings();
  settings.So360ClickHost = "e.so.com(";
  settings.BaiduDomain = "baidu.com(";
  SetEngineSettings(settings);
  world.RoutePrefix("www.so.com", "/s?", TWorldResponse::Page(LinkResultPage({})));
  world.RoutePrefix("www.baidu.com", "/s?",
                    TWorldResponse::Page(BaiduResultPage(
                        {{"认证公司", "http://www.baidu.com/baidu.php?url=c1"}}, {})));
  Start(eg360, kKeyword);
  Start(egBaidu, kKeyword);
  auto count = [&](const std::string& prefix) {
    Strings statuses = sink.Statuses();
    return std::count_if(statuses.begin(), statuses.end(),
                         [&](const std::string& s) { return s.starts_with(prefix); });
  };
  ASSERT_TRUE(PumpUntil([&] { return count("第 1 页连续 3 次出错，已跳过：") == 2; }, 15000));
  EXPECT_EQ(count("第 1 页处理出错，稍后重试："), 4);
  EXPECT_TRUE(sink.Ends().empty());
  StopEverything();
  for (const char* host : {"www.so.com", "www.baidu.com"}) {
    auto log = world.Requests({host, "/s?"});
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0].Target, log[2].Target);
    EXPECT_TRUE(log.size() == 3 || log[3].Target != log[0].Target);
  }
  for (int done : sink.PagesDone()) EXPECT_GE(done, 1);
}

TEST_F(LinkHarvesterTest, SogouFailureEndsTheHarvester) {
  FastGates(150, 10);
  world.Route("www.sogou.com", SogouPage(3), TWorldResponse::Page(LinkResultPage({})));
  world.Route("www.sogou.com", SogouPage(4), TWorldResponse::Page("busy", 503));
  Start(egSogou, kKeyword, 3);
  ASSERT_TRUE(PumpUntil([&] { return !sink.Ends().empty(); }, 10000));
  EXPECT_EQ(sink.Ends()[0].PageIndex, 4);
  EXPECT_EQ(sink.PagesDone(), std::vector<int>{4});
  EXPECT_EQ(world.Count({"www.sogou.com", SogouPage(4)}), 1);
}

TEST_F(LinkHarvesterTest, CrawlsEveryLinkOnceAndReportsInOrder) {
  FastGates(150, 10);
  world.Route("www.so.com", So360Page(0),
              TWorldResponse::Page(LinkResultPage({
                  Anchor("http://e.so.com/search/eclk?p=1", "推广"),
                  Anchor("http://www.site-a.com/", "甲"),
                  Anchor("http://www.Site-A.com/", "甲"),
              })));
  world.Route("e.so.com", "/search/eclk?p=1", TWorldResponse::Redirect("http://www.site-p.com/"));
  AddCompanySite(world, {"www.site-p.com", "广州某某推广有限公司", "020-11223344", "13811223344"});
  AddCompanySite(world, {"www.site-a.com", "广州某某甲有限公司", "020-55667788", "13955667788"});
  Start(eg360, kKeyword);
  ASSERT_TRUE(
      PumpUntil([&] { return sink.Count(hkCompany) >= 2 && !sink.PagesDone().empty(); }, 15000));
  StopEverything();

  EXPECT_EQ(world.Count({"www.site-a.com", "/contact.html"}), 1);
  const TCompany* paid = sink.Company("广州某某推广有限公司");
  ASSERT_NE(paid, nullptr);
  EXPECT_EQ(paid->IsPay, 1);
  const TCompany* plain = sink.Company("广州某某甲有限公司");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->IsPay, 0);
  Strings statuses = sink.Statuses();
  ASSERT_GE(statuses.size(), 4u);
  EXPECT_EQ(Strings(statuses.begin(), statuses.begin() + 4),
            (Strings{"正在获取搜索结果...", "正在分析采集结果...", "正在进入企业网站...",
                     "正在进入企业网站..."}));
}

TEST_F(LinkHarvesterTest, TwoHarvestersPerEngineShareTheGates) {
  RestoreDefaultGates();
  auto page = [](const std::string& site) {
    return TWorldResponse::Page(LinkResultPage({Anchor("http://" + site + "/", "公司")}));
  };
  world.RoutePrefix("www.so.com", "/s?", page("www.s1.com"));
  world.RoutePrefix("www.sogou.com", "/web?", page("www.s2.com"));
  AddCompanySite(world, {"www.s1.com", "首页", "", ""});
  AddCompanySite(world, {"www.s2.com", "首页", "", ""});
  WarmUp();
  Start(eg360, "广州 电子");
  Start(eg360, "上海 网络");
  Start(egSogou, "广州 电子");
  Start(egSogou, "上海 网络");
  ASSERT_TRUE(PumpUntil(
      [&] {
        return world.Count({"www.so.com", "/s?"}) >= 3 &&
               world.Count({"www.sogou.com", "/web?"}) >= 3;
      },
      30000));
  StopEverything();

  // Reports reach the sink a little after their grant: a quarter of the interval as slack.
  ExpectSpaced(PageGrants("360"), 2250, "360 page grant");
  ExpectSpaced(PageGrants("搜狗"), 2250, "Sogou page grant");
  ExpectSpaced(CrawlerStarts("www.s1.com"), 1500, "360 crawler start");
  ExpectSpaced(CrawlerStarts("www.s2.com"), 1500, "Sogou crawler start");
  EXPECT_GE(CrawlerStarts("www.s1.com").size(), 2u);
  ExpectSpaced(ArrivalTimes(world.Requests({"www.so.com", "/s?"})), 1500, "360 request");
  ExpectSpaced(ArrivalTimes(world.Requests({"www.sogou.com", "/web?"})), 1500, "Sogou request");
}

}  // namespace
}  // namespace zoqa::test
