// The service-page fetch against the loopback world: replies reach the port's thread as code
// page 936 text, every failure as empty text, and nothing after the port closed.
#include "service/servicepagefetch.h"

#include <gtest/gtest.h>

#include <optional>

#include "harvest/base/enginesettings.h"
#include "harvest/net/workerthread.h"
#include "platform/mainthreadport.h"
#include "support/harvestrecorder.h"
#include "support/loopbackworld.h"
#include "util/codepage.h"

namespace zoqa::test {
namespace {

class ServicePageFetchTest : public ::testing::Test {
 protected:
  ServicePageFetchTest() {
    EnsureHarvestApp();
    TEngineSettings settings;
    settings.Proxy = world.ProxyAddress();
    SetEngineSettings(settings);
  }
  ~ServicePageFetchTest() override {
    world.ReleaseHeld();
    EXPECT_TRUE(TWorkerThread::WaitAllEnded(20000, [] { PumpEvents(); }));
    port->Close();
    SetEngineSettings(TEngineSettings{});
  }

  // Fetches `url` and waits for the reply.
  std::optional<std::string> Fetch(const std::string& url) {
    std::optional<std::string> reply;
    TServicePageFetch::Start(url, port, [&reply](const std::string& text) { reply = text; });
    PumpUntil([&] { return reply.has_value(); }, 20000);
    return reply;
  }

  TLoopbackWorld world;
  std::shared_ptr<TMainThreadPort> port = TMainThreadPort::Create();
};

TEST_F(ServicePageFetchTest, Utf8ReplyArrivesAsCodePage936AfterRedirectsWithCookies) {
  world.Route("svc.example", "/http.aspx?action=des&t=8",
              TWorldResponse::Redirect("http://svc.example/des.txt")
                  .WithHeader("Set-Cookie", "ASP=s1; Path=/"));
  world.Route("svc.example", "/des.txt", TWorldResponse::Page("\xEF\xBB\xBF软件介绍 v2"));
  auto reply = Fetch("http://svc.example/http.aspx?action=des&t=8");
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(*reply, Cp936("软件介绍 v2"));  // the byte-order mark is not text
  auto second = world.Requests({"svc.example", "/des.txt"});
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].Cookie, "ASP=s1");
  EXPECT_EQ(second[0].UserAgent, kServiceUserAgent);
}

TEST_F(ServicePageFetchTest, EveryFailureGivesEmptyText) {
  world.Route("svc.example", "/bad", TWorldResponse::Page("ok \xC3\x28 broken"));
  world.Route("svc.example", "/missing", TWorldResponse::Page("not here", 404));
  world.Route("svc.example", "/error", TWorldResponse::Page("oops", 500));
  for (const char* url :
       {"http://svc.example/bad", "http://svc.example/missing", "http://svc.example/error"}) {
    auto reply = Fetch(url);
    ASSERT_TRUE(reply.has_value()) << url;
    EXPECT_EQ(*reply, "") << url;
  }
  // A page address without the service's host is not requested at all.
  int before = world.Count();
  auto hostless = Fetch("http.aspx?action=des&t=8");
  ASSERT_TRUE(hostless.has_value());
  EXPECT_EQ(*hostless, "");
  EXPECT_EQ(world.Count(), before);
}

TEST_F(ServicePageFetchTest, RefusedConnectionGivesEmptyText) {
  SetEngineSettings(TEngineSettings{});
  int closedPort = 0;
  {
    TLoopbackWorld gone;
    closedPort = gone.Port();
  }
  auto reply = Fetch("http://127.0.0.1:" + std::to_string(closedPort) + "/x");
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(*reply, "");
}

TEST_F(ServicePageFetchTest, ReplyAfterThePortClosedIsDropped) {
  TWorldResponse slow = TWorldResponse::Page("late");
  slow.DelayMs = 300;
  world.Route("svc.example", "/slow", slow);
  auto own = TMainThreadPort::Create();
  bool called = false;
  TServicePageFetch::Start("http://svc.example/slow", own,
                           [&called](const std::string&) { called = true; });
  ASSERT_TRUE(world.WaitForCount({"svc.example", "/slow"}, 1, 10000));
  own->Close();
  EXPECT_TRUE(TWorkerThread::WaitAllEnded(20000, [] { PumpEvents(); }));
  PumpEvents(50);
  EXPECT_FALSE(called);
}

}  // namespace
}  // namespace zoqa::test
