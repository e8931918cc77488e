// The main window's service-configuration logic: fetching the document from the loopback
// world, applying it through the view, and the failure path with its retries.
#include "app/servicelink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "harvest/base/enginesettings.h"
#include "harvest/net/workerthread.h"
#include "service/desutil.h"
#include "service/servicesettings.h"
#include "support/harvestrecorder.h"
#include "support/loopbackworld.h"
#include "util/codepage.h"
#include "util/msgbox.h"

namespace zoqa::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char kConfigHost[] = "cfg.zoqa.test";
const char kConfigPath[] = "/soft/kwrt/config.txt";
const char kFailText[] = "获取服务配置信息发生了错误,请联系管理员QQ:10086";
const char kForcedText[] = "您的客户端版本太低，服务端已不支持，需升级到最新版本才能正常使用！";

// Records every call in UTF-8, e.g. "ShowMsg 提示|...|1"; StartUpdate keeps the record.
class TRecordingServiceView : public TServiceView {
 public:
  int ShowMsg(const std::string& text, const std::string& caption, int kind) override {
    Calls.push_back("ShowMsg " + Cp936ToUtf8(caption) + "|" + Cp936ToUtf8(text) + "|" +
                    std::to_string(kind));
    return 0;
  }
  void OpenUpdateWindow() override { Calls.push_back("OpenUpdateWindow"); }
  void StartUpdate(std::unique_ptr<TUpdateInfo> info) override {
    Calls.push_back("StartUpdate");
    if (FailStartUpdate) throw std::runtime_error("installer failed");
    Updates.push_back(*info);
  }
  void SetStatusBar(const std::string& text) override {
    Calls.push_back("SetStatusBar " + Cp936ToUtf8(text));
  }
  void StopVersionCheck() override { Calls.push_back("StopVersionCheck"); }
  void ArmDeferredStartup() override { Calls.push_back("ArmDeferredStartup"); }
  void EndProcess() override { Calls.push_back("EndProcess"); }

  std::vector<std::string> Calls;
  std::vector<TUpdateInfo> Updates;
  bool FailStartUpdate = false;
};

std::string Document(const std::string& innerUtf8) {
  return EncipherStream(Cp936("<config>" + innerUtf8 + "</config>"), "qmv3k8rtw");
}

class ServiceLinkTest : public ::testing::Test {
 protected:
  ServiceLinkTest() {
    EnsureHarvestApp();
    TEngineSettings engine;
    engine.Proxy = world.ProxyAddress();
    SetEngineSettings(engine);
    TServiceSettings service;
    service.ConfigHost = kConfigHost;
    service.ServiceHost = "svc.zoqa.test";
    service.AdminContact = "10086";
    SetServiceSettings(service);
  }
  ~ServiceLinkTest() override {
    link.reset();
    EXPECT_TRUE(TWorkerThread::WaitAllEnded(20000, [] { PumpEvents(); }));
    SetServiceSettings(TServiceSettings{});
    SetEngineSettings(TEngineSettings{});
  }

  TServiceLink& Link() {
    if (!link) {
      TUpdaterFiles files{[this] { return updaterExists; }, [] { return std::string("1.0.0.1"); },
                          [this] {
                            ++updaterRemoved;
                            updaterExists = false;
                          },
                          [this] { return folderWritable; }};
      link = std::make_unique<TServiceLink>(view, files);
    }
    return *link;
  }

  int Fetches() const { return world.Count({kConfigHost, kConfigPath}); }

  TLoopbackWorld world;
  TRecordingServiceView view;
  bool updaterExists = true;
  bool folderWritable = true;
  int updaterRemoved = 0;
  std::unique_ptr<TServiceLink> link;
};

TEST_F(ServiceLinkTest, LinkOffDoesNothingAtAll) {
  SetServiceSettings(TServiceSettings{});
  EXPECT_FALSE(Link().Start());
  PumpEvents(200);
  EXPECT_EQ(world.Count(), 0);
  EXPECT_THAT(view.Calls, IsEmpty());
  EXPECT_FALSE(Link().RetryPending());
}

TEST_F(ServiceLinkTest, FetchedDocumentIsApplied) {
  world.Route(
      kConfigHost, kConfigPath,
      TWorldResponse::Page(Document("<version/><system><zqmailurl>http://t/mail.zip</zqmailurl>"
                                    "<zqsmsurl>http://t/sms.zip</zqsmsurl></system>")));
  EXPECT_EQ(Link().ConfigUrl(), "http://cfg.zoqa.test/soft/kwrt/config.txt");
  EXPECT_EQ(Link().ServiceBaseUrl(), "");
  ASSERT_TRUE(Link().Start());
  ASSERT_TRUE(PumpUntil([&] { return !view.Calls.empty(); }, 20000));
  EXPECT_THAT(view.Calls, ElementsAre("StopVersionCheck", "ArmDeferredStartup"));
  EXPECT_EQ(Link().ServiceBaseUrl(), "http://svc.zoqa.test/");
  EXPECT_EQ(Link().ToolUrl(0), "http://t/mail.zip");
  EXPECT_EQ(Link().ToolUrl(1), "http://t/sms.zip");
  EXPECT_EQ(Link().ToolUrl(2), "");
  EXPECT_EQ(Link().RetriesMade(), 0);
  EXPECT_EQ(Fetches(), 1);
}

TEST_F(ServiceLinkTest, FailedFetchIsRetriedAfterASecond) {
  std::atomic<int> answered{0};
  world.RouteFn(kConfigHost, kConfigPath, [&](const TWorldRequest&) {
    return ++answered == 1 ? TWorldResponse::Page("", 503)
                           : TWorldResponse::Page(Document("<system/>"));
  });
  ASSERT_TRUE(Link().Start());
  ASSERT_TRUE(PumpUntil([&] { return !view.Calls.empty(); }, 20000));
  EXPECT_THAT(view.Calls, ElementsAre("ArmDeferredStartup"));
  EXPECT_EQ(Link().RetriesMade(), 1);
  EXPECT_EQ(Link().ServiceBaseUrl(), "http://svc.zoqa.test/");
  auto log = world.Requests({kConfigHost, kConfigPath});
  ASSERT_EQ(log.size(), 2u);
  EXPECT_GE(log[1].AtMs - log[0].AtMs, 950);
}

TEST_F(ServiceLinkTest, UnusableBodyFailsYetArmsTheDeferredStartup) {
  for (const std::string& body : {std::string("<html>error page</html>"), Document("<system>"),
                                  EncipherStream("<config><system/></config>", "wrong key")}) {
    view.Calls.clear();
    Link().HandleConfig(body);
    EXPECT_THAT(view.Calls, ElementsAre("ArmDeferredStartup"));
    EXPECT_TRUE(Link().RetryPending());
  }
  EXPECT_EQ(Link().RetriesMade(), 3);
  EXPECT_EQ(Link().ServiceBaseUrl(), "");

  // The fourth failure ends the program; the deferred start-up no longer matters.
  view.Calls.clear();
  Link().HandleConfig("garbage");
  EXPECT_THAT(view.Calls,
              ElementsAre(std::string("ShowMsg 提示|") + kFailText + "|1", "EndProcess"));
  EXPECT_TRUE(Link().Ended());
  view.Calls.clear();
  Link().HandleConfig(Document("<system/>"));
  EXPECT_THAT(view.Calls, IsEmpty());
}

TEST_F(ServiceLinkTest, NothingReceivedFourTimesShowsTheMessageAndEnds) {
  for (int i = 1; i <= 3; ++i) {
    Link().HandleConfig("");
    EXPECT_EQ(Link().RetriesMade(), i);
    EXPECT_TRUE(Link().RetryPending());
  }
  EXPECT_THAT(view.Calls, IsEmpty());
  Link().HandleConfig("");
  EXPECT_THAT(view.Calls,
              ElementsAre(std::string("ShowMsg 提示|") + kFailText + "|1", "EndProcess"));
}

TEST_F(ServiceLinkTest, NewerClientOpensTheUpdateWindowAndHandsTheOfferOver) {
  updaterExists = false;
  Link().HandleConfig(
      Document("<version><zoqa ver='2.2' crc='-1'>http://u/update.zip</zoqa>"
               "<zoqaupdate ver='1.0.0.9' crc='7'>http://u/up.zip</zoqaupdate></version>"));
  EXPECT_THAT(view.Calls, ElementsAre("StopVersionCheck", "OpenUpdateWindow", "StartUpdate",
                                      "ArmDeferredStartup"));
  ASSERT_EQ(view.Updates.size(), 1u);
  const TUpdateInfo& u = view.Updates[0];
  EXPECT_TRUE(u.UpdateAvailable);
  EXPECT_FALSE(u.Forced);
  EXPECT_EQ(u.PackageUrl, "http://u/update.zip");
  EXPECT_EQ(u.PackageCrc, 0xFFFFFFFFu);
  EXPECT_TRUE(u.UpdaterNeeded);
  EXPECT_EQ(u.UpdaterUrl, "http://u/up.zip");
  EXPECT_EQ(u.UpdaterCrc, 7u);
}

TEST_F(ServiceLinkTest, ForcedUpdateIsAnnouncedFirst) {
  Link().HandleConfig(Document("<version><zoqa ver='3' force='1'>http://u/z</zoqa></version>"));
  EXPECT_THAT(view.Calls,
              ElementsAre("StopVersionCheck", std::string("ShowMsg 提示|") + kForcedText + "|1",
                          "OpenUpdateWindow", "StartUpdate", "ArmDeferredStartup"));
  EXPECT_TRUE(view.Updates.at(0).Forced);
}

TEST_F(ServiceLinkTest, UpdateThatCannotBeInstalledIsReportedOnceAndTheProgramStays) {
  folderWritable = false;
  const std::string offer =
      Document("<version><zoqa ver='3' force='1'>http://u/z</zoqa></version>");
  Link().HandleConfig(offer);
  Link().HandleConfig(offer);
  EXPECT_THAT(
      view.Calls,
      ElementsAre("StopVersionCheck", "SetStatusBar 程序所在的目录不可写，无法自动升级到新版本",
                  "ArmDeferredStartup", "StopVersionCheck", "ArmDeferredStartup"));
  EXPECT_TRUE(view.Updates.empty());
}

TEST_F(ServiceLinkTest, RequireHttpsBuildsHttpsAddresses) {
  TServiceSettings service = *ServiceSettings();
  service.RequireHttps = true;
  SetServiceSettings(service);
  EXPECT_EQ(Link().ConfigUrl(), "https://cfg.zoqa.test/soft/kwrt/config.txt");
  Link().HandleConfig(Document("<system/>"));
  EXPECT_EQ(Link().ServiceBaseUrl(), "https://svc.zoqa.test/");
}

TEST_F(ServiceLinkTest, UpdaterAloneIsNoUpdate) {
  // The outdated updater is gone already; it comes again with the next client update.
  Link().HandleConfig(
      Document("<version><zoqa ver='2.10'>http://u/z</zoqa>"
               "<zoqaupdate ver='1.0.0.2'>http://u/up.zip</zoqaupdate></version>"));
  EXPECT_THAT(view.Calls, ElementsAre("StopVersionCheck", "ArmDeferredStartup"));
  EXPECT_EQ(updaterRemoved, 1);
  EXPECT_EQ(Link().RetriesMade(), 0);
}

TEST_F(ServiceLinkTest, ErrorWhileApplyingFailsWithoutTheDeferredStartup) {
  view.FailStartUpdate = true;
  Link().HandleConfig(Document("<version><zoqa ver='2.2'>http://u/z</zoqa></version>"));
  EXPECT_THAT(view.Calls, ElementsAre("StopVersionCheck", "OpenUpdateWindow", "StartUpdate"));
  EXPECT_EQ(Link().RetriesMade(), 1);
  EXPECT_TRUE(Link().RetryPending());
}

TEST_F(ServiceLinkTest, LaterDocumentWithoutSystemKeepsTheAddresses) {
  Link().HandleConfig(Document("<system><zqmailurl>http://t/m</zqmailurl></system>"));
  Link().HandleConfig(Document("<other/>"));
  EXPECT_EQ(Link().ServiceBaseUrl(), "http://svc.zoqa.test/");
  EXPECT_EQ(Link().ToolUrl(0), "http://t/m");
  EXPECT_THAT(view.Calls, ElementsAre("ArmDeferredStartup", "ArmDeferredStartup"));
}

}  // namespace
}  // namespace zoqa::test
