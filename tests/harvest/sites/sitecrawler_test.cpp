// The company-site crawlers of the three engines, started directly against the world.
#include "harvest/sites/sitecrawler.h"

#include <gtest/gtest.h>

#include "harvest/harvestfixture.h"
#include "harvest/results/pageredirect.h"

namespace zoqa::test {
namespace {

using Strings = std::vector<std::string>;

const char kKeyword[] = "广州 电子";

class CrawlerTest : public HarvestTest {
 protected:
  // Runs one crawler to its end, delivering its reports.
  void Run(const std::shared_ptr<TSiteCrawler>& crawler) {
    crawler->Launch();
    ASSERT_TRUE(PumpUntil([&] { return ended.load() && TWorkerThread::Running() == 0; }, 30000));
    PumpEvents(10);
  }

  void RunBaidu(const std::string& link, const std::string& titleUtf8, std::uint8_t certified,
                const std::string& cookie = "") {
    TCrawlOrder para;
    para.WindowHandle = sink.Link();
    para.LinkUrl = link;
    para.Title = Cp936(titleUtf8);
    para.Certified = certified;
    para.CookieText = cookie;
    para.KeyWord = Cp936(kKeyword);
    Run(TSiteCrawler::CreateBaidu(para, OnEnd()));
  }

  void RunOther(TEngine engine, const std::string& link) {
    Run(TSiteCrawler::Create(engine, sink.Link(), Cp936(kKeyword), link, OnEnd()));
  }

  TSiteCrawler::TEndHandler OnEnd() {
    return [this](TSiteCrawler&) { ended = true; };
  }

  std::atomic<bool> ended{false};
};

TEST_F(CrawlerTest, CertifiedBaiduResultKeepsItsTitleAndReportsInOrder) {
  const std::string link = "http://www.baidu.com/baidu.php?url=c1";
  world.Route("www.baidu.com", "/baidu.php?url=c1",
              TWorldResponse::Redirect("http://www.hengda-dz.com/"));
  AddCompanySite(world, {"www.hengda-dz.com", "恒达电子首页", "020-12345678", "13812345678", true,
                         false, "注册的另一个单位名称有限公司"});

  RunBaidu(link, "广州恒达电子有限公司", 1);

  auto companies = sink.Companies();
  ASSERT_EQ(companies.size(), 1u);
  const TCompany& c = companies[0];
  EXPECT_EQ(Utf8(c.ComName), "广州恒达电子有限公司");
  EXPECT_EQ(c.KeyWord, Cp936(kKeyword));
  EXPECT_EQ(c.Tels, Strings{"020-12345678"});
  EXPECT_EQ(c.Mobiles, Strings{"13812345678"});
  EXPECT_EQ(c.WebUrl, "http://www.hengda-dz.com/");
  EXPECT_EQ(Utf8(c.Source), "百度");
  EXPECT_EQ(c.IsPay, 1);
  EXPECT_EQ(c.RenZheng, 1);
  // Certified results need no filing lookup.
  EXPECT_EQ(world.Count({RegistryHost(), ""}), 0);

  EXPECT_EQ(sink.CrawlStatuses(),
            (Strings{"正在进入企业网站:" + link, "正在分析企业详细信息:http://www.hengda-dz.com/",
                     "正在提取联系方式:http://www.hengda-dz.com/contact.html",
                     "开始获取企业详细信息...", "正在获取[广州恒达电子有限公司]详细信息...",
                     "企业信息采集完成:http://www.hengda-dz.com/"}));
  // The record arrives between the last two status lines.
  const auto& all = sink.Reports();
  ASSERT_GE(all.size(), 2u);
  EXPECT_EQ(all[all.size() - 2].Kind, hkCompany);
  // The click link's first request carried no cookie.
  EXPECT_FALSE(world.Requests({"www.baidu.com", "/baidu.php"})[0].HasCookie);
}

TEST_F(CrawlerTest, OrdinaryBaiduResultTakesTheRegistryNameAndHandsOverCookies) {
  world.Route("www.baidu.com", "/link?url=o1", TWorldResponse::Redirect("http://www.lida.com/"));
  AddCompanySite(
      world, {"www.lida.com", "力达首页", "", "13900001111", true, false, "广州力达机械有限公司"});

  RunBaidu("http://www.baidu.com/link?url=o1", "力达机械_官网", 0, "BAIDUID=abc; H_PS=1");

  auto companies = sink.Companies();
  ASSERT_EQ(companies.size(), 1u);
  EXPECT_EQ(Utf8(companies[0].ComName), "广州力达机械有限公司");
  EXPECT_EQ(companies[0].IsPay, 0);
  EXPECT_EQ(companies[0].RenZheng, 0);
  EXPECT_EQ(world.Requests({"www.baidu.com", "/link"})[0].Cookie, "BAIDUID=abc; H_PS=1");
  auto registry = world.Requests({RegistryHost(), ""});
  ASSERT_EQ(registry.size(), 1u);
  EXPECT_EQ(registry[0].Target, "/search/lida.com");
}

TEST_F(CrawlerTest, FailedLookupKeepsTheBlockTitle) {
  world.Route("www.baidu.com", "/link?url=o2", TWorldResponse::Redirect("http://www.nofile.com/"));
  AddCompanySite(world, {"www.nofile.com", "首页", "", "13900002222"});
  RunBaidu("http://www.baidu.com/link?url=o2", "佛山某某五金厂", 0);
  ASSERT_EQ(sink.Companies().size(), 1u);
  EXPECT_EQ(Utf8(sink.Companies()[0].ComName), "佛山某某五金厂");
  EXPECT_EQ(world.Count({RegistryHost(), ""}), 1);
}

TEST_F(CrawlerTest, EngineDomainRedirectYieldsNothing) {
  world.Route("www.baidu.com", "/link?url=e1",
              TWorldResponse::Redirect("http://www.baidu.com/s?wd=%B5%E7%D7%D3"));
  world.Route(
      "www.baidu.com", "/s?wd=%B5%E7%D7%D3",
      TWorldResponse::Page(CompanyHomePage("百度", "", "<p>电话：020-12345678 13812345678</p>")));
  RunBaidu("http://www.baidu.com/link?url=e1", "某某公司", 0);

  EXPECT_EQ(sink.Count(hkCompany), 0);
  EXPECT_EQ(sink.CrawlStatuses(), Strings{"正在进入企业网站:http://www.baidu.com/link?url=e1"});
  EXPECT_EQ(world.Count({RegistryHost(), ""}), 0);
}

TEST_F(CrawlerTest, SiteWithoutContactLinkIsReadFromItsHomePage) {
  world.Route("www.baidu.com", "/link?url=h1",
              TWorldResponse::Redirect("http://www.homeonly.com/"));
  AddCompanySite(world, {"www.homeonly.com", "首页", "0757-87654321", "15012345678", false});
  RunBaidu("http://www.baidu.com/link?url=h1", "佛山某某陶瓷有限公司", 1);

  ASSERT_EQ(sink.Companies().size(), 1u);
  EXPECT_EQ(sink.Companies()[0].Tels, Strings{"0757-87654321"});
  EXPECT_EQ(sink.Companies()[0].Mobiles, Strings{"15012345678"});
  for (const auto& line : sink.CrawlStatuses()) {
    EXPECT_EQ(line.find("正在提取联系方式"), std::string::npos) << line;
  }
}

TEST_F(CrawlerTest, ContactPageWithoutNumbersYieldsNoRecord) {
  world.Route("www.baidu.com", "/link?url=n1", TWorldResponse::Redirect("http://www.nonum.com/"));
  AddCompanySite(world, {"www.nonum.com", "首页", "", ""});
  // The home page has numbers, but a contact page that was read is not followed by it.
  world.Route("www.nonum.com", "/",
              TWorldResponse::Page(CompanyHomePage("首页", "/contact.html",
                                                   "<p>电话：020-11112222 13811112222</p>")));
  RunBaidu("http://www.baidu.com/link?url=n1", "某某科技有限公司", 1);

  EXPECT_EQ(sink.Count(hkCompany), 0);
  ASSERT_FALSE(sink.CrawlStatuses().empty());
  EXPECT_EQ(sink.CrawlStatuses().back(), "企业信息采集完成:http://www.nonum.com/");
}

TEST_F(CrawlerTest, CodePage936SiteIsReadAsItIs) {
  world.Route("www.baidu.com", "/link?url=g1",
              TWorldResponse::Redirect("http://www.gbk-site.com/"));
  AddCompanySite(world, {"www.gbk-site.com", "深圳某某电器有限公司", "0755-22223333", "13622223333",
                         true, true});
  RunBaidu("http://www.baidu.com/link?url=g1", "", 1);

  ASSERT_EQ(sink.Companies().size(), 1u);
  EXPECT_EQ(Utf8(sink.Companies()[0].ComName), "深圳某某电器有限公司");
  EXPECT_EQ(sink.Companies()[0].Mobiles, Strings{"13622223333"});
}

TEST_F(CrawlerTest, BaiduLinkIsTriedFourTimesWithoutAReport) {
  world.Route("www.baidu.com", "/link?url=f1", TWorldResponse::Page("busy", 503));
  RunBaidu("http://www.baidu.com/link?url=f1", "某某公司", 0);
  EXPECT_EQ(world.Count({"www.baidu.com", "/link?url=f1"}), 4);
  EXPECT_EQ(sink.Count(hkCompany), 0);
  EXPECT_EQ(sink.CrawlStatuses().size(), 1u);
}

TEST_F(CrawlerTest, StopDuringTheLinkRequestEndsQuietly) {
  TWorldResponse slow = TWorldResponse::Redirect("http://www.slow-co.com/");
  slow.DelayMs = 1200;
  world.Route("www.baidu.com", "/link?url=s1", slow);
  AddCompanySite(world, {"www.slow-co.com", "首页", "020-12345678", "13812345678"});
  TCrawlOrder para;
  para.WindowHandle = sink.Link();
  para.LinkUrl = "http://www.baidu.com/link?url=s1";
  para.Title = Cp936("某某公司");
  para.KeyWord = Cp936(kKeyword);
  auto crawler = TSiteCrawler::CreateBaidu(para, OnEnd());
  crawler->Launch();
  ASSERT_TRUE(PumpUntil([&] { return world.Count({"www.baidu.com", "/link"}) == 1; }, 10000));
  crawler->Terminate();
  crawler.reset();
  ASSERT_TRUE(PumpUntil([&] { return ended.load() && TWorkerThread::Running() == 0; }, 10000));
  PumpEvents(10);
  EXPECT_EQ(sink.Count(hkCompany), 0);
  EXPECT_EQ(sink.CrawlStatuses().size(), 1u);
  // The redirect belongs to the request under way; nothing after it is read.
  EXPECT_EQ(world.Count({"www.slow-co.com", "/contact.html"}), 0);
}

TEST_F(CrawlerTest, So360CrawlerMarksPaidClicksAndNamesFromTheRegistry) {
  const std::string paid = "http://e.so.com/search/eclk?p=1&url=abc";
  world.Route("e.so.com", "/search/eclk?p=1&url=abc",
              TWorldResponse::Redirect("http://www.360co.com/"));
  AddCompanySite(world, {"www.360co.com", "首页", "020-55556666", "18912345678", true, false,
                         "广州某某三六零有限公司"});
  RunOther(eg360, paid);

  ASSERT_EQ(sink.Companies().size(), 1u);
  const TCompany c = sink.Companies()[0];
  EXPECT_EQ(Utf8(c.ComName), "广州某某三六零有限公司");
  EXPECT_EQ(Utf8(c.Source), "360");
  EXPECT_EQ(c.IsPay, 1);
  EXPECT_EQ(c.RenZheng, 0);
  for (const auto& line : sink.CrawlStatuses()) EXPECT_FALSE(line.starts_with("企业信息采集完成"));
}

TEST_F(CrawlerTest, SogouCrawlerNamesFromPageTitlesWithoutRegistry) {
  world.Route("www.sogou.com", "/bill_cpc?v=1", TWorldResponse::Redirect("http://www.sgco.com/"));
  AddCompanySite(world, {"www.sgco.com", "首页_东莞某某塑胶制品有限公司-产品中心", "0769-22334455",
                         "13712345678"});
  RunOther(egSogou, "http://www.sogou.com/bill_cpc?v=1");

  ASSERT_EQ(sink.Companies().size(), 1u);
  const TCompany c = sink.Companies()[0];
  EXPECT_EQ(Utf8(c.ComName), "东莞某某塑胶制品有限公司");
  EXPECT_EQ(Utf8(c.Source), "搜狗");
  EXPECT_EQ(c.IsPay, 1);
}

TEST_F(CrawlerTest, LandlineOnlyContactPageIsSentAgainByLinkCrawlers) {
  // Contact page with a landline only; the home page also holds numbers.
  auto addSite = [&](const std::string& host) {
    world.Route(host, "/",
                TWorldResponse::Page(CompanyHomePage("首页", "/contact.html",
                                                     "<p>热线：020-99998888 13599998888</p>")));
    world.Route(host, "/contact.html",
                TWorldResponse::Page(ContactPage("首页", "020-12340000", "")));
  };
  addSite("www.telsix.com");
  addSite("www.telbd.com");
  world.Route(RegistryHost(), RegistryPath("telsix.com"),
              TWorldResponse::Page(RegistryPage("广州某某电话设备有限公司", "")));
  world.Route("www.so.com", "/link?u=1", TWorldResponse::Redirect("http://www.telsix.com/"));
  world.Route("www.baidu.com", "/link?url=t1", TWorldResponse::Redirect("http://www.telbd.com/"));

  RunOther(eg360, "http://www.so.com/link?u=1");
  auto first = sink.Companies();
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[0].Tels, Strings{"020-12340000"});
  EXPECT_TRUE(first[0].Mobiles.empty());
  EXPECT_EQ(first[0].IsPay, 0);
  EXPECT_EQ(first[1].Mobiles, Strings{"13599998888"});

  sink.Clear();
  ended = false;
  RunBaidu("http://www.baidu.com/link?url=t1", "广州某某通信有限公司", 1);
  ASSERT_EQ(sink.Companies().size(), 1u);
  EXPECT_EQ(sink.Companies()[0].Tels, Strings{"020-12340000"});
}

TEST(PageRedirect, FindsTheTargetOfMetaRefreshAndScript) {
  const std::string page = "http://www.baidu.com/link?url=x";
  EXPECT_EQ(PageRedirectTarget(page,
                               "<META HTTP-EQUIV=\"Refresh\" "
                               "content=\"0;URL='http://www.co.com/a?b=1&amp;c=2'\">"),
            "http://www.co.com/a?b=1&c=2");
  EXPECT_EQ(PageRedirectTarget(page, "<meta http-equiv=refresh content=\"0; url=/next\">"),
            "http://www.baidu.com/next");
  EXPECT_EQ(PageRedirectTarget(page, "<script>window.location.replace('https:\\/\\/a.cn/')"),
            "https://a.cn/");
  EXPECT_EQ(PageRedirectTarget(page, "if (location.href == \"x\") {} location.href = \"//b.cn/\""),
            "http://b.cn/");
  for (const char* none :
       {"<meta http-equiv=\"refresh\" content=\"30\">", "<meta content=\"0;url=http://c.cn/\">",
        "location.replace(\"ftp://c.cn/\")", "location.href=next", "javascript:void(0)"}) {
    EXPECT_EQ(PageRedirectTarget(page, none), "") << none;
  }
}

TEST_F(CrawlerTest, RedirectorPagesLeadToTheCompanySite) {
  world.Route("www.baidu.com", "/link?url=m1",
              TWorldResponse::Page("<noscript><meta http-equiv=\"refresh\" "
                                   "content=\"0;URL='http://www.meta-co.com/'\"></noscript>"));
  AddCompanySite(world, {"www.meta-co.com", "首页", "", "13800001111"});
  RunBaidu("http://www.baidu.com/link?url=m1", "广州某某机电有限公司", 1);
  ASSERT_EQ(sink.Companies().size(), 1u);
  EXPECT_EQ(sink.Companies()[0].WebUrl, "http://www.meta-co.com/");

  // A chain of redirectors: a redirect status, then a script page.
  sink.Clear();
  ended = false;
  world.Route("www.so.com", "/link?m=r1", TWorldResponse::Redirect("http://www.so.com/jump?r=1"));
  world.Route("www.so.com", "/jump?r=1",
              TWorldResponse::Page("<script>window.location.replace(\"http://www.js-co.com/\")"
                                   "</script>"));
  AddCompanySite(world, {"www.js-co.com", "首页", "020-12340002", "13800002222", true, false,
                         "广州某某脚本有限公司"});
  RunOther(eg360, "http://www.so.com/link?m=r1");
  ASSERT_EQ(sink.Companies().size(), 1u);
  EXPECT_EQ(sink.Companies()[0].WebUrl, "http://www.js-co.com/");

  // Redirector pages that lead on and on stay on the engine: no record.
  sink.Clear();
  ended = false;
  world.RouteFn("www.sogou.com", "/link?url=", [](const TWorldRequest& r) {
    int n = std::stoi(r.Target.substr(std::string("/link?url=").size()));
    return TWorldResponse::Page("<script>location.href=\"/link?url=" + std::to_string(n + 1) +
                                "\"</script>");
  });
  RunOther(egSogou, "http://www.sogou.com/link?url=1");
  EXPECT_EQ(sink.Count(hkCompany), 0);
  EXPECT_EQ(world.Count({"www.sogou.com", "/link"}), 4);
}

TEST_F(CrawlerTest, EngineCookiesStayOnTheEngineHosts) {
  world.Route("www.baidu.com", "/link?url=k1", TWorldResponse::Redirect("http://m.baidu.com/k1"));
  world.Route("m.baidu.com", "/k1", TWorldResponse::Redirect("http://www.cookie-co.com/"));
  AddCompanySite(world, {"www.cookie-co.com", "首页", "", "13800003333"});
  RunBaidu("http://www.baidu.com/link?url=k1", "广州某某饼干有限公司", 1, "BAIDUID=abc");
  ASSERT_EQ(sink.Companies().size(), 1u);
  EXPECT_EQ(world.Requests({"m.baidu.com", ""})[0].Cookie, "BAIDUID=abc");
  for (const auto& r : world.Requests({"www.cookie-co.com", ""})) {
    EXPECT_FALSE(r.HasCookie) << r.Target;
  }
}

TEST_F(CrawlerTest, CrawlersRunningAtOnceAreBounded) {
  TEngineSettings settings = *EngineSettings();
  settings.MaxCrawlers = 2;
  SetEngineSettings(settings);
  FastGates();
  std::vector<std::string> anchors;
  TWorldResponse never;
  never.NeverAnswer = true;
  for (int i = 0; i < 4; ++i) {
    std::string host = "www.hold" + std::to_string(i) + ".com";
    anchors.push_back(Anchor("http://" + host + "/", "公司"));
    world.Route(host, "/", never);
  }
  world.RoutePrefix("www.so.com", "/s?", TWorldResponse::Page(LinkResultPage(anchors)));
  auto harvester = Start(eg360, kKeyword);
  // The page and two sites.
  ASSERT_TRUE(PumpUntil([&] { return world.Count() >= 3; }, 10000));
  PumpEvents(500);
  int siteRequests = 0;
  for (int i = 0; i < 4; ++i)
    siteRequests += world.Count({"www.hold" + std::to_string(i) + ".com", ""});
  EXPECT_EQ(siteRequests, 2);
  EXPECT_EQ(CrawlerSlotsTaken(), 2);
  // A stop reaches the harvester that waits for a slot.
  harvester->Terminate();
  ASSERT_TRUE(PumpUntil([&] { return sink.Ends().size() == 1; }, 5000));
}

TEST_F(CrawlerTest, LinkCrawlerTriesItsLinkOnce) {
  world.Route("www.so.com", "/link?u=f", TWorldResponse::Page("busy", 503));
  RunOther(eg360, "http://www.so.com/link?u=f");
  EXPECT_EQ(world.Count({"www.so.com", "/link?u=f"}), 1);
  EXPECT_EQ(sink.CrawlStatuses().size(), 1u);
  EXPECT_EQ(sink.Count(hkCompany), 0);
}

}  // namespace
}  // namespace zoqa::test
