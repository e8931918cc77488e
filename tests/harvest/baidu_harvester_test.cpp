// The Baidu harvester: search URLs, result blocks, the page threshold and retries, gates,
// cookies, status lines, stopping, pausing and the end pass over its crawlers.
#include "harvest/baiduharvester.h"
#include "harvest/results/baiduresults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "harvest/net/storehold.h"
#include "harvestfixture.h"

namespace zoqa::test {
namespace {

using Strings = std::vector<std::string>;

TEST(BaiduSearchUrl, EncodesTheKeywordAsCodePage936AndCountsResults) {
  EXPECT_EQ(TBaiduHarvester::SearchUrl(Cp936("广州 电子"), 0),
            "http://www.baidu.com/s?wd=%B9%E3%D6%DD%20%B5%E7%D7%D3");
  EXPECT_EQ(TBaiduHarvester::SearchUrl("led-lamp_v2.0", 3),
            "http://www.baidu.com/s?wd=led-lamp_v2.0&pn=30");
  EXPECT_EQ(TBaiduHarvester::SearchUrl("a&b=c", 1), "http://www.baidu.com/s?wd=a%26b%3Dc&pn=10");
}

class BaiduBlocksTest : public ::testing::Test {
 protected:
  std::vector<TResultLink> Certified(const std::string& page) {
    return TBaiduResults::CertifiedResults(re, TBaiduResults::ResultColumn(TPageText(Cp936(page))));
  }
  std::vector<TResultLink> Ordinary(const std::string& page) {
    return TBaiduResults::OrdinaryResults(re, TBaiduResults::ResultColumn(TPageText(Cp936(page))));
  }
  TRegExp re;
};

TEST_F(BaiduBlocksTest, CertifiedBlocksNeedTheirPaidClickAnchor) {
  auto results =
      Certified(BaiduResultPage({{"广州恒达电子有限公司", "http://www.baidu.com/baidu.php?url=a1"},
                                 {"没有链接的公司", "http://www.baidu.com/baidu.php?url=a2", false},
                                 {"深圳：某某科技", "http://www.baidu.com/baidu.php?url=a3"}},
                                {{"普通结果", "http://www.baidu.com/link?url=x"}}));
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(Cp936ToUtf8(results[0].Title), "广州恒达电子有限公司");
  EXPECT_EQ(results[0].Link, "http://www.baidu.com/baidu.php?url=a1");
  EXPECT_EQ(results[0].Certified, 1);
  // Full-width colons are removed from titles.
  EXPECT_EQ(Cp936ToUtf8(results[1].Title), "深圳某某科技");
}

TEST_F(BaiduBlocksTest, ResultBlocksTakeDataToolsAndHintLabels) {
  auto results = Ordinary(BaiduResultPage(
      {{"推广公司", "http://www.baidu.com/baidu.php?url=a1"}},
      {{"佛山某某陶瓷_官网", "http://www.baidu.com/link?url=r1"},
       {"没有网址", ""},
       {"认证结果", "http://www.baidu.com/link?url=r3", true, "东莞某某五金有限公司"},
       {"无标签", "http://www.baidu.com/link?url=r4", true, ""},
       {"单引号", "http://www.baidu.com/link?url=r5", false, "", true}}));
  ASSERT_EQ(results.size(), 4u);
  EXPECT_EQ(Cp936ToUtf8(results[0].Title), "佛山某某陶瓷_官网");
  EXPECT_EQ(results[0].Link, "http://www.baidu.com/link?url=r1");
  EXPECT_EQ(results[0].Certified, 0);
  EXPECT_EQ(Cp936ToUtf8(results[1].Title), "东莞某某五金有限公司");
  EXPECT_EQ(results[1].Certified, 1);
  EXPECT_EQ(results[2].Title, "");
  EXPECT_EQ(results[2].Certified, 1);
  EXPECT_EQ(Cp936ToUtf8(results[3].Title), "单引号");
  EXPECT_EQ(results[3].Link, "http://www.baidu.com/link?url=r5");
}

TEST_F(BaiduBlocksTest, NothingOutsideTheResultColumn) {
  std::string page = BaiduResultPage({}, {{"结果", "http://www.baidu.com/link?url=r1"}});
  std::string noColumn = page;
  noColumn.replace(noColumn.find("id=\"content_left\""), 17, "id=\"content_main\"");
  EXPECT_TRUE(Ordinary(noColumn).empty());
  // Blocks after the pager are cut off.
  std::string afterPager = BaiduResultPage({}, {});
  afterPager.insert(afterPager.find("</body>"),
                    "<div class=\"r\" srcid=\"1\" data-tools='{\"title\":\"t\",\"url\":\"http://"
                    "www.baidu.com/link?url=late\"}'>快照</div>");
  EXPECT_TRUE(Ordinary(afterPager).empty());
  EXPECT_EQ(Ordinary(page).size(), 1u);
}

TEST_F(BaiduBlocksTest, ACardWithoutSnapshotLinkDoesNotSwallowTheNextResult) {
  std::string page = BaiduResultPage({}, {{"甲公司", "http://www.baidu.com/link?url=r1"},
                                          {"乙公司", "http://www.baidu.com/link?url=r2"}});
  page.insert(page.find("<div class=\"result c-container\" id=\"2\""),
              "<div class=\"result-op c-container\" srcid=\"51\" data-tools='{\"title\":\"卡片\","
              "\"url\":\"http://www.baidu.com/link?url=card\"}'><h3>卡片</h3></div>\n");
  auto results = Ordinary(page);
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[1].Link, "http://www.baidu.com/link?url=card");
  EXPECT_EQ(results[2].Link, "http://www.baidu.com/link?url=r2");
  EXPECT_EQ(Cp936ToUtf8(results[2].Title), "乙公司");
}

TEST(BaiduLastPage, ReadersNeverSeeAMixOfTwoPages) {
  TempDir dir;
  SetAppDirOverride(dir.Path());
  const std::string a(256 << 10, 'a');
  const std::string b(256 << 10, 'b');
  TBaiduHarvester::SaveLastPage(a);
  std::atomic<int> running{2};
  std::vector<std::thread> writers;
  for (const std::string* text : {&a, &b}) {
    writers.emplace_back([&, text] {
      for (int i = 0; i < 20; ++i) TBaiduHarvester::SaveLastPage(*text);
      running.fetch_sub(1);
    });
  }
  bool whole = true;
  while (whole && running.load() > 0) {
    std::string seen = ReadFileBytes(dir.File("2.txt"));
    whole = seen == a || seen == b;
  }
  for (auto& w : writers) w.join();
  EXPECT_TRUE(whole);
  auto files = std::filesystem::directory_iterator(dir.Path());
  EXPECT_EQ(std::distance(begin(files), end(files)), 1);  // no temporary file left behind
  SetAppDirOverride("");
}

class BaiduHarvesterTest : public HarvestTest {
 protected:
  static constexpr const char* kKeyword = "广州 电子";
  static std::string Page0() { return "/s?wd=%B9%E3%D6%DD%20%B5%E7%D7%D3"; }
  static std::string PageN(int n) { return Page0() + "&pn=" + std::to_string(10 * n); }
  TRequestFilter Searches() const { return {"www.baidu.com", "/s?"}; }
};

TEST_F(BaiduHarvesterTest, PageCountsOnlyAbove1500Bytes) {
  FastGates(150, 10);
  world.Route("www.baidu.com", PageN(4), TWorldResponse::Page(PageOfSize(1500)));
  world.Route("www.baidu.com", PageN(7), TWorldResponse::Page(PageOfSize(1501)));
  auto small = Start(egBaidu, kKeyword, 4);
  auto big = Start(egBaidu, kKeyword, 7);
  // The page without a result column counts as finished; the short one never does.
  ASSERT_TRUE(PumpUntil([&] { return !sink.PagesDone().empty(); }, 10000));
  ASSERT_TRUE(PumpUntil([&] { return world.Count({"www.baidu.com", PageN(4)}) >= 3; }, 10000));
  EXPECT_EQ(sink.PagesDone().front(), 8);
  for (int done : sink.PagesDone()) EXPECT_NE(done, 5);
  EXPECT_EQ(small->PageIndex(), 4);
  StopEverything();
  ASSERT_EQ(sink.Ends().size(), 2u);
  std::vector<int> ends{sink.Ends()[0].PageIndex, sink.Ends()[1].PageIndex};
  std::sort(ends.begin(), ends.end());
  EXPECT_EQ(ends, (std::vector<int>{4, 8}));
}

TEST_F(BaiduHarvesterTest, ThreeAttemptsPerCycle) {
  TEngineGate::For(egBaidu).SetIntervals(1500, 10);
  world.Route("www.baidu.com", Page0(), TWorldResponse::Page("busy", 503));
  WarmUp();
  Start(egBaidu, kKeyword);
  ASSERT_TRUE(PumpUntil([&] { return world.Count(Searches()) >= 6; }, 15000));
  StopEverything();
  // Attempts of one cycle follow each other closely; cycles are a gate interval apart.
  auto log = world.Requests(Searches());
  std::vector<int> cycles{1};
  for (std::size_t i = 1; i < log.size(); ++i) {
    if (log[i].AtMs - log[i - 1].AtMs > 500) {
      cycles.push_back(1);
    } else {
      ++cycles.back();
    }
  }
  for (std::size_t i = 0; i + 1 < cycles.size(); ++i) EXPECT_EQ(cycles[i], 3) << "cycle " << i;
  EXPECT_LE(cycles.back(), 3);
  EXPECT_TRUE(sink.PagesDone().empty());
}

TEST_F(BaiduHarvesterTest, HandsSearchCookiesToResultCrawlersAndReportsInOrder) {
  FastGates(150, 10);
  // The search page sets its cookie on a redirect, so the final search request carries it.
  world.Route("www.baidu.com", Page0(),
              TWorldResponse::Redirect("http://www.baidu.com" + Page0() + "&rsv=1")
                  .WithHeader("Set-Cookie", "BAIDUID=B1; Path=/; Domain=.baidu.com"));
  world.Route("www.baidu.com", Page0() + "&rsv=1",
              TWorldResponse::Page(BaiduResultPage(
                  {{"广州恒达电子有限公司", "http://www.baidu.com/baidu.php?url=c1"}},
                  {{"力达机械", "http://www.baidu.com/link?url=o1"},
                   {"某某五金", "http://www.baidu.com/link?url=o2"}})));
  world.RoutePrefix("www.baidu.com", "/baidu.php", TWorldResponse::Page("x", 404));
  world.RoutePrefix("www.baidu.com", "/link", TWorldResponse::Page("x", 404));
  world.RoutePrefix("www.baidu.com", PageN(1), TWorldResponse::Page("x", 404));

  Start(egBaidu, kKeyword);
  ASSERT_TRUE(PumpUntil([&] { return !sink.PagesDone().empty(); }, 10000));
  ASSERT_TRUE(PumpUntil(
      [&] {
        return world.Count({"www.baidu.com", "/link"}) >= 8 &&
               world.Count({"www.baidu.com", "/baidu.php"}) >= 4;
      },
      15000));
  StopEverything();

  // Certified crawlers get the cookies of the previous page (none on the first page).
  for (const auto& r : world.Requests({"www.baidu.com", "/baidu.php"})) EXPECT_FALSE(r.HasCookie);
  for (const auto& r : world.Requests({"www.baidu.com", "/link"}))
    EXPECT_EQ(r.Cookie, "BAIDUID=B1");

  Strings statuses;
  for (const auto& r : sink.Reports()) {
    if (r.Kind == hkStatus) statuses.push_back(Utf8(r.Info.StatusText));
    if (r.Kind == hkPageDone) statuses.push_back("page " + std::to_string(r.Info.PagesDone));
  }
  ASSERT_GE(statuses.size(), 6u);
  EXPECT_EQ(Strings(statuses.begin(), statuses.begin() + 5),
            (Strings{"正在获取搜索结果...", "正在分析采集结果...", "正在进入企业网站...",
                     "正在进入企业网站...", "正在进入企业网站..."}));
  // The page is reported once its crawlers have ended.
  EXPECT_NE(std::find(statuses.begin() + 5, statuses.end(), "page 1"), statuses.end());
  for (const auto& r : sink.Reports(hkStatus)) {
    EXPECT_EQ(Utf8(r.Info.KeyWord), kKeyword);
    EXPECT_EQ(Utf8(r.Info.EngineName), "百度");
  }
  // The last decoded result page is kept in the program directory.
  std::string saved = ReadFileBytes(dir.File("2.txt"));
  EXPECT_NE(saved.find(Cp936("广州恒达电子有限公司")), std::string::npos);
}

TEST_F(BaiduHarvesterTest, TwoHarvestersShareTheGates) {
  RestoreDefaultGates();
  world.RoutePrefix(
      "www.baidu.com", "/s?",
      TWorldResponse::Page(BaiduResultPage({}, {{"甲", "http://www.baidu.com/link?url=g1"},
                                                {"乙", "http://www.baidu.com/link?url=g2"}})));
  // Each crawler asks for its link once: the site answers, without numbers.
  world.RoutePrefix("www.baidu.com", "/link", TWorldResponse::Redirect("http://www.quiet.com/"));
  AddCompanySite(world, {"www.quiet.com", "首页", "", ""});
  WarmUp();
  Start(egBaidu, "广州 电子");
  Start(egBaidu, "上海 网络");
  ASSERT_TRUE(PumpUntil([&] { return world.Count(Searches()) >= 4; }, 20000));
  StopEverything();

  auto grants = PageGrants("百度");
  ASSERT_GE(grants.size(), 4u);
  // Reports reach the sink a little after their grant, each after its own delay: the slack
  // is a quarter of the interval.
  ExpectSpaced(grants, 1500, "page grant");
  auto starts = CrawlerStarts("/link?url=");
  ASSERT_GE(starts.size(), 3u);
  ExpectSpaced(starts, 750, "crawler start");
  // The requests themselves, with room for how long each takes to set up.
  ExpectSpaced(ArrivalTimes(world.Requests(Searches())), 1000, "search request");
  ExpectSpaced(ArrivalTimes(world.Requests({"www.baidu.com", "/link"})), 500, "link request");
}

TEST_F(BaiduHarvesterTest, StopDuringTheGateWaitEndsPromptlyAndSilently) {
  TEngineGate::For(egBaidu).SetIntervals(5000, 1000);
  // Take the page gate, so the harvester has to wait for it.
  ASSERT_TRUE(PumpUntil([] { return TEngineGate::For(egBaidu).AskPage(); }, 10000));
  world.RoutePrefix("www.baidu.com", "/s?", TWorldResponse::Page(BaiduResultPage({}, {})));
  auto h = Start(egBaidu, kKeyword);
  PumpEvents(300);
  int reports = static_cast<int>(sink.Reports().size());
  auto stopAt = SteadyMs();
  h->Terminate();
  ASSERT_TRUE(PumpUntil([&] { return !sink.Ends().empty(); }, 5000));
  EXPECT_LT(sink.Ends()[0].AtMs - stopAt, 2500);  // at the next gate poll, not the gate
  EXPECT_EQ(static_cast<int>(sink.Reports().size()), reports);
  EXPECT_EQ(world.Count(Searches()), 0);
  EXPECT_EQ(sink.Ends()[0].PageIndex, 0);
}

TEST_F(BaiduHarvesterTest, StopDuringTheCertifiedPassLeavesThePageToBeAskedAgain) {
  FastGates(150, 10);
  // The crawl gate has just granted, and then refuses for a minute.
  ASSERT_TRUE(PumpUntil([] { return TEngineGate::For(egBaidu).AskCrawl(); }, 5000));
  TEngineGate::For(egBaidu).SetIntervals(150, 60000);
  world.RoutePrefix("www.baidu.com", "/s?",
                    TWorldResponse::Page(BaiduResultPage(
                        {{"认证公司", "http://www.baidu.com/baidu.php?url=c1"}}, {})));
  auto h = Start(egBaidu, kKeyword, 2);
  ASSERT_TRUE(PumpUntil([&] { return sink.Count(hkStatus) >= 3; }, 10000));
  h->Terminate();
  ASSERT_TRUE(PumpUntil([&] { return !sink.Ends().empty(); }, 5000));
  EXPECT_EQ(sink.Ends()[0].PageIndex, 2);
  EXPECT_TRUE(sink.PagesDone().empty());
}

TEST_F(BaiduHarvesterTest, HeldHarvesterWaitsAndGoesOnWhereItWas) {
  FastGates(150, 10);
  world.RoutePrefix("www.baidu.com", "/s?", TWorldResponse::Page(BaiduResultPage({}, {})));
  auto h = Start(egBaidu, kKeyword);
  ASSERT_TRUE(PumpUntil([&] { return sink.PagesDone().size() >= 2; }, 10000));
  h->Hold(true);
  PumpEvents(400);  // whatever was under way when held has finished now
  int requests = world.Count(Searches());
  auto pages = sink.PagesDone();
  PumpEvents(800);
  EXPECT_EQ(world.Count(Searches()), requests);
  EXPECT_EQ(sink.PagesDone(), pages);
  EXPECT_TRUE(h->Held());

  h->Hold(false);
  ASSERT_TRUE(PumpUntil([&] { return sink.PagesDone().size() >= pages.size() + 1; }, 10000));
  // Pages go on from where the harvester was held, none skipped or repeated.
  auto all = sink.PagesDone();
  for (std::size_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i], static_cast<int>(i) + 1);

  // A stop while held still ends it, with its end notification.
  h->Hold(true);
  PumpEvents(300);
  h->Terminate();
  ASSERT_TRUE(PumpUntil([&] { return !sink.Ends().empty(); }, 5000));
}

// While the store is unreachable the crawler already running finishes with its company, no
// new crawl starts and no page is asked for; a stop meanwhile still ends the harvester.
TEST_F(BaiduHarvesterTest, StoreHoldStartsNoNewCrawlButLetsRunningOnesFinish) {
  FastGates(150, 1500);
  world.Route("www.baidu.com", Page0(),
              TWorldResponse::Page(
                  BaiduResultPage({}, {{"慢公司", "http://www.baidu.com/link?url=slow"},
                                       {"后公司", "http://www.baidu.com/link?url=next"}})));
  world.RoutePrefix("www.baidu.com", PageN(1), TWorldResponse::Page("x", 404));
  TWorldResponse slow = TWorldResponse::Redirect("http://www.slow-co.com/");
  slow.DelayMs = 500;
  world.Route("www.baidu.com", "/link?url=slow", slow);
  world.Route("www.baidu.com", "/link?url=next", TWorldResponse::Page("x", 404));
  AddCompanySite(world, {"www.slow-co.com", "首页", "020-12345678", "13812345678"});
  auto h = Start(egBaidu, kKeyword);
  ASSERT_TRUE(PumpUntil(
      [&] {
        return world.Count({"www.baidu.com", "/link?url=slow"}) == 1;
      },
      10000));
  {
    TStoreHold hold;
    hold.Set(true);
    ASSERT_TRUE(PumpUntil([&] { return sink.Count(hkCompany) == 1; }, 10000));
    PumpEvents(1800);
    EXPECT_EQ(world.Count({"www.baidu.com", "/link?url=next"}), 0);
    EXPECT_EQ(world.Count(Searches()), 1);
  }
  ASSERT_TRUE(PumpUntil(
      [&] {
        return world.Count({"www.baidu.com", "/link?url=next"}) == 1;
      },
      10000));
  TStoreHold again;
  again.Set(true);
  h->Terminate();
  ASSERT_TRUE(PumpUntil([&] { return !sink.Ends().empty(); }, 5000));
}

TEST_F(BaiduHarvesterTest, EndPassStopsRunningCrawlers) {
  FastGates(150, 10);
  world.Route("www.baidu.com", Page0(),
              TWorldResponse::Page(
                  BaiduResultPage({}, {{"慢公司", "http://www.baidu.com/link?url=slow"}})));
  world.RoutePrefix("www.baidu.com", PageN(1), TWorldResponse::Page("x", 404));
  TWorldResponse slow = TWorldResponse::Redirect("http://www.slow-co.com/");
  slow.DelayMs = 1500;
  world.Route("www.baidu.com", "/link?url=slow", slow);
  AddCompanySite(world, {"www.slow-co.com", "首页", "020-12345678", "13812345678"});

  auto h = Start(egBaidu, kKeyword);
  ASSERT_TRUE(PumpUntil([&] { return world.Count({"www.baidu.com", "/link"}) == 1; }, 10000));
  EXPECT_EQ(h->RunningCrawlers(), 1u);
  int crawlReports = sink.Count(hkCrawlStatus);
  h->Terminate();
  ASSERT_TRUE(PumpUntil([&] { return !sink.Ends().empty(); }, 5000));
  EXPECT_EQ(h->RunningCrawlers(), 0u);
  // The crawler finishes its request and ends without another report.
  ASSERT_TRUE(TWorkerThread::WaitAllEnded(10000, [] { PumpEvents(); }));
  EXPECT_EQ(sink.Count(hkCrawlStatus), crawlReports);
  EXPECT_EQ(sink.Count(hkCompany), 0);
  EXPECT_EQ(world.Count({"www.slow-co.com", "/contact.html"}), 0);
}

}  // namespace
}  // namespace zoqa::test
