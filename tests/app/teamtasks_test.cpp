// The window's controller on the team store's task queue: start, pause and stop set the
// keyword's task states there, each item shows how its tasks stand and who holds them, and
// the program's own worker harvests a task and hands it back at the page reached on quit.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <cstdlib>

#include "app/teamtaskcontroller.h"
#include "store/pgtaskqueue.h"
#include "support/silentlistener.h"
#include "teamappfixture.h"

namespace zoqa::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

const char kKeyword[] = "团队 任务";

class TeamTasksTest : public TeamAppTest {
 protected:
  void SetUp() override {
    TeamAppTest::SetUp();
    if (IsSkipped()) return;
    TPgStore(TStoreUrl(pg.Url())).AddKey(Cp936(kKeyword), LocalNowSeconds());
  }
  void TearDown() override {
    if (controller) controller->EndTeamWork([] { QCoreApplication::processEvents(); });
    TeamAppTest::TearDown();
  }

  void OpenWith(bool workHere) {
    WriteFileBytes(dir.File("zqclient.cfg"),
                   std::string("[store]\nWorkHere=") + (workHere ? "1" : "0") + "\n");
    Open();
  }

  // The keyword's tasks as "engine state" pairs, in engine order.
  std::string States() const {
    return pg.Query("select string_agg(engine || ' ' || state, ',' order by engine) from tbl_task");
  }

  bool WaitStates(const std::string& want, int timeoutMs = 20000) {
    return PumpUntil([&] { return States() == want; }, timeoutMs);
  }

  bool WaitItem(const std::function<bool(const TRecordingView::TItem&)>& want) {
    return PumpUntil([&] { return view.Item(kKeyword) && want(*view.Item(kKeyword)); }, 20000);
  }
};

TEST_F(TeamTasksTest, StartPauseAndStopSetTheTaskStatesAndTheItemFollowsThem) {
  OpenWith(false);
  view.Engines = {true, false, true};  // Baidu and 360
  controller->KeyButtonClick(Cp936(kKeyword), 0);
  EXPECT_EQ(view.Item(kKeyword)->Style, kStopBtn);
  ASSERT_TRUE(WaitStates("360 ready,baidu ready"));
  ASSERT_TRUE(WaitItem([](const auto& item) { return item.Note == "百度待采 360待采"; }));

  // Another machine takes the Baidu task: the item names it.
  TPgTaskQueue other(TStoreUrl(pg.Url()), "other:7", 60);
  ASSERT_EQ(other.Claim(egBaidu, 1, {}).size(), 1u);
  ASSERT_TRUE(WaitItem([](const auto& item) {
    return item.Tip.find("百度：采集中（other:7）") != std::string::npos;
  }));

  controller->PauseTask(Cp936(kKeyword));
  EXPECT_EQ(view.Item(kKeyword)->Style, kStartBtn);
  ASSERT_TRUE(WaitStates("360 paused,baidu paused"));
  ASSERT_TRUE(WaitItem([](const auto& item) { return item.Note == "百度暂停 360暂停"; }));
  EXPECT_EQ(view.Item(kKeyword)->Style, kStartBtn);

  controller->KeyButtonClick(Cp936(kKeyword), 0);
  ASSERT_TRUE(WaitStates("360 ready,baidu ready"));
  ASSERT_TRUE(WaitItem([](const auto& item) { return item.Style == kStopBtn; }));
  controller->StopTask(Cp936(kKeyword), true);
  ASSERT_TRUE(WaitStates("360 done,baidu done"));
  ASSERT_TRUE(WaitItem([](const auto& item) { return item.Note == "百度完成 360完成"; }));
  EXPECT_EQ(view.Item(kKeyword)->Style, kStartBtn);
  // No worker ran here: nothing was searched.
  EXPECT_EQ(Searches("www.baidu.com", "/s?"), 0);
}

TEST_F(TeamTasksTest, TheProgramsWorkerHarvestsAndHandsTheTaskBackOnQuit) {
  AddCompanySite(world, {"www.team0.com", "团队站", "020-80001000", "13900001000", true, false,
                         "团队第零号有限公司"});
  // The first result page links the site; the second is never answered, so the task is
  // still held when the program quits.
  world.RouteFn("www.baidu.com", "/s?", [](const TWorldRequest& r) {
    std::size_t pn = r.Target.find("pn=");
    if (pn == std::string::npos || std::atoi(r.Target.c_str() + pn + 3) == 0) {
      return TWorldResponse::Page(BaiduResultPage({}, {{"团队站", "http://www.team0.com/"}}));
    }
    TWorldResponse held;
    held.NeverAnswer = true;
    return held;
  });
  OpenWith(true);
  Store().WatchOthers(200);
  view.Engines = {true, false, false};
  controller->SelectKeyword(Cp936(kKeyword));
  ASSERT_TRUE(WaitLoaded(kKeyword));
  // The store's watch first notes where the keyword's companies end; what is stored before
  // that first look is not taken in.
  PumpUntil([] { return false; }, 600);
  controller->KeyButtonClick(Cp936(kKeyword), 0);

  // The company the worker stored reaches the grid, the count and the tip.
  ASSERT_TRUE(PumpUntil([&] { return view.GridNames().size() == 1; }, 60000));
  EXPECT_EQ(view.GridNames()[0], "团队第零号有限公司");
  EXPECT_EQ(view.Item(kKeyword)->Count, "1条");
  ASSERT_TRUE(
      WaitItem([](const auto& item) { return item.Tip.find("本机") != std::string::npos; }));
  ASSERT_TRUE(PumpUntil([&] { return pg.Query("select page from tbl_task") == "1"; }, 30000));

  controller->EndTeamWork([] { QCoreApplication::processEvents(); });
  EXPECT_EQ(pg.Query("select state || ' ' || coalesce(owner, '-') || ' ' || page from tbl_task"),
            "ready - 1");
  EXPECT_EQ(pg.Query("select count(*) from tbl_list"), "1");
}

// Quitting while the program's worker connects to a store that never answers ends at once,
// not after connect_timeout (10 s) for each connection the loop tries.
TEST(TeamTaskQuit, AQuitWhileTheStoreDoesNotAnswerEndsWithinSeconds) {
  EnsureHarvestApp();
  TempDir dir;
  SetAppDirOverride(dir.Path());
  TSilentListener silent;
  {
    TTeamTaskController team(TStoreUrl(silent.StoreUrl()), true, "here:1");
    ASSERT_TRUE(PumpUntil([&] { return silent.Pending(); }, 10000));
    PumpUntil([] { return false; }, 1000);
    auto begun = std::chrono::steady_clock::now();
    team.EndWork([] { QCoreApplication::processEvents(); });
    EXPECT_LT(std::chrono::steady_clock::now() - begun, std::chrono::seconds(5));
  }
  SetAppDirOverride("");
}

TEST(TeamTaskText, DescribesEachEnginesStateAndHolder) {
  std::vector<TTaskRow> rows(3);
  rows[0].Keyword = "k";
  rows[0].Engine = egBaidu;
  rows[0].State = "leased";
  rows[0].Owner = "me:1";
  rows[0].Page = 2;
  rows[1].Engine = egSogou;
  rows[1].State = "failed";
  rows[1].LastError = "超时";
  rows[2].Engine = eg360;
  rows[2].State = "done";
  TKeyTasks tasks = DescribeTasks(rows, "me:1");
  EXPECT_TRUE(tasks.Open);
  EXPECT_EQ(U8(tasks.Note), "百度采集中 搜狗失败 360完成");
  EXPECT_EQ(U8(tasks.Tip),
            "百度：采集中（本机），下次从第3页起\n搜狗：失败（超时），下次从第1页起\n"
            "360：完成，下次从第1页起");
  rows.resize(1);
  rows[0].State = "paused";
  EXPECT_FALSE(DescribeTasks(rows, "me:1").Open);
}

}  // namespace
}  // namespace zoqa::test
