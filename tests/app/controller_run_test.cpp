// The controller with real harvesters and crawlers against the loopback world: a task that
// ends by itself, one engine ending while another runs, pause and resume, and the faults of
// a running task (keyword deleted, history cleared, stopped while held, read-only database).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "appfixture.h"

namespace zoqa::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Strings = std::vector<std::string>;

const char kKey[] = "广州 电子";
// Result pages of the endless world come slowly enough that a page's crawlers report their
// companies before the stop rule (four page reports without a new company) could end the
// task, also on a loaded machine.
constexpr int kEndlessPageMs = 1000;

// The number after `key` in a request target, or -1.
int Param(const std::string& target, const std::string& key) {
  std::size_t at = target.find("&" + key);
  if (at == std::string::npos) return -1;
  return std::atoi(target.c_str() + at + key.size() + 1);
}

class ControllerRunTest : public AppTest {
 protected:
  // Company sites "www.bd<i>.com" (Baidu) and "www.qh<i>.com" (360), each with a mobile
  // number and a registry name.
  void AddSites(int count) {
    for (int i = 0; i < count; ++i) {
      std::string n = std::to_string(i);
      AddCompanySite(
          world, {"www.bd" + n + ".com", "百度站" + n, "020-8000" + std::to_string(1000 + i),
                  "1390000" + std::to_string(1000 + i), true, false, "百度第" + n + "号有限公司"});
      AddCompanySite(
          world,
          {"www.qh" + n + ".com", "三六零站" + n, "020-9000" + std::to_string(1000 + i),
           "1370000" + std::to_string(1000 + i), true, false, "三六零第" + n + "号有限公司"});
    }
  }

  // Result pages of both engines: page index i links to the sites `sitesOf(i)` (indexes into
  // AddSites); a page without sites is a result page without results.
  void RouteResults(std::function<std::vector<int>(int page)> sitesOf) {
    world.RouteFn("www.baidu.com", "/s?", [sitesOf](const TWorldRequest& r) {
      int pn = Param(r.Target, "pn=");
      std::vector<TBaiduResultBlock> blocks;
      for (int i : sitesOf(pn < 0 ? 0 : pn / 10)) {
        std::string n = std::to_string(i);
        blocks.push_back({"百度站" + n, "http://www.bd" + n + ".com/"});
      }
      return TWorldResponse::Page(BaiduResultPage({}, blocks));
    });
    world.RouteFn("www.so.com", "/s?", [sitesOf](const TWorldRequest& r) {
      int pn = Param(r.Target, "pn=");
      std::vector<std::string> anchors;
      for (int i : sitesOf(pn < 0 ? 0 : pn - 1)) {
        anchors.push_back(Anchor("http://www.qh" + std::to_string(i) + ".com/", "三六零站"));
      }
      return TWorldResponse::Page(LinkResultPage(anchors));
    });
  }

  // Every page brings a new company on each engine, up to `pages` pages.
  void EndlessCompanies(int pages = 60) {
    AddSites(pages);
    RouteResults(
        [pages](int page) { return page < pages ? std::vector<int>{page} : std::vector<int>{}; });
  }

  // Starts `kKey` with the engines ticked as given, the keyword on show.
  void StartTask(std::array<bool, 3> engines) {
    view.Engines = engines;
    Open();
    ASSERT_TRUE(controller->AddTask(Cp936(kKey)));
    ASSERT_TRUE(WaitLoaded(kKey));
    ASSERT_NE(Key(kKey), nullptr);
    ASSERT_NE(Key(kKey)->TaskCtl, nullptr);
  }

  // Adding another keyword empties the grid (the grid's own part in clearing the history is
  // the subject of the command's test).
  void EmptyGrid() {
    view.Answers = {kMsgCancel};
    controller->AddTask(Cp936("另一个词"));
    ASSERT_EQ(view.GridRowCount(), 0);
  }

  bool WaitRows(int rows) {
    return PumpUntil([&] { return view.GridRowCount() >= rows; }, 20000);
  }

  int BaiduSearches() const { return world.Count({"www.baidu.com", "/s?"}); }
  std::string Pages() {
    return Single("select lastpage || ',' || sglastpage || ',' || s360lastpage from tbl_key");
  }
};

TEST_F(ControllerRunTest, TaskEndsByItselfWhenPagesStopBringingCompanies) {
  SetGates(400, 10);
  AddSites(2);
  RouteResults([](int page) { return page == 0 ? std::vector<int>{0, 1} : std::vector<int>{}; });
  StartTask({true, false, false});
  ASSERT_TRUE(PumpUntil([&] { return Key(kKey)->TaskCtl == nullptr && AllQuiet(); }, 30000));

  Strings names = view.GridNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (Strings{"百度第0号有限公司", "百度第1号有限公司"}));
  // The stop rule stopped the task once; the end report made the item startable again.
  EXPECT_EQ(view.Count("SetItemDate 广州 电子|正在停止任务..."), 1);
  Strings buttons = view.CallsStarting({"SetItemButton 广州 电子|0|"});
  EXPECT_THAT(buttons, ElementsAre("SetItemButton 广州 电子|0|1|stopbtn",
                                   "SetItemButton 广州 电子|0|0|stopbtn",
                                   "SetItemButton 广州 电子|0|1|startbtn"));
  EXPECT_EQ(view.Item(kKey)->Date, DateLine(kKey));
  // The end report saved the page the harvester would have fetched next: one past the last
  // page whose report was taken.
  int searches = BaiduSearches();
  EXPECT_GE(searches, 4);
  EXPECT_LE(searches, 6);
  EXPECT_EQ(Single("select lastpage from tbl_key"), std::to_string(searches));
  EXPECT_EQ(Key(kKey)->LastPage, searches - 1);
  EXPECT_EQ(Single("select count(*) from tbl_list where source='百度' and ispay=0"), "2");
  EXPECT_EQ(controller->LiveControllers(), 0u);
}

TEST_F(ControllerRunTest, OneEngineEndsWhileTheOtherRunsAndAPressResumesWithoutNewThreads) {
  QuietEngines();
  StartTask({true, true, false});
  // Sogou gives up on its failed first page; Baidu goes on.
  ASSERT_TRUE(PumpUntil([&] { return view.Item(kKey)->Style == kStartBtn; }, 10000));
  TTaskCtl* ctl = Key(kKey)->TaskCtl;
  ASSERT_NE(ctl, nullptr);
  ASSERT_EQ(ctl->Engines().size(), 1u);
  auto baidu = ctl->Engines()[0].second;
  EXPECT_EQ(Pages(), "0,0,0");
  int sogou = world.Count({"www.sogou.com", ""});
  int threads = TWorkerThread::Running();

  controller->KeyButtonClick(Cp936(kKey), 0);
  EXPECT_EQ(view.Item(kKey)->Style, kStopBtn);
  EXPECT_EQ(Key(kKey)->TaskCtl, ctl);
  ASSERT_EQ(ctl->Engines().size(), 1u);
  EXPECT_EQ(ctl->Engines()[0].second, baidu);
  EXPECT_EQ(TWorkerThread::Running(), threads);
  PumpEvents(300);
  EXPECT_EQ(world.Count({"www.sogou.com", ""}), sogou);
}

TEST_F(ControllerRunTest, PauseThenStartGoesOnWithTheSameHarvesters) {
  SetGates(kEndlessPageMs, 10);
  EndlessCompanies();
  StartTask({true, false, true});
  ASSERT_TRUE(WaitRows(2));
  TTaskCtl* ctl = Key(kKey)->TaskCtl;
  auto before = ctl->Engines();
  view.Clear();
  controller->PauseTask(Cp936(kKey));
  EXPECT_THAT(view.ItemCalls(kKey), ElementsAre("SetItemDate 广州 电子|任务已暂停...",
                                                "SetItemButton 广州 电子|0|1|startbtn"));
  PumpEvents(500);
  int held = BaiduSearches();
  PumpEvents(600);
  EXPECT_EQ(BaiduSearches(), held);

  view.Clear();
  controller->KeyButtonClick(Cp936(kKey), 0);
  EXPECT_THAT(view.ItemCalls(kKey), ElementsAre("SetItemDate 广州 电子|" + DateLine(kKey),
                                                "SetItemButton 广州 电子|0|1|stopbtn"));
  EXPECT_EQ(Key(kKey)->TaskCtl, ctl);
  EXPECT_EQ(ctl->Engines(), before);
  EXPECT_TRUE(PumpUntil([&] { return BaiduSearches() > held; }, 5000));
}

TEST_F(ControllerRunTest, StoppedWhilePausedEndsAndSavesThePages) {
  SetGates(kEndlessPageMs, 10);
  EndlessCompanies();
  StartTask({true, false, true});
  ASSERT_TRUE(WaitRows(3));
  controller->PauseTask(Cp936(kKey));
  PumpEvents(300);
  controller->StopTask(Cp936(kKey), true);
  EXPECT_EQ(view.Item(kKey)->Date, "正在停止任务...");
  EXPECT_FALSE(view.Item(kKey)->Enabled);
  EXPECT_EQ(Key(kKey)->TaskCtl, nullptr);
  ASSERT_TRUE(WaitQuiet(20000));
  EXPECT_TRUE(view.Item(kKey)->Enabled);
  EXPECT_EQ(view.Item(kKey)->Style, kStartBtn);
  // Each engine's end saved its next page: one past the last Baidu result page, or a page
  // whose crawler the stop cut short. Every page before it gave its company.
  int saved = std::stoi(Single("select lastpage from tbl_key"));
  EXPECT_LE(saved, BaiduSearches());
  EXPECT_GE(std::stoi(Single("select count(*) from tbl_list where source='百度'")), saved);
  EXPECT_NE(Single("select s360lastpage from tbl_key"), "0");
  EXPECT_EQ(controller->LiveControllers(), 0u);
}

TEST_F(ControllerRunTest, KeywordDeletedWhileItsTaskRuns) {
  SetGates(kEndlessPageMs, 10);
  EndlessCompanies();
  StartTask({true, false, true});
  ASSERT_TRUE(WaitRows(2));
  controller->KeyButtonClick(Cp936(kKey), 1);
  EXPECT_EQ(Key(kKey), nullptr);
  EXPECT_TRUE(view.ItemOrder().empty());
  // The task was stopped with the keyword; its crawlers' last reports find no keyword.
  ASSERT_TRUE(WaitQuiet(20000));
  EXPECT_EQ(Single("select count(*) from tbl_key") + Single("select count(*) from tbl_list"), "00");
  EXPECT_EQ(controller->LiveControllers(), 0u);
  // A company reported afterwards for the keyword changes nothing.
  view.Clear();
  ReportCompany(kKey, "迟到的公司");
  EXPECT_THAT(view.CallsStarting({"AddKeyItem", "SetItem", "AppendGridRow", "CompanyStored"}),
              IsEmpty());
  EXPECT_EQ(Single("select count(*) from tbl_list"), "0");
}

TEST_F(ControllerRunTest, HistoryClearedWhileATaskRuns) {
  SetGates(kEndlessPageMs, 10);
  EndlessCompanies();
  StartTask({true, false, false});
  ASSERT_TRUE(WaitRows(2));
  EmptyGrid();
  view.Clear();
  controller->ClearHistory();
  EXPECT_TRUE(view.ItemOrder().empty());
  EXPECT_EQ(view.GridRowCount(), 0);
  // The task is not stopped by the clearing itself, but it can store nothing any more: its
  // next report stops it, even while its pages still bring companies.
  EXPECT_TRUE(WaitQuiet(20000)) << BaiduSearches() << " result pages asked after the clearing";
  EXPECT_THAT(view.CallsStarting({"AddKeyItem", "AppendGridRow", "FillGrid"}), IsEmpty());
  EXPECT_TRUE(Store().Keys().empty());
  EXPECT_EQ(Single("select count(*) from tbl_key") + Single("select count(*) from tbl_list"), "00");
  EXPECT_EQ(controller->LiveControllers(), 0u);
}

// The keyword added again right after the clearing is a new keyword: the old task is stopped
// at its next report, and none of its companies, pages or end reports reach the new one.
TEST_F(ControllerRunTest, TaskOfAClearedKeywordNeverFeedsTheKeywordAddedAgain) {
  SetGates(kEndlessPageMs, 10);
  EndlessCompanies();
  StartTask({true, false, false});
  ASSERT_TRUE(WaitRows(2));
  EmptyGrid();
  controller->ClearHistory();
  view.Answers = {kMsgCancel};
  ASSERT_TRUE(controller->AddTask(Cp936(kKey)));
  EXPECT_TRUE(WaitQuiet(20000)) << BaiduSearches() << " result pages asked after the clearing";
  EXPECT_EQ(Key(kKey)->ListCount, 0);
  EXPECT_EQ(Single("select count(*) from tbl_list"), "0");
  EXPECT_EQ(Pages(), "0,0,0");
  EXPECT_EQ(view.Item(kKey)->Style, kStartBtn);
  EXPECT_EQ(view.Item(kKey)->Date, DateLine(kKey));
  EXPECT_EQ(controller->LiveControllers(), 0u);
}

// A keyword deleted while its task runs and added again at once is a new keyword: what the
// old task still reports (companies its crawlers had read, the page it reached) goes nowhere.
TEST_F(ControllerRunTest, TaskOfADeletedKeywordNeverFeedsTheKeywordAddedAgain) {
  SetGates(kEndlessPageMs, 10);
  EndlessCompanies();
  StartTask({true, false, true});
  ASSERT_TRUE(WaitRows(2));
  controller->KeyButtonClick(Cp936(kKey), 1);
  view.Answers = {kMsgCancel};
  ASSERT_TRUE(controller->AddTask(Cp936(kKey)));
  EXPECT_TRUE(WaitQuiet(20000));
  EXPECT_EQ(Key(kKey)->ListCount, 0);
  EXPECT_EQ(Single("select count(*) from tbl_list"), "0");
  EXPECT_EQ(Pages(), "0,0,0");
  EXPECT_EQ(controller->LiveControllers(), 0u);
}

// A paused task holds its harvesters, which never report by themselves: clearing the history
// stops them.
TEST_F(ControllerRunTest, HistoryClearedWhileATaskIsPaused) {
  SetGates(kEndlessPageMs, 10);
  EndlessCompanies();
  StartTask({true, false, true});
  ASSERT_TRUE(WaitRows(2));
  controller->PauseTask(Cp936(kKey));
  // Once their crawlers are done, the held harvesters send nothing that could stop them.
  TTaskCtl* ctl = Key(kKey)->TaskCtl;
  ASSERT_TRUE(PumpUntil(
      [&] {
        for (const auto& [name, harvester] : ctl->Engines()) {
          if (harvester->RunningCrawlers() > 0) return false;
        }
        return true;
      },
      20000));
  PumpEvents(200);
  EmptyGrid();
  controller->ClearHistory();
  EXPECT_TRUE(WaitQuiet(10000)) << THarvester::Unreported() << " harvesters still held";
  EXPECT_EQ(controller->LiveControllers(), 0u);
}

// Engines ticked for a keyword whose search ended by the stop rule get pages of their own:
// 360's first page brings no new company (its one site is Baidu's), its second two.
TEST_F(ControllerRunTest, EnginesAddedToAnEndedKeywordSearchTheirPages) {
  SetGates(400, 10);
  AddSites(2);
  RouteResults([](int page) { return page == 0 ? std::vector<int>{0, 1} : std::vector<int>{}; });
  StartTask({true, false, false});
  ASSERT_TRUE(PumpUntil([&] { return Key(kKey)->TaskCtl == nullptr && AllQuiet(); }, 30000));
  ASSERT_EQ(view.GridRowCount(), 2);

  // A longer prefix than the route of both engines', so this one answers.
  world.RouteFn("www.so.com", "/s?q=", [](const TWorldRequest& r) {
    int page = std::max(Param(r.Target, "pn="), 1) - 1;
    std::vector<std::string> anchors;
    if (page == 0) anchors.push_back(Anchor("http://www.bd0.com/", "百度站"));
    for (int i = 0; page == 1 && i < 2; ++i) {
      anchors.push_back(Anchor("http://www.qh" + std::to_string(i) + ".com/", "三六零站"));
    }
    return TWorldResponse::Page(LinkResultPage(anchors));
  });
  view.Engines = {false, false, true};
  controller->KeyButtonClick(Cp936(kKey), 0);
  ASSERT_TRUE(PumpUntil([&] { return Key(kKey)->TaskCtl == nullptr && AllQuiet(); }, 30000));
  EXPECT_EQ(Single("select count(*) from tbl_list where source='360'"), "2");
  EXPECT_GE(std::stoi(Single("select s360lastpage from tbl_key")), 2);
}

// A task orphaned by "清空历史关键词" whose pages bring nothing ends too.
TEST_F(ControllerRunTest, TaskOrphanedByClearHistoryEndsOnceItsPagesDryUp) {
  SetGates(100, 10);
  AddSites(1);
  RouteResults([](int page) { return page == 0 ? std::vector<int>{0} : std::vector<int>{}; });
  StartTask({true, false, false});
  ASSERT_TRUE(WaitRows(1));
  EmptyGrid();
  controller->ClearHistory();
  bool ended = WaitQuiet(10000);
  EXPECT_TRUE(ended) << BaiduSearches() << " result pages asked after the keyword went";
  if (!ended) {
    StopAllWorkers();
    WaitQuiet(10000);
  }
}

TEST_F(ControllerRunTest, ReadOnlyDatabaseWhileATaskRuns) {
  SetGates(kEndlessPageMs, 10);
  EndlessCompanies();
  StartTask({true, false, false});
  ASSERT_TRUE(WaitRows(2));
  // From here on every write fails, as on a file that turned read-only.
  Store().Manager().Database().Query("pragma query_only=1");
  int rows = view.GridRowCount();
  std::string stored = Single("select count(*) from tbl_list");
  // No company is kept any more, so the task runs dry and stops by itself.
  ASSERT_TRUE(PumpUntil([&] { return Key(kKey)->TaskCtl == nullptr && AllQuiet(); }, 30000));
  EXPECT_EQ(view.GridRowCount(), rows);
  EXPECT_EQ(Single("select count(*) from tbl_list"), stored);
  EXPECT_EQ(std::to_string(rows), stored);
  EXPECT_EQ(view.Item(kKey)->Style, kStartBtn);
  EXPECT_TRUE(view.Item(kKey)->Enabled);
  Store().Manager().Database().Query("pragma query_only=0");
}

}  // namespace
}  // namespace zoqa::test
