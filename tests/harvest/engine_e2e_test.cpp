// Each engine end to end against the loopback world: result pages, click redirectors,
// company sites and the filing registry, with the reports arriving at a recording sink.
#include <gtest/gtest.h>

#include <set>

#include "harvestfixture.h"

namespace zoqa::test {
namespace {

using Strings = std::vector<std::string>;

class EngineEndToEnd : public HarvestTest {
 protected:
  void SetUp() override {
    FastGates(200, 10);
    // Sites shared by all engines' results.
    AddCompanySite(world, {"www.hengda-dz.com", "恒达首页", "020-12345678", "13812345678", true,
                           false, "广州恒达电子有限公司"});
    AddCompanySite(world, {"www.lida-jx.com", "力达机械", "0757-87654321", "15012345678", false,
                           false, "佛山力达机械有限公司"});
    AddCompanySite(world, {"www.gbk-dq.com", "深圳某某电器有限公司", "0755-22223333", "13622223333",
                           true, true});
    AddCompanySite(world, {"www.nomob.com", "无手机", "020-33334444", "", true, false,
                           "广州无手机贸易有限公司"});
    // Same company on a second site.
    AddCompanySite(world, {"www.hengda2.com", "恒达分站", "020-12345679", "13812345679", true,
                           false, "广州恒达电子有限公司"});
  }

  // Runs one harvester until its first page is done and every crawler it started has ended.
  void RunFirstPage(TEngine engine) {
    auto h = Start(engine, "广州 电子");
    ASSERT_TRUE(PumpUntil([&] { return !sink.PagesDone().empty(); }, 20000));
    ASSERT_TRUE(PumpUntil([&] { return h->RunningCrawlers() == 0; }, 30000));
    StopEverything();
  }

  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& c : sink.Companies()) names.insert(Utf8(c.ComName));
    return names;
  }
};

TEST_F(EngineEndToEnd, Baidu) {
  world.Route("www.baidu.com", "/s?wd=%B9%E3%D6%DD%20%B5%E7%D7%D3",
              TWorldResponse::Page(BaiduResultPage(
                  {{"广州恒达电子（认证）", "http://www.baidu.com/baidu.php?url=c1"}},
                  {{"力达机械_官网", "http://www.baidu.com/link?url=o1"},
                   {"电器", "http://www.baidu.com/link?url=o2", true, "深圳某某电器有限公司"},
                   {"无手机", "http://www.baidu.com/link?url=o3"},
                   {"恒达分站", "http://www.baidu.com/link?url=o4"},
                   {"百度知道", "http://www.baidu.com/link?url=o5"}})));
  world.RoutePrefix("www.baidu.com",
                    "/s?wd=%B9%E3%D6%DD%20%B5%E7%D7%D3&pn=", TWorldResponse::Page("no", 404));
  world.Route("www.baidu.com", "/baidu.php?url=c1",
              TWorldResponse::Redirect("http://www.hengda-dz.com/"));
  world.Route("www.baidu.com", "/link?url=o1", TWorldResponse::Redirect("http://www.lida-jx.com/"));
  world.Route("www.baidu.com", "/link?url=o2", TWorldResponse::Redirect("http://www.gbk-dq.com/"));
  world.Route("www.baidu.com", "/link?url=o3", TWorldResponse::Redirect("http://www.nomob.com/"));
  world.Route("www.baidu.com", "/link?url=o4", TWorldResponse::Redirect("http://www.hengda2.com/"));
  world.Route("www.baidu.com", "/link?url=o5",
              TWorldResponse::Redirect("http://zhidao.baidu.com/question/1.html"));
  world.Route("zhidao.baidu.com", "/question/1.html",
              TWorldResponse::Page(ContactPage("知道", "020-99990000", "13899990000")));

  RunFirstPage(egBaidu);

  // The certified block keeps its title; the others take the registry's name; a site on an
  // engine domain and a contact page without mobile still report only what they have.
  EXPECT_EQ(Names(), (std::set<std::string>{"广州恒达电子（认证）", "佛山力达机械有限公司",
                                            "深圳某某电器有限公司", "广州无手机贸易有限公司",
                                            "广州恒达电子有限公司"}));
  const TCompany* certified = sink.Company("广州恒达电子（认证）");
  ASSERT_NE(certified, nullptr);
  EXPECT_EQ(certified->IsPay, 1);
  EXPECT_EQ(certified->RenZheng, 1);
  EXPECT_EQ(certified->Mobiles, Strings{"13812345678"});
  const TCompany* label = sink.Company("深圳某某电器有限公司");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->RenZheng, 1);
  EXPECT_EQ(label->Mobiles, Strings{"13622223333"});
  const TCompany* lida = sink.Company("佛山力达机械有限公司");
  ASSERT_NE(lida, nullptr);
  EXPECT_EQ(lida->IsPay, 0);
  EXPECT_EQ(lida->Tels, Strings{"0757-87654321"});
  EXPECT_EQ(lida->WebUrl, "http://www.lida-jx.com/");
  for (const auto& c : sink.Companies()) {
    EXPECT_EQ(Utf8(c.Source), "百度");
    EXPECT_EQ(Utf8(c.KeyWord), "广州 电子");
  }
  EXPECT_EQ(sink.PagesDone().front(), 1);
  Strings statuses = sink.Statuses();
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "正在进入企业网站..."), 6);
  Strings crawl = sink.CrawlStatuses();
  EXPECT_EQ(
      std::count_if(crawl.begin(), crawl.end(),
                    [](const std::string& line) { return line.starts_with("企业信息采集完成:"); }),
      5);
  ASSERT_EQ(sink.Ends().size(), 1u);
  EXPECT_EQ(sink.Ends()[0].PageIndex, 1);
}

TEST_F(EngineEndToEnd, So360) {
  world.Route("www.so.com", "/s?q=%E5%B9%BF%E5%B7%9E%20%E7%94%B5%E5%AD%90",
              TWorldResponse::Page(LinkResultPage({
                  Anchor("http://www.lida-jx.com/", "力达"),
                  Anchor("http://e.so.com/search/eclk?p=9&url=x", "推广"),
                  Anchor("http://www.so.com/link?m=2", "站内"),
                  Anchor("http://www.nomob.com/", "无手机"),
              })));
  world.RoutePrefix("www.so.com", "/s?q=%E5%B9%BF%E5%B7%9E%20%E7%94%B5%E5%AD%90&pn=",
                    TWorldResponse::Page("no", 404));
  world.Route("e.so.com", "/search/eclk?p=9&url=x",
              TWorldResponse::Redirect("http://www.hengda-dz.com/"));

  RunFirstPage(eg360);

  EXPECT_EQ(Names(), (std::set<std::string>{"广州恒达电子有限公司", "佛山力达机械有限公司",
                                            "广州无手机贸易有限公司"}));
  const TCompany* paid = sink.Company("广州恒达电子有限公司");
  ASSERT_NE(paid, nullptr);
  EXPECT_EQ(paid->IsPay, 1);
  EXPECT_EQ(Utf8(paid->Source), "360");
  EXPECT_EQ(world.Count({"www.so.com", "/link"}), 0);
  EXPECT_EQ(sink.PagesDone().front(), 1);
}

TEST_F(EngineEndToEnd, Sogou) {
  world.Route("www.sogou.com", "/web?query=%B9%E3%D6%DD%20%B5%E7%D7%D3",
              TWorldResponse::Page(LinkResultPage({
                  Anchor("http://www.sogou.com/bill_cpc?v=1&k=3", "推广"),
                  Anchor("http://www.gbk-dq.com/", "电器"),
                  Anchor("http://pic.sogou.com/x", "图片"),
              })));
  world.RoutePrefix("www.sogou.com", "/web?query=%B9%E3%D6%DD%20%B5%E7%D7%D3&page=",
                    TWorldResponse::Page("no", 404));
  world.Route("www.sogou.com", "/bill_cpc?v=1&k=3",
              TWorldResponse::Redirect("http://www.lida-jx.com/"));

  // The second page fails, which ends the Sogou harvester after its first page; its crawlers
  // have the page gate's interval to finish before the end pass stops them.
  TEngineGate::For(egSogou).SetIntervals(3000, 10);
  Start(egSogou, "广州 电子");
  ASSERT_TRUE(PumpUntil([&] { return !sink.Ends().empty(); }, 20000));
  ASSERT_TRUE(TWorkerThread::WaitAllEnded(30000, [] { PumpEvents(); }));

  EXPECT_EQ(Names(), (std::set<std::string>{"佛山力达机械有限公司", "深圳某某电器有限公司"}));
  const TCompany* paid = sink.Company("佛山力达机械有限公司");
  ASSERT_NE(paid, nullptr);
  EXPECT_EQ(paid->IsPay, 1);
  EXPECT_EQ(Utf8(paid->Source), "搜狗");
  EXPECT_EQ(world.Count({"pic.sogou.com", ""}), 0);
  EXPECT_EQ(sink.PagesDone(), std::vector<int>{1});
  EXPECT_EQ(sink.Ends()[0].PageIndex, 1);
}

// Today's markup: the structural reader's results are crawled after the classic ones, through
// the engines' redirectors or straight to the targets the blocks carry.
TEST_F(EngineEndToEnd, TodaysBaiduMarkup) {
  world.Route("www.baidu.com", "/s?wd=%B9%E3%D6%DD%20%B5%E7%D7%D3",
              TWorldResponse::Page(BaiduTodayPage(
                  {{"恒达", "http://www.baidu.com/link?url=t1", ""},
                   {"力达", "http://www.baidu.com/link?url=t2", "http://www.lida-jx.com/"},
                   {"深圳某某电器有限公司", "http://www.gbk-dq.com/", "", true}})));
  world.RoutePrefix("www.baidu.com",
                    "/s?wd=%B9%E3%D6%DD%20%B5%E7%D7%D3&pn=", TWorldResponse::Page("no", 404));
  world.Route("www.baidu.com", "/link?url=t1",
              TWorldResponse::Redirect("http://www.hengda-dz.com/"));

  RunFirstPage(egBaidu);

  EXPECT_EQ(Names(), (std::set<std::string>{"广州恒达电子有限公司", "佛山力达机械有限公司",
                                            "深圳某某电器有限公司"}));
  EXPECT_EQ(sink.Company("深圳某某电器有限公司")->IsPay, 1);
  EXPECT_EQ(sink.Company("佛山力达机械有限公司")->IsPay, 0);
  EXPECT_EQ(world.Count({"www.baidu.com", "/link?url=t2"}), 0);
  EXPECT_EQ(world.Count({"baike.baidu.com", ""}), 0);
}

TEST_F(EngineEndToEnd, TodaysSo360Markup) {
  world.Route("www.so.com", "/s?q=%E5%B9%BF%E5%B7%9E%20%E7%94%B5%E5%AD%90",
              TWorldResponse::Page(So360TodayPage(
                  {{"无手机", "http://www.so.com/link?m=t3", ""},
                   {"力达", "http://www.so.com/link?m=t4", "http://www.lida-jx.com/"}})));
  world.RoutePrefix("www.so.com", "/s?q=%E5%B9%BF%E5%B7%9E%20%E7%94%B5%E5%AD%90&pn=",
                    TWorldResponse::Page("no", 404));
  world.Route("www.so.com", "/link?m=t3", TWorldResponse::Redirect("http://www.nomob.com/"));

  RunFirstPage(eg360);

  EXPECT_EQ(Names(), (std::set<std::string>{"佛山力达机械有限公司", "广州无手机贸易有限公司"}));
  EXPECT_EQ(world.Count({"c.360webcache.com", ""}), 0);
}

}  // namespace
}  // namespace zoqa::test
