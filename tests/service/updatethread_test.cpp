// The periodic version check: the reply's parsing, the query it sends and its notice.
#include "service/updatethread.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/clientversion.h"
#include "service/servicesettings.h"
#include "servicefixture.h"

namespace zoqa::test {
namespace {

TEST(VersionReplyTest, TakesTheUrlsAfterTheFirstEqualsSign) {
  auto info = ParseVersionReply(
      "zoqa=http://dl.zoqa.test/client.zip?v=2.2&x=1`eupdate=http://dl.zoqa.test/up.zip");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->PackageUrl, "http://dl.zoqa.test/client.zip?v=2.2&x=1");
  EXPECT_EQ(info->UpdaterUrl, "http://dl.zoqa.test/up.zip");

  // Blanks around the reply and the items, an item without "=", quoted items.
  info = ParseVersionReply("  \r\nhttp://a.test/p.zip ` \"b=http://b.test/u.zip\"\r\n");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->PackageUrl, "http://a.test/p.zip");
  EXPECT_EQ(info->UpdaterUrl, "http://b.test/u.zip");

  // An updater item without "http://" gives no updater URL, but the package is offered.
  info = ParseVersionReply("a=http://a.test/p.zip`none");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->UpdaterUrl, "");
  info = ParseVersionReply("a=http://a.test/p.zip`");  // a last, empty item
  ASSERT_TRUE(info);
  EXPECT_EQ(info->UpdaterUrl, "");
  info = ParseVersionReply("a=https://a.test/p.zip`b=https://b.test/u.zip");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->PackageUrl, "https://a.test/p.zip");
  EXPECT_EQ(info->UpdaterUrl, "https://b.test/u.zip");
}

TEST(VersionReplyTest, OffersNothingWithoutTwoItemsAndAPackageUrl) {
  for (const char* reply :
       {"", "   ", "a=http://a.test/p.zip", "a=ftp://a.test/p.zip`b=http://b.test/u.zip",
        "nothing`new", "a=`b=http://b.test/u.zip"}) {
    EXPECT_FALSE(ParseVersionReply(reply)) << reply;
  }
}

TEST(VersionQueryTest, NamesClientAndUpdaterVersions) {
  EXPECT_EQ(VersionQueryUrl("v.zoqa.test", "2.1", "1.0"),
            "http://v.zoqa.test/version.aspx?sign=zoqa,2.1|eupdate,1.0");
  TempDir dir;
  EXPECT_EQ(UpdaterVersionText(dir.File("update.exe")), "");
  WriteFileBytes(dir.File("update.exe"), "no version record");
  EXPECT_EQ(UpdaterVersionText(dir.File("update.exe")), "1.0");
  EXPECT_EQ(UpdaterVersionText(ZOQA_FAKE_NEW_PATH), "2.2");  // built as 2.2.0.7
  EXPECT_EQ(UpdaterVersionText(ZOQA_UPDATER_PATH), "1.0");
}

class UpdateThreadTest : public ServiceTest {
 protected:
  UpdateThreadTest() {
    TServiceSettings settings;
    settings.VersionHost = "version.zoqa.test";
    SetServiceSettings(settings);
  }
  void TearDown() override {
    for (auto& t : threads) t->Terminate();
    threads.clear();
    ServiceTest::TearDown();
    SetServiceSettings(TServiceSettings{});
  }
  void Start() {
    threads.push_back(TUpdateThread::Start(
        port,
        [this](int wParam, const TGetUpInfo& info) {
          EXPECT_EQ(wParam, 0);
          notices.push_back(info);
        },
        kClientVersion, 50));
  }

  std::vector<std::shared_ptr<TUpdateThread>> threads;
  std::vector<TGetUpInfo> notices;
};

TEST_F(UpdateThreadTest, AsksRepeatedlyAndSendsTheOffer) {
  CopyProgram(ZOQA_FAKE_NEW_PATH, AppFile("update.exe"));
  world.RoutePrefix("version.zoqa.test", "/version.aspx",
                    TWorldResponse::Page("zoqa=http://dl.test/c.zip`up=http://dl.test/u.zip"));
  Start();
  ASSERT_TRUE(PumpUntil([this] { return notices.size() >= 2; }, 10000));
  EXPECT_EQ(notices[0].PackageUrl, "http://dl.test/c.zip");
  EXPECT_EQ(notices[0].UpdaterUrl, "http://dl.test/u.zip");
  auto log = world.Requests({"version.zoqa.test", ""});
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0].Target, "/version.aspx?sign=zoqa,2.1|eupdate,2.2");
  EXPECT_EQ(log[0].UserAgent, "Mozilla/3.0 (compatible; Indy Library)");
}

TEST_F(UpdateThreadTest, SwallowsErrorsAndKeepsAsking) {
  world.RoutePrefix("version.zoqa.test", "/version.aspx",
                    TWorldResponse::Page("a=http://dl.test/c.zip`b=http://dl.test/u.zip", 500));
  Start();
  ASSERT_TRUE(world.WaitForCount({"version.zoqa.test", ""}, 3, 10000));
  PumpEvents(50);
  EXPECT_TRUE(notices.empty());  // an error page is no offer
  EXPECT_EQ(world.Requests({"version.zoqa.test", ""})[0].Target,
            "/version.aspx?sign=zoqa,2.1|eupdate,");  // no updater installed
}

}  // namespace
}  // namespace zoqa::test
