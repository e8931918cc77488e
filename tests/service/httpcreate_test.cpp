// The configuration fetch against the loopback world: what reaches the callback, on which
// thread, how often, and what happens when nobody is there to receive it.
#include "service/httpcreate.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <string>
#include <vector>

#include "harvest/base/enginesettings.h"
#include "platform/mainthreadport.h"
#include "support/harvestrecorder.h"
#include "support/loopbackworld.h"

namespace zoqa {
namespace {

using test::TLoopbackWorld;
using test::TWorldResponse;

const char kUrl[] = "http://cfg.zoqa.test/soft/kwrt/config.txt";

class HttpCreateTest : public ::testing::Test {
 protected:
  HttpCreateTest() {
    test::EnsureHarvestApp();
    UseProxy(world.ProxyAddress());
    port = TMainThreadPort::Create();
  }
  ~HttpCreateTest() override {
    port->Close();
    EXPECT_TRUE(TWorkerThread::WaitAllEnded(20000, [] { test::PumpEvents(); }));
    SetEngineSettings(TEngineSettings{});
  }

  static void UseProxy(const std::string& address) {
    TEngineSettings settings;
    settings.Proxy = address;
    SetEngineSettings(settings);
  }

  // Starts a fetch of `url` whose callback records the stream and the thread it ran on.
  void Fetch(const std::string& url = kUrl) {
    THttpCreate::Start(url, port, [this](const std::string& stream) {
      received.push_back(stream);
      onMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
      workersWhileCalled = TWorkerThread::Running();
    });
  }

  bool WaitEnded() {
    return test::PumpUntil([] { return TWorkerThread::Running() == 0; }, 20000);
  }

  TLoopbackWorld world;
  std::shared_ptr<TMainThreadPort> port;
  std::vector<std::string> received;
  bool onMainThread = false;
  int workersWhileCalled = 0;
};

TEST_F(HttpCreateTest, BodyReachesTheCallbackOnceOnTheMainThreadWhileTheFetchWaits) {
  const std::string body("\x01\x00\xFF\x80 enciphered", 14);
  world.Route("cfg.zoqa.test", "/soft/kwrt/config.txt", TWorldResponse::Page(body));
  Fetch();
  ASSERT_TRUE(WaitEnded());
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0], body);
  EXPECT_TRUE(onMainThread);
  EXPECT_EQ(workersWhileCalled, 1);  // sent, not posted: the fetch had not ended yet
  auto log = world.Requests({"cfg.zoqa.test", ""});
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].Target, "/soft/kwrt/config.txt");
  EXPECT_EQ(log[0].UserAgent, "Mozilla/4.0 (compatible; Synapse)");
  EXPECT_FALSE(log[0].HasRange);
}

TEST_F(HttpCreateTest, AnyAnswerCountsAndNoAnswerGivesAnEmptyStream) {
  world.Route("cfg.zoqa.test", "/soft/kwrt/config.txt", TWorldResponse::Page("not here", 404));
  Fetch();
  ASSERT_TRUE(WaitEnded());
  EXPECT_EQ(received, (std::vector<std::string>{"not here"}));

  received.clear();
  Fetch("");  // no URL at all
  ASSERT_TRUE(WaitEnded());
  EXPECT_EQ(received, (std::vector<std::string>{""}));

  received.clear();
  TLoopbackWorld gone;
  std::string refused = gone.ProxyAddress();
  gone.Stop();
  UseProxy(refused);
  Fetch();
  ASSERT_TRUE(WaitEnded());
  EXPECT_EQ(received, (std::vector<std::string>{""}));
}

TEST_F(HttpCreateTest, ClosedPortDropsTheCallbackAndTheFetchStillEnds) {
  world.Route("cfg.zoqa.test", "/soft/kwrt/config.txt", [] {
    TWorldResponse r = TWorldResponse::Page("late");
    r.DelayMs = 300;
    return r;
  }());
  Fetch();
  ASSERT_TRUE(world.WaitForCount({"cfg.zoqa.test", ""}, 1, 10000));
  port->Close();
  ASSERT_TRUE(WaitEnded());
  test::PumpEvents(50);
  EXPECT_TRUE(received.empty());
}

}  // namespace
}  // namespace zoqa
