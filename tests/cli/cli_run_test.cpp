// zoqa-cli run end to end: the real program harvests the loopback world started here, which
// it reaches through the proxy named in the settings file of its program directory. The
// program keeps its own request pacing (Baidu pages 2 s apart, its crawlers 1 s; 360 and
// Sogou 3 s and 2 s), so every world is small: a couple of result pages with companies, then
// pages without any, after which the stop rule ends the task by itself.
#include "clirunfixture.h"

#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "support/pgtestdb.h"

namespace zoqa::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const char kBaiduKey[] = "广州 电子";
const char kSo360Key[] = "深圳 机械";
const char kSogouKey[] = "上海 网络";

// One keyword per engine, each with a certified or paid result, an ordinary one, one without
// a mobile number (Baidu), and a second page whose company arrives last.
class CliRunEachEngine : public CliRunTest {
 protected:
  CliRunEachEngine() {
    Script(egBaidu, kBaiduKey,
           {{BaiduResultPage(
                 {{"恒达电子（认证）", "http://www.baidu.com/baidu.php?url=b1"}},
                 {{"电器", "http://www.baidu.com/link?url=b2", true, "深圳某某电器有限公司"},
                  {"无手机", "http://www.baidu.com/link?url=b3"}}),
             BaiduResultPage({}, {{"力达机械", "http://www.baidu.com/link?url=b4"}})}});
    world.Route("www.baidu.com", "/baidu.php?url=b1",
                TWorldResponse::Redirect("http://www.b-hengda.com/"));
    world.Route("www.baidu.com", "/link?url=b2", TWorldResponse::Redirect("http://www.b-dq.com/"));
    world.Route("www.baidu.com", "/link?url=b3",
                TWorldResponse::Redirect("http://www.b-nomob.com/"));
    world.Route("www.baidu.com", "/link?url=b4",
                TWorldResponse::Redirect("http://www.b-lida.com/"));
    AddSite("www.b-hengda.com", "广州恒达电子有限公司", "13812345678");
    AddSite("www.b-dq.com", "深圳某某电器有限公司", "13622223333");
    AddSite("www.b-nomob.com", "广州无手机贸易有限公司", "");
    AddSite("www.b-lida.com", "佛山力达机械有限公司", "15012345678", 400);

    Script(eg360, kSo360Key,
           {{LinkResultPage({Anchor("http://e.so.com/search/eclk?p=1&url=q1", "推广"),
                             Anchor("http://www.q-lida.com/", "力达")}),
             LinkResultPage({Anchor("http://www.q-third.com/", "第三")})}});
    world.Route("e.so.com", "/search/eclk?p=1&url=q1",
                TWorldResponse::Redirect("http://www.q-hengda.com/"));
    AddSite("www.q-hengda.com", "深圳恒达机械有限公司", "13800001111");
    AddSite("www.q-lida.com", "深圳力达机械有限公司", "13800002222");
    AddSite("www.q-third.com", "深圳第三五金有限公司", "13800003333", 400);

    Script(egSogou, kSogouKey,
           {{LinkResultPage({Anchor("http://www.sogou.com/bill_cpc?v=1&k=s1", "推广"),
                             Anchor("http://www.s-lida.com/", "力达")}),
             LinkResultPage({Anchor("http://www.s-third.com/", "第三")})}});
    world.Route("www.sogou.com", "/bill_cpc?v=1&k=s1",
                TWorldResponse::Redirect("http://www.s-hengda.com/"));
    AddSite("www.s-hengda.com", "上海恒达网络有限公司", "13900001111");
    AddSite("www.s-lida.com", "上海力达网络有限公司", "13900002222");
    AddSite("www.s-third.com", "上海第三网络有限公司", "13900003333", 400);
  }
};

TEST_F(CliRunEachEngine, StopRuleEndsEachTaskAndASecondRunResumes) {
  auto baiduHome = Home();
  auto so360Home = Home();
  auto sogouHome = Home();
  auto baidu = Start(*baiduHome, {"run", "--engines", "baidu", "--max-seconds", "100", kBaiduKey});
  auto so360 = Start(*so360Home, {"run", "--engines", "360", "--max-seconds", "100", kSo360Key});
  auto sogou = Start(*sogouHome, {"run", "--engines", "sogou", "--max-seconds", "100", kSogouKey});
  TRun baiduRun = Finish(*baidu);
  TRun so360Run = Finish(*so360);
  TRun sogouRun = Finish(*sogou);
  for (const TRun* run : {&baiduRun, &so360Run, &sogouRun}) {
    EXPECT_EQ(run->ExitCode, 0) << run->Err;
    // Ended by the stop rule, long before the time limit.
    EXPECT_LT(run->Seconds, 60) << run->Err;
  }
  EXPECT_THAT(baiduRun.Err, HasSubstr("广州 电子: 获取[佛山力达机械有限公司]成功！"));
  EXPECT_THAT(baiduRun.Err, HasSubstr("广州 电子: 正在获取搜索结果..."));
  EXPECT_THAT(baiduRun.Err, HasSubstr("安全验证页面：百度 0，搜狗 0，360 0"));

  EXPECT_EQ(Companies(*baiduHome, kBaiduKey),
            (std::set<TStored>{{"恒达电子（认证）", "百度", 1, 1, "13812345678"},
                               {"深圳某某电器有限公司", "百度", 0, 1, "13622223333"},
                               {"佛山力达机械有限公司", "百度", 0, 0, "15012345678"}}));
  EXPECT_EQ(Companies(*so360Home, kSo360Key),
            (std::set<TStored>{{"深圳恒达机械有限公司", "360", 1, 0, "13800001111"},
                               {"深圳力达机械有限公司", "360", 0, 0, "13800002222"},
                               {"深圳第三五金有限公司", "360", 0, 0, "13800003333"}}));
  EXPECT_EQ(Companies(*sogouHome, kSogouKey),
            (std::set<TStored>{{"上海恒达网络有限公司", "搜狗", 1, 0, "13900001111"},
                               {"上海力达网络有限公司", "搜狗", 0, 0, "13900002222"},
                               {"上海第三网络有限公司", "搜狗", 0, 0, "13900003333"}}));

  // The last company came with page 2, whose report follows its crawlers; that report and
  // two more were taken and the fourth stopped the task, whose end saved the page it would
  // have asked next.
  std::vector<int> fivePages{0, 1, 2, 3, 4};
  EXPECT_EQ(Asked(egBaidu, kBaiduKey), fivePages);
  EXPECT_EQ(Asked(eg360, kSo360Key), fivePages);
  EXPECT_EQ(Asked(egSogou, kSogouKey), fivePages);
  EXPECT_EQ(Pages(*baiduHome)[kBaiduKey], (TPages{5, 0, 0}));
  EXPECT_EQ(Pages(*so360Home)[kSo360Key], (TPages{0, 0, 5}));
  EXPECT_EQ(Pages(*sogouHome)[kSogouKey], (TPages{0, 5, 0}));

  // A second run resumes at the saved pages and, finding nothing new, stops after four.
  baidu = Start(*baiduHome, {"run", "--engines", "baidu", kBaiduKey});
  so360 = Start(*so360Home, {"run", "--engines", "360", kSo360Key});
  sogou = Start(*sogouHome, {"run", "--engines", "sogou", kSogouKey});
  for (QProcess* p : {baidu.get(), so360.get(), sogou.get()}) {
    TRun run = Finish(*p);
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
  }
  std::vector<int> resumed{0, 1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(Asked(egBaidu, kBaiduKey), resumed);
  EXPECT_EQ(Asked(eg360, kSo360Key), resumed);
  EXPECT_EQ(Asked(egSogou, kSogouKey), resumed);
  EXPECT_EQ(Pages(*baiduHome)[kBaiduKey], (TPages{9, 0, 0}));
  EXPECT_EQ(Pages(*so360Home)[kSo360Key], (TPages{0, 0, 9}));
  EXPECT_EQ(Pages(*sogouHome)[kSogouKey], (TPages{0, 9, 0}));
  EXPECT_EQ(Companies(*baiduHome, kBaiduKey).size(), 3u);
}

TEST_F(CliRunTest, TwoKeywordsAtOnceOnAllEngines) {
  // Each keyword's first page on each engine has a company of its own; both keywords' Baidu
  // pages also lead to one shared company, which is stored once.
  struct TKey {
    std::string Keyword;
    std::string Tag;
    std::string Prefix;  // of its companies' names
  };
  std::vector<TKey> keys{{"北京 软件", "k1", "北京软件"}, {"天津 化工", "k2", "天津化工"}};
  AddSite("www.shared-co.com", "北京共享科技有限公司", "13711110000");
  std::set<std::string> expected{"北京共享科技有限公司"};
  int n = 0;
  for (const auto& [keyword, tag, prefix] : keys) {
    std::string b = "www." + tag + "-b.com", q = "www." + tag + "-q.com",
                s = "www." + tag + "-s.com";
    AddSite(b, prefix + "百度有限公司", "1371111000" + std::to_string(++n));
    AddSite(q, prefix + "三六零有限公司", "1371111000" + std::to_string(++n));
    AddSite(s, prefix + "搜狗有限公司", "1371111000" + std::to_string(++n));
    expected.insert({prefix + "百度有限公司", prefix + "三六零有限公司", prefix + "搜狗有限公司"});
    Script(egBaidu, keyword,
           {{BaiduResultPage(
               {}, {{"共享", "http://www.shared-co.com/"}, {"甲", "http://" + b + "/"}})}});
    Script(eg360, keyword, {{LinkResultPage({Anchor("http://" + q + "/", "乙")})}});
    Script(egSogou, keyword, {{LinkResultPage({Anchor("http://" + s + "/", "丙")})}});
  }
  auto home = Home();
  TRun run = Run(*home, {"run", "--json", "--max-seconds", "100", "北京 软件", "天津 化工"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_LT(run.Seconds, 60) << run.Err;

  std::set<std::string> names;
  std::multiset<std::string> all;
  std::set<std::pair<std::string, std::string>> stored;
  for (const auto& [keyword, tag, prefix] : keys) {
    for (const TStored& c : Companies(*home, keyword)) {
      names.insert(c.Name);
      all.insert(c.Name);
      stored.insert({keyword, c.Name});
      std::string engine = c.Name.find("百度") != std::string::npos     ? "百度"
                           : c.Name.find("搜狗") != std::string::npos   ? "搜狗"
                           : c.Name.find("三六零") != std::string::npos ? "360"
                                                                        : c.Source;
      EXPECT_EQ(c.Source, engine) << c.Name;
      if (c.Name != "北京共享科技有限公司") {
        EXPECT_EQ(c.Name.rfind(prefix, 0), 0u) << c.Name;
      }
    }
  }
  EXPECT_EQ(names, expected);
  EXPECT_EQ(all.size(), names.size()) << "a name was stored twice";

  // --json: one object per stored company and line, with its keyword.
  std::set<std::pair<std::string, std::string>> printed;
  for (const QByteArray& line : QByteArray::fromStdString(run.Out).split('\n')) {
    if (line.isEmpty()) continue;
    QJsonObject o = QJsonDocument::fromJson(line).object();
    ASSERT_FALSE(o.isEmpty()) << line.toStdString();
    EXPECT_FALSE(o["mobiles"].toArray().isEmpty());
    printed.insert({o["keyword"].toString().toStdString(), o["name"].toString().toStdString()});
  }
  EXPECT_EQ(printed, stored);

  // Every engine reached its second page for both keywords before the stop rule ended them.
  auto pages = Pages(*home);
  for (const auto& [keyword, tag, prefix] : keys) {
    EXPECT_GE(pages[keyword].Baidu, 1) << keyword;
    EXPECT_GE(pages[keyword].Sogou, 1) << keyword;
    EXPECT_GE(pages[keyword].So360, 1) << keyword;
    // A page still under way (asked, or with crawlers running) when another engine's report
    // stopped the task is asked again.
    EXPECT_LE(pages[keyword].Baidu, static_cast<int>(Asked(egBaidu, keyword).size())) << keyword;
  }
}

TEST_F(CliRunTest, TimeLimitStopsTheTasksAndSavesTheirPages) {
  // Every page brings a new company, so only the time limit ends the run.
  const std::string keyword = "重庆 火锅";
  for (TEngine engine : {egBaidu, egSogou, eg360}) {
    TEngineScript script;
    for (int i = 0; i < 30; ++i) {
      std::string host = "www.e" + std::to_string(engine) + "-" + std::to_string(i) + ".com";
      AddSite(host, "重庆第" + std::to_string(engine * 100 + i) + "号有限公司",
              "135" + std::to_string(10000000 + engine * 100 + i));
      std::string url = "http://" + host + "/";
      script.Pages.push_back(engine == egBaidu ? BaiduResultPage({}, {{"公司", url}})
                                               : LinkResultPage({Anchor(url, "公司")}));
    }
    Script(engine, keyword, script);
  }
  auto home = Home();
  TRun run = Run(*home, {"run", "--max-seconds", "6", keyword});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_GE(run.Seconds, 6);
  EXPECT_LT(run.Seconds, 25);

  // Each engine's end saved the page it would have asked next (a page asked in the very
  // moment of the stop is asked again).
  TPages saved = Pages(*home)[keyword];
  auto expectSaved = [&](TEngine engine, int page) {
    int asked = static_cast<int>(Asked(engine, keyword).size());
    EXPECT_GE(page, 1) << engine;
    EXPECT_LE(page, asked) << engine;
  };
  expectSaved(egBaidu, saved.Baidu);
  expectSaved(egSogou, saved.Sogou);
  expectSaved(eg360, saved.So360);
  // Each page holds one company: every page before the saved one gave its company (a crawler
  // cut short at the stop leaves its page to the next run; one that had read its company
  // delivered it).
  int pages = saved.Baidu + saved.Sogou + saved.So360;
  int companies = static_cast<int>(Companies(*home, keyword).size());
  EXPECT_GE(companies, pages);

  // The next run starts each engine at its saved page.
  auto before = std::make_tuple(Asked(egBaidu, keyword).size(), Asked(egSogou, keyword).size(),
                                Asked(eg360, keyword).size());
  run = Run(*home, {"run", "--max-seconds", "2", keyword});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(Asked(egBaidu, keyword).at(std::get<0>(before)), saved.Baidu);
  EXPECT_EQ(Asked(egSogou, keyword).at(std::get<1>(before)), saved.Sogou);
  EXPECT_EQ(Asked(eg360, keyword).at(std::get<2>(before)), saved.So360);
}

TEST_F(CliRunTest, TermSignalStopsLikeTheTimeLimitAndASecondEndsAtOnce) {
  // Endless companies on Baidu for both keywords; the second keyword's result pages after
  // the first take four seconds (a stop cuts that request short).
  for (const auto& [keyword, tag] :
       {std::pair<std::string, std::string>{"杭州 茶叶", "a"}, {"苏州 丝绸", "b"}}) {
    TEngineScript script;
    for (int i = 0; i < 30; ++i) {
      std::string host = "www.sig-" + tag + std::to_string(i) + ".com";
      AddSite(host, keyword.substr(0, 6) + "第" + std::to_string(i) + "号有限公司",
              "133" + std::to_string(10000000 + i));
      script.Pages.push_back(BaiduResultPage({}, {{"公司", "http://" + host + "/"}}));
    }
    if (tag == "b") {
      script.SlowFrom = 1;
      script.SlowMs = 4000;
    }
    Script(egBaidu, keyword, script);
  }
  auto onceHome = Home();
  auto twiceHome = Home();
  auto once = Start(*onceHome, {"run", "--engines", "baidu", "杭州 茶叶"});
  auto twice = Start(*twiceHome, {"run", "--engines", "baidu", "苏州 丝绸"});
  // Signals only once the program runs its tasks.
  ASSERT_TRUE(world.WaitForCount({"www.baidu.com", SearchPrefix(egBaidu, "杭州 茶叶")}, 2, 30000));
  ASSERT_TRUE(world.WaitForCount({"www.baidu.com", SearchPrefix(egBaidu, "苏州 丝绸")}, 2, 30000));
  once->terminate();
  twice->terminate();
  // A second signal, once the first was taken, ends the run at once, without the end report:
  // the stop takes at least one poll of the run loop (100 ms) after the first.
  ASSERT_TRUE(WaitSignalTaken(twice->processId(), SIGTERM));
  QElapsedTimer sinceSecond;
  sinceSecond.start();
  twice->terminate();
  TRun twiceRun = Finish(*twice);
  EXPECT_EQ(twiceRun.ExitCode, 130) << twiceRun.Err;
  EXPECT_LT(sinceSecond.elapsed(), 2500);

  TRun onceRun = Finish(*once);
  EXPECT_EQ(onceRun.ExitCode, 0) << onceRun.Err;
  int saved = Pages(*onceHome)["杭州 茶叶"].Baidu;
  int asked = static_cast<int>(Asked(egBaidu, "杭州 茶叶").size());
  EXPECT_LE(saved, asked);
  EXPECT_GE(saved, 1);
  EXPECT_GE(static_cast<int>(Companies(*onceHome, "杭州 茶叶").size()), saved);
}

// With [store] Url in the settings the run stores on the team store, not in Data/users.
TEST_F(CliRunTest, ARunOnTheTeamStoreStoresThere) {
  PgTestDb pg;
  ZOQA_REQUIRE_PG(pg);
  AddSite("www.t-one.com", "团队一号有限公司", "13755550001");
  AddSite("www.t-two.com", "团队二号有限公司", "13755550002");
  Script(egSogou, "团队 测试",
         {{LinkResultPage(
             {Anchor("http://www.t-one.com/", "一"), Anchor("http://www.t-two.com/", "二")})}});
  auto home = Home();
  WriteFileBytes(home->File("zqclient.cfg"),
                 ReadFileBytes(home->File("zqclient.cfg")) + "[store]\nUrl=" + pg.Url() + "\n");
  ASSERT_EQ(Run(*home, {"store", "init"}).ExitCode, 0);
  TRun run = Run(*home, {"run", "--engines", "sogou", "--max-seconds", "60", "团队 测试"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(pg.Query("select string_agg(comname, ',' order by listid) from tbl_list"),
            "团队一号有限公司,团队二号有限公司");
  EXPECT_GE(std::stoi(pg.Query("select sglastpage from tbl_key")), 1);
  EXPECT_FALSE(std::filesystem::exists(home->File("Data/users")));
}

// A PostgreSQL server of the test's own (stopping the shared one would disturb other tests),
// started and stopped with scripts/pgserver.sh.
class OwnPgServer {
 public:
  OwnPgServer() : dir_("/tmp/zoqa-fault-" + std::to_string(getpid())) {
    const char* ctl = std::getenv("ZOQA_TEST_PG_CTL");
    if (ctl == nullptr) return;
    ctl_ = ctl;
    std::string out = Control("start");
    std::size_t at = out.find("ZOQA_TEST_PG='");
    if (at == std::string::npos) return;
    at += 14;
    url_ = out.substr(at, out.find('\'', at) - at);
  }
  ~OwnPgServer() {
    if (!ctl_.empty()) Control("stop");
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::string& Url() const { return url_; }
  std::string Control(const std::string& command) {
    QProcess process;
    process.start("bash", {QString::fromStdString(ctl_), QString::fromStdString(command),
                           QString::fromStdString(dir_)});
    process.waitForFinished(60000);
    return process.readAllStandardOutput().toStdString();
  }

 private:
  std::string dir_;
  std::string ctl_;
  std::string url_;
};

// The team store's server stops for 20 s while a run harvests: the companies read meanwhile
// wait in memory and are written once it is back; none is lost and none stored twice.
TEST_F(CliRunTest, TheTeamStoreStoppedDuringARunLosesNothing) {
  OwnPgServer server;
  if (server.Url().empty()) GTEST_SKIP() << "no PostgreSQL server script (ZOQA_TEST_PG_CTL)";
  std::vector<std::string> pages, expected;
  for (int page = 0; page < 3; ++page) {
    std::vector<std::string> anchors;
    for (int i = 0; i < 2; ++i) {
      std::string host = "www.f" + std::to_string(page) + std::to_string(i) + ".com";
      std::string name = "断线" + std::to_string(page) + std::to_string(i) + "号有限公司";
      AddSite(host, name, "1375555" + std::to_string(1000 + page * 10 + i));
      anchors.push_back(Anchor("http://" + host + "/", "公司"));
      expected.push_back(name);
    }
    pages.push_back(LinkResultPage(anchors));
  }
  Script(egSogou, "断线 测试", {pages});
  auto home = Home();
  ASSERT_EQ(Run(*home, {"--store", server.Url(), "store", "init"}).ExitCode, 0);
  auto process = Start(*home, {"--store", server.Url(), "run", "--engines", "sogou",
                               "--max-seconds", "150", "断线 测试"});
  auto count = [&] { return PgQuery(server.Url(), "select count(*) from tbl_list"); };
  QElapsedTimer waited;
  waited.start();
  while (count() == "0" && waited.elapsed() < 60000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  server.Control("stop");
  std::this_thread::sleep_for(std::chrono::seconds(20));
  server.Control("restart");
  TRun run = Finish(*process, 200000);
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_THAT(run.Err, HasSubstr("数据库连接中断，正在重试…"));
  std::sort(expected.begin(), expected.end());
  std::string names;
  for (const auto& name : expected) names += (names.empty() ? "" : ",") + name;
  EXPECT_EQ(PgQuery(server.Url(),
                    "select string_agg(comname, ',' order by comname collate "
                    "\"C\") from tbl_list"),
            names);
  EXPECT_EQ(PgQuery(server.Url(), "select listcount from tbl_key"), "6");
}

TEST_F(CliRunTest, ArgumentsAreChecked) {
  auto home = Home();
  TRun help = Run(*home, {"run", "--help"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_THAT(help.Out, HasSubstr("answered OK"));
  for (const std::vector<std::string>& args : {std::vector<std::string>{"run"},
                                               {"run", "--engines", "bing", "k"},
                                               {"run", "--max-seconds", "0", "k"},
                                               {"run", "--max-seconds", "3x", "k"},
                                               {"run", "--unknown", "k"}}) {
    TRun run = Run(*home, args);
    EXPECT_NE(run.ExitCode, 0) << args.back();
    EXPECT_FALSE(run.Err.empty()) << args.back();
  }
  EXPECT_EQ(world.Count(), 0);
}

TEST_F(CliRunTest, VerificationPagesChangeNothingButTheTime) {
  // Two result pages with a company each, then failures on which Baidu and 360 keep asking
  // and Sogou gives up: no page report follows the last company, so the pages saved do not
  // depend on how the engines' reports interleave. The time limit ends both runs.
  auto scriptFor = [&](const std::string& keyword, const std::string& tag, bool verify) {
    for (TEngine engine : {egBaidu, egSogou, eg360}) {
      TEngineScript script;
      script.Wall = true;
      script.VerifyFirst = verify;
      for (int i = 0; i < 2; ++i) {
        std::string id = std::to_string(engine) + std::to_string(i);
        std::string host = "www." + tag + id + ".com";
        AddSite(host, "武汉验证" + id + "有限公司",
                "1520000" + std::to_string(1000 + engine * 10 + i));
        std::string url = "http://" + host + "/";
        script.Pages.push_back(engine == egBaidu ? BaiduResultPage({}, {{"公司", url}})
                                                 : LinkResultPage({Anchor(url, "公司")}));
      }
      Script(engine, keyword, script);
    }
  };
  scriptFor("武汉 光谷", "plain", false);
  scriptFor("武汉 验证", "check", true);
  auto plainHome = Home(true);
  auto checkHome = Home(true);
  auto plain = Start(*plainHome, {"run", "--max-seconds", "15", "武汉 光谷"});
  auto check = Start(*checkHome, {"run", "--max-seconds", "15", "武汉 验证"});
  TRun plainRun = Finish(*plain);
  TRun checkRun = Finish(*check);
  ASSERT_EQ(plainRun.ExitCode, 0) << plainRun.Err;
  ASSERT_EQ(checkRun.ExitCode, 0) << checkRun.Err;

  EXPECT_THAT(checkRun.Err, HasSubstr("武汉 验证: 百度要求安全验证，1 秒后重试"));
  EXPECT_THAT(checkRun.Err, HasSubstr("武汉 验证: 搜狗要求安全验证，1 秒后重试"));
  EXPECT_THAT(checkRun.Err, HasSubstr("武汉 验证: 360要求安全验证，1 秒后重试"));
  EXPECT_THAT(checkRun.Err, HasSubstr("安全验证页面：百度 1，搜狗 1，360 1"));
  EXPECT_THAT(plainRun.Err, HasSubstr("安全验证页面：百度 0，搜狗 0，360 0"));
  EXPECT_THAT(plainRun.Err, Not(HasSubstr("要求安全验证")));

  std::set<TStored> plainCompanies = Companies(*plainHome, "武汉 光谷");
  EXPECT_EQ(plainCompanies.size(), 6u);
  EXPECT_EQ(Companies(*checkHome, "武汉 验证"), plainCompanies);
  EXPECT_EQ(Pages(*plainHome)["武汉 光谷"], (TPages{2, 2, 2}));
  EXPECT_EQ(Pages(*checkHome)["武汉 验证"], (TPages{2, 2, 2}));
  // The verified page was asked again: one request more per engine, none skipped.
  EXPECT_EQ(Asked(egSogou, "武汉 验证"), (std::vector<int>{0, 0, 1, 2}));
  EXPECT_EQ(Asked(egSogou, "武汉 光谷"), (std::vector<int>{0, 1, 2}));
}

// Today's Baidu markup: the structural reader's redirector links lead, by a redirect, a
// refresh page or a script page, to the companies.
TEST_F(CliRunTest, TodaysMarkupReachesTheCompaniesBehindRedirectors) {
  Script(egBaidu, kBaiduKey,
         {{BaiduTodayPage({{"甲", "http://www.baidu.com/link?url=t1", ""},
                           {"乙", "http://www.baidu.com/link?url=t2", ""},
                           {"丙", "http://www.baidu.com/link?url=t3", ""}})}});
  world.Route("www.baidu.com", "/link?url=t1", TWorldResponse::Redirect("http://www.t-one.com/"));
  world.Route("www.baidu.com", "/link?url=t2",
              TWorldResponse::Page("<html><head><meta http-equiv=\"refresh\" "
                                   "content=\"0;URL='http://www.t-two.com/'\"></head></html>"));
  world.Route("www.baidu.com", "/link?url=t3",
              TWorldResponse::Page(
                  "<html><script>window.location.replace(\"http://www.t-three.com/\")</script>"));
  AddSite("www.t-one.com", "广州甲电子有限公司", "13811110001");
  AddSite("www.t-two.com", "广州乙电子有限公司", "13811110002");
  AddSite("www.t-three.com", "广州丙电子有限公司", "13811110003");
  auto home = Home();
  TRun run = Run(*home, {"run", "--engines", "baidu", "--max-seconds", "100", kBaiduKey});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  std::set<std::string> names;
  for (const TStored& c : Companies(*home, kBaiduKey)) names.insert(c.Name);
  EXPECT_EQ(names, (std::set<std::string>{"广州甲电子有限公司", "广州乙电子有限公司",
                                          "广州丙电子有限公司"}));
}

}  // namespace
}  // namespace zoqa::test
