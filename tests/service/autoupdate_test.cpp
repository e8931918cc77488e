// The update installer's chain: package, updater, and the hand-over message.
#include "service/autoupdate.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "service/filecrc.h"
#include "servicefixture.h"
#include "support/zipbuilder.h"

namespace zoqa::test {
namespace {

namespace fs = std::filesystem;

class AutoUpdateTest : public ServiceTest {
 protected:
  AutoUpdateTest() {
    TZipBuilder updater;
    updater.File("update.exe", "new updater", 0755);
    world.Route("up.zoqa.test", "/client.zip", TWorldResponse::Page("client package"));
    world.Route("up.zoqa.test", "/up.zip", TWorldResponse::Page(updater.Bytes()));
    world.Route("up.zoqa.test", "/missing.zip", TWorldResponse::Page("no", 404));
  }

  std::unique_ptr<TUpdateInfo> Offer(const std::string& package, const std::string& updater) {
    auto info = std::make_unique<TUpdateInfo>();
    info->UpdateAvailable = true;
    info->PackageUrl = "http://up.zoqa.test" + package;
    info->UpdaterNeeded = !updater.empty();
    info->UpdaterUrl = updater.empty() ? "" : "http://up.zoqa.test" + updater;
    return info;
  }

  std::unique_ptr<TAutoUpdate> Installer(std::unique_ptr<TUpdateInfo> info) {
    return std::make_unique<TAutoUpdate>(
        port, [this](int wParam, std::int64_t lParam) { received.emplace_back(wParam, lParam); },
        std::move(info), AppFile(""));
  }

  // The messages other than progress, once one of them arrived and the workers ended.
  std::vector<int> Outcome() {
    auto final = [this] {
      for (auto& [w, l] : received) {
        if (w != 2) return true;
      }
      return false;
    };
    EXPECT_TRUE(PumpUntil(final, 30000));
    TWorkerThread::WaitAllEnded(10000, [] { PumpEvents(); });
    PumpEvents(50);
    std::vector<int> codes;
    for (auto& [w, l] : received) {
      if (w != 2) codes.push_back(w);
    }
    return codes;
  }

  std::vector<std::pair<int, std::int64_t>> received;
};

TEST_F(AutoUpdateTest, DownloadsPackageAndUpdaterThenHandsOver) {
  auto installer = Installer(Offer("/client.zip", "/up.zip"));
  installer->Start();
  EXPECT_EQ(Outcome(), std::vector<int>{5});
  EXPECT_EQ(ReadFileBytes(AppFile("update.zip")), "client package");  // left for the updater
  EXPECT_EQ(ReadFileBytes(AppFile("update.exe")), "new updater");
  EXPECT_TRUE(IsExecutable(AppFile("update.exe")));
  EXPECT_FALSE(fs::exists(AppFile("up.zip")));
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received.front(), std::make_pair(2, std::int64_t{100}));
}

TEST_F(AutoUpdateTest, HandsOverWithoutUpdaterOrWhenItsDownloadFailed) {
  auto plain = Installer(Offer("/client.zip", ""));
  plain->Start();
  EXPECT_EQ(Outcome(), std::vector<int>{5});
  EXPECT_EQ(world.Count({"up.zoqa.test", "/up.zip"}), 0);

  received.clear();
  auto failing = Installer(Offer("/client.zip", "/missing.zip"));
  failing->Start();
  EXPECT_EQ(Outcome(), std::vector<int>{5});
  EXPECT_EQ(world.Count({"up.zoqa.test", "/missing.zip"}), 1);
}

TEST_F(AutoUpdateTest, AFailedOrMismatchingPackageEndsTheChainWithItsStatus) {
  auto missing = Installer(Offer("/missing.zip", "/up.zip"));
  missing->Start();
  EXPECT_EQ(Outcome(), std::vector<int>{0});

  received.clear();
  WriteFileBytes(AppFile("expected"), "client package");
  auto info = Offer("/client.zip", "/up.zip");
  info->PackageCrc = FileCrc32(AppFile("expected")) + 1;
  auto mismatch = Installer(std::move(info));
  mismatch->Start();
  EXPECT_EQ(Outcome(), std::vector<int>{255});
  EXPECT_EQ(ReadFileBytes(AppFile("update.zip")), "client package");
  EXPECT_EQ(world.Count({"up.zoqa.test", "/up.zip"}), 0);  // the updater is not fetched
}

TEST_F(AutoUpdateTest, NothingHappensWithoutAnOffer) {
  auto installer = Installer(std::make_unique<TUpdateInfo>());
  installer->Start();
  PumpEvents(100);
  EXPECT_EQ(world.Count(), 0);
  EXPECT_EQ(TWorkerThread::Running(), 0);
}

TEST_F(AutoUpdateTest, DestroyingTheInstallerStopsItsDownloadSafely) {
  TWorldResponse slow = TWorldResponse::Page("client package");
  slow.DelayMs = 10000;
  world.Route("up.zoqa.test", "/slow.zip", slow);
  auto installer = Installer(Offer("/slow.zip", "/up.zip"));
  installer->Start();
  ASSERT_TRUE(world.WaitForCount({"up.zoqa.test", "/slow.zip"}, 1, 5000));
  auto started = SteadyMs();
  installer.reset();
  EXPECT_TRUE(TWorkerThread::WaitAllEnded(10000, [] { PumpEvents(); }));
  EXPECT_LT(SteadyMs() - started, 6000);  // long before the package would have come
  PumpEvents(50);
  EXPECT_TRUE(received.empty());
  EXPECT_FALSE(fs::exists(AppFile("update.zip")));
  EXPECT_EQ(world.Count({"up.zoqa.test", "/up.zip"}), 0);
}

}  // namespace
}  // namespace zoqa::test
