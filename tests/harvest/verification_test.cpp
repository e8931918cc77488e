// The engines' human-verification answers: detected on every engine, never taken for a
// result page, and followed by a back-off on the engine's page gate that doubles while the
// answers go on and starts afresh after a real result page.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "harvest/results/verifypage.h"
#include "harvestfixture.h"

namespace zoqa::test {
namespace {

using Strings = std::vector<std::string>;

const char kBaiduVerify[] =
    "<html><head><title>百度安全验证</title></head><body><div class=\"timeout\">"
    "网络不给力，请稍后重试</div><p>拖动滑块，使图片角度为正</p>";
const char k360Verify[] =
    "<html><head><title>360搜索</title></head><body><div class=\"why\"><strong>为什么会出现验证码？"
    "</strong>出现验证码表示您所在的网络可能存在异常</div>";

TEST(VerificationGate, BackoffDoublesUpToFifteenMinutesAndStartsAgainAfterAResult) {
  TEngineGate gate(0, 0);
  EXPECT_TRUE(gate.AskPage());
  EXPECT_EQ(gate.VerificationPage(60), 60);
  EXPECT_FALSE(gate.AskPage());
  EXPECT_EQ(gate.VerificationPage(60), 120);
  EXPECT_EQ(gate.VerificationPage(60), 240);
  EXPECT_EQ(gate.VerificationPage(60), 480);
  EXPECT_EQ(gate.VerificationPage(60), 900);
  EXPECT_EQ(gate.VerificationPage(60), 900);
  EXPECT_EQ(gate.VerificationPages(), 6);
  gate.ResultPage();
  EXPECT_EQ(gate.VerificationPage(60), 60);
  EXPECT_FALSE(gate.AskPage());  // a result page does not cut the running back-off short
  gate.ClearBackoff();
  std::this_thread::sleep_for(std::chrono::milliseconds(2));  // past the page interval
  EXPECT_TRUE(gate.AskPage());
}

TEST(VerificationPage, MarkersInTheFinalUrlOrTheText) {
  SetEngineSettings(TEngineSettings{});
  EXPECT_TRUE(IsVerificationPage(
      egBaidu, "https://wappass.baidu.com/static/captcha/tuxing.html?ak=1&backurl=x", ""));
  EXPECT_TRUE(IsVerificationPage(egBaidu, "http://www.baidu.com/s?wd=x", Cp936(kBaiduVerify)));
  EXPECT_TRUE(IsVerificationPage(egSogou, "http://www.sogou.com/antispider/?from=%2Fweb", ""));
  EXPECT_TRUE(IsVerificationPage(eg360, "http://www.so.com/s?q=x", Cp936(k360Verify)));
  // Each engine has its own markers.
  EXPECT_FALSE(IsVerificationPage(eg360, "http://www.so.com/s?q=x", Cp936(kBaiduVerify)));
  EXPECT_FALSE(IsVerificationPage(egBaidu, "http://www.baidu.com/s?wd=x",
                                  Cp936(BaiduResultPage({}, {{"t", "http://x/"}}))));
  // Markers come from the settings.
  TEngineSettings custom;
  custom.So360VerifyMarkers = {"/captcha-check"};
  SetEngineSettings(custom);
  EXPECT_TRUE(IsVerificationPage(eg360, "http://www.so.com/CAPTCHA-check?x=1", ""));
  EXPECT_FALSE(IsVerificationPage(eg360, "http://www.so.com/s?q=x", Cp936(k360Verify)));
  SetEngineSettings(TEngineSettings{});
}

TEST(VerificationPage, TextMarkersCountOnlyOnPagesWithoutResults) {
  SetEngineSettings(TEngineSettings{});
  EXPECT_FALSE(
      IsVerificationPage(egBaidu, "http://www.baidu.com/s?wd=x", Cp936(kBaiduVerify), true));
  EXPECT_TRUE(IsVerificationPage(egBaidu, "https://wappass.baidu.com/static/captcha/x", "", true));
  EXPECT_TRUE(IsVerificationPage(eg360, "https://qcaptcha.so.com/?ret=x", "", true));
}

class VerificationTest : public HarvestTest {
 protected:
  VerificationTest() {
    TEngineSettings settings = *EngineSettings();
    settings.VerifyBackoffSeconds = 1;
    SetEngineSettings(settings);
    for (TEngine e : {egBaidu, egSogou, eg360}) TEngineGate::For(e).ClearBackoff();
  }
  void TearDown() override {
    HarvestTest::TearDown();
    for (TEngine e : {egBaidu, egSogou, eg360}) TEngineGate::For(e).ClearBackoff();
  }

  // Answers the first `verifications` requests under `prefix` with `verify`, then `page`.
  void VerifyFirst(const std::string& host, const std::string& prefix, int verifications,
                   TWorldResponse verify, TWorldResponse page) {
    auto seen = std::make_shared<std::atomic<int>>(0);
    world.RouteFn(host, prefix, [=](const TWorldRequest&) {
      return seen->fetch_add(1) < verifications ? verify : page;
    });
  }

  static std::string BaiduPage0() { return "/s?wd=%B9%E3%D6%DD%20%B5%E7%D7%D3"; }
  static TWorldResponse EmptyBaiduPage() { return TWorldResponse::Page(BaiduResultPage({}, {})); }
  static TWorldResponse BaiduVerify() {
    return TWorldResponse::Page(std::string(kBaiduVerify) + PageOfSize(3000) + "</body></html>");
  }
};

TEST_F(VerificationTest, BaiduAsksTheSamePageAgainAfterTheBackoffAndSkipsNothing) {
  FastGates(150, 10);
  VerifyFirst("www.baidu.com", BaiduPage0(), 1, BaiduVerify(), EmptyBaiduPage());
  world.RoutePrefix("www.baidu.com", BaiduPage0() + "&pn=", EmptyBaiduPage());
  Start(egBaidu, "广州 电子");
  ASSERT_TRUE(PumpUntil([&] { return sink.PagesDone().size() >= 2; }, 15000));
  StopEverything();

  auto log = world.Requests({"www.baidu.com", "/s?"});
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[0].Target, BaiduPage0());
  EXPECT_EQ(log[1].Target, BaiduPage0());
  EXPECT_GE(log[1].AtMs - log[0].AtMs, 950);
  EXPECT_EQ(log[2].Target, BaiduPage0() + "&pn=10");
  EXPECT_EQ(sink.PagesDone(), (std::vector<int>{1, 2}));
  Strings statuses = sink.Statuses();
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "百度要求安全验证，1 秒后重试"),
            statuses.end());
  // The verification page is neither analysed nor kept as the last result page.
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "正在分析采集结果..."), 2);
  EXPECT_EQ(ReadFileBytes(dir.File("2.txt")).find(Cp936("百度安全验证")), std::string::npos);
}

TEST_F(VerificationTest, AResultThatMentionsAMarkerIsAResult) {
  FastGates(150, 10);
  world.RoutePrefix(
      "www.baidu.com", "/s?",
      TWorldResponse::Page(BaiduResultPage(
          {}, {{"如何关闭百度安全验证 - 百度知道", "http://www.baidu.com/link?url=z"}})));
  world.RoutePrefix("www.baidu.com", "/link", TWorldResponse::Page("x", 404));
  int before = TEngineGate::For(egBaidu).VerificationPages();
  Start(egBaidu, "广州 电子");
  ASSERT_TRUE(PumpUntil([&] { return sink.PagesDone().size() >= 2; }, 10000));
  StopEverything();
  EXPECT_EQ(TEngineGate::For(egBaidu).VerificationPages(), before);
}

TEST_F(VerificationTest, BackoffDoublesWhileAnswersGoOnAndStartsAgainAfterResults) {
  FastGates(150, 10);
  auto seen = std::make_shared<std::atomic<int>>(0);
  // Requests 1, 2 and 4 are answered with the verification page.
  world.RouteFn("www.baidu.com", "/s?", [=](const TWorldRequest&) {
    int n = seen->fetch_add(1);
    return n == 0 || n == 1 || n == 3 ? BaiduVerify() : EmptyBaiduPage();
  });
  Start(egBaidu, "广州 电子");
  ASSERT_TRUE(PumpUntil([&] { return world.Count({"www.baidu.com", "/s?"}) >= 5; }, 20000));
  StopEverything();

  Strings waits;
  for (const std::string& s : sink.Statuses()) {
    if (s.find("安全验证") != std::string::npos) waits.push_back(s);
  }
  EXPECT_EQ(waits, (Strings{"百度要求安全验证，1 秒后重试", "百度要求安全验证，2 秒后重试",
                            "百度要求安全验证，1 秒后重试"}));
  auto log = world.Requests({"www.baidu.com", "/s?"});
  EXPECT_GE(log[1].AtMs - log[0].AtMs, 950);
  EXPECT_GE(log[2].AtMs - log[1].AtMs, 1950);
  EXPECT_EQ(log[2].Target, BaiduPage0());
  EXPECT_EQ(log[3].Target, BaiduPage0() + "&pn=10");
  EXPECT_EQ(log[4].Target, BaiduPage0() + "&pn=10");
}

TEST_F(VerificationTest, EveryHarvesterOfTheEngineWaitsAndOtherEnginesGoOn) {
  FastGates(150, 10);
  TEngineSettings settings = *EngineSettings();
  settings.VerifyBackoffSeconds = 2;
  SetEngineSettings(settings);
  VerifyFirst("www.baidu.com", BaiduPage0(), 1, BaiduVerify(), EmptyBaiduPage());
  world.RoutePrefix("www.baidu.com", "/s?", EmptyBaiduPage());
  world.RoutePrefix("www.so.com", "/s?", TWorldResponse::Page(LinkResultPage({})));
  Start(egBaidu, "广州 电子");
  ASSERT_TRUE(PumpUntil([&] { return sink.Statuses().size() >= 2; }, 5000));
  Start(egBaidu, "上海 网络");
  Start(eg360, "上海 网络");
  ASSERT_TRUE(PumpUntil([&] { return world.Count({"www.baidu.com", "/s?"}) >= 3; }, 15000));
  StopEverything();

  auto baidu = world.Requests({"www.baidu.com", "/s?"});
  // Nothing went to Baidu during the back-off, from either keyword.
  EXPECT_GE(baidu[1].AtMs - baidu[0].AtMs, 1950);
  auto so360 = world.Requests({"www.so.com", "/s?"});
  ASSERT_FALSE(so360.empty());
  EXPECT_LT(so360[0].AtMs, baidu[0].AtMs + 1500);
}

TEST_F(VerificationTest, StopDuringTheBackoffEndsPromptlyAndSilently) {
  FastGates(150, 10);
  TEngineSettings settings = *EngineSettings();
  settings.VerifyBackoffSeconds = 60;
  SetEngineSettings(settings);
  world.RoutePrefix("www.baidu.com", "/s?", BaiduVerify());
  auto harvester = Start(egBaidu, "广州 电子");
  ASSERT_TRUE(PumpUntil([&] { return sink.Statuses().size() >= 2; }, 5000));
  std::size_t reports = sink.Reports().size();
  std::int64_t asked = SteadyMs();
  harvester->Terminate();
  ASSERT_TRUE(PumpUntil([&] { return !sink.Ends().empty(); }, 5000));
  EXPECT_LT(sink.Ends()[0].AtMs - asked, 2500);  // long before the 60 s back-off
  EXPECT_EQ(sink.Reports().size(), reports);
  EXPECT_EQ(sink.Ends()[0].PageIndex, 0);
  EXPECT_EQ(world.Count({"www.baidu.com", "/s?"}), 1);
}

TEST_F(VerificationTest, SogouRedirectAnd360CaptchaHoldThePageWithoutEndingTheHarvester) {
  FastGates(150, 10);
  const std::string sogou0 = "/web?query=%B9%E3%D6%DD%20%B5%E7%D7%D3";
  const std::string so0 = "/s?q=%E5%B9%BF%E5%B7%9E%20%E7%94%B5%E5%AD%90";
  VerifyFirst("www.sogou.com", sogou0, 1,
              TWorldResponse::Redirect("http://www.sogou.com/antispider/?from=%2Fweb"),
              TWorldResponse::Page(LinkResultPage({})));
  world.Route("www.sogou.com", "/antispider/?from=%2Fweb",
              TWorldResponse::Page("<html><body>请输入验证码</body></html>"));
  VerifyFirst("www.so.com", so0, 1, TWorldResponse::Page(k360Verify),
              TWorldResponse::Page(LinkResultPage({})));
  world.RoutePrefix("www.sogou.com", "/web?", TWorldResponse::Page(LinkResultPage({})));
  world.RoutePrefix("www.so.com", "/s?", TWorldResponse::Page(LinkResultPage({})));
  Start(egSogou, "广州 电子");
  Start(eg360, "广州 电子");
  ASSERT_TRUE(PumpUntil([&] { return sink.PagesDone().size() >= 4; }, 15000));
  StopEverything();

  auto exactly = [&](const std::string& host, const std::string& target) {
    int n = 0;
    for (const auto& r : world.Requests({host, target})) n += r.Target == target ? 1 : 0;
    return n;
  };
  EXPECT_EQ(exactly("www.sogou.com", sogou0), 2);
  EXPECT_EQ(exactly("www.so.com", so0), 2);
  Strings statuses = sink.Statuses();
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "搜狗要求安全验证，1 秒后重试"),
            statuses.end());
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "360要求安全验证，1 秒后重试"),
            statuses.end());
  ASSERT_EQ(sink.Ends().size(), 2u);
  for (const auto& end : sink.Ends()) EXPECT_GE(end.PageIndex, 1);
}

}  // namespace
}  // namespace zoqa::test
