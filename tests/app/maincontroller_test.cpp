// The main window's controller with reports fed as harvesters and crawlers send them: what
// the window shows, in which order, and what the store keeps.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "appfixture.h"

namespace zoqa::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using ::testing::UnorderedElementsAre;
using Strings = std::vector<std::string>;

const char kHint[] = "关键词可以是地区+产品，比如：广州 电子公司 或 上海 网络公司";
const char kAdded[] =
    "任务已添加成功：\r\n      点[确定]按钮立即搜索 \r\n      点[取消]继续添加任务";
const char kExists[] =
    "已存在，已为您选中：\r\n      点[确定]按钮立即搜索 \r\n      点[取消]继续添加任务";

class ControllerTest : public AppTest {
 protected:
  // Opens the controller, adds `keyword` without starting it and shows it in the grid.
  void OpenShowing(const std::string& keyword) {
    Open();
    view.Answers = {kMsgCancel};
    ASSERT_TRUE(controller->AddTask(Cp936(keyword)));
    controller->SelectKeyword(Cp936(keyword));
    ASSERT_TRUE(WaitLoaded(keyword));
    view.Clear();
  }

  // Starts `keyword` with no engine ticked: the task exists but runs no harvester.
  void StartIdle(const std::string& keyword) {
    view.Engines = {false, false, false};
    controller->StartSearch(Cp936(keyword));
    ASSERT_TRUE(WaitLoaded(keyword));
    ASSERT_NE(Key(keyword)->TaskCtl, nullptr);
  }
};

TEST(KeyDateText, WallClockSecondsWithoutTimeZone) {
  EXPECT_EQ(FormatKeyDate(0), "1970-01-01 00:00:00");
  EXPECT_EQ(FormatKeyDate(951782400 + 86399), "2000-02-29 23:59:59");
  EXPECT_EQ(FormatKeyDate(1700000000), "2023-11-14 22:13:20");
}

TEST_F(ControllerTest, StoredKeywordsBecomeItemsAtOpening) {
  Seed({{"广州 电子", {}}, {"上海 网络", {"上海甲公司"}}});
  Open();
  EXPECT_THAT(view.Calls,
              ElementsAre("ClearGrid", "AddKeyItem 广州 电子|0条|" + DateLine("广州 电子"),
                          "SetTotalLabel 当前已采集记录：0条", "ClearGrid",
                          "AddKeyItem 上海 网络|1条|" + DateLine("上海 网络"),
                          "SetTotalLabel 当前已采集记录：1条"));
  EXPECT_EQ(view.ItemOrder(), (Strings{"广州 电子", "上海 网络"}));
  EXPECT_EQ(controller->ItemStyle(Cp936("广州 电子")), kStartBtn);
  EXPECT_EQ(controller->CurrentKey(), "");
}

TEST_F(ControllerTest, AddTaskCommand) {
  Open();
  // Only blanks and control characters, or more than the engines take: nothing is added.
  EXPECT_FALSE(controller->AddTask(Cp936(" \t \r\n")));
  std::string longest;
  for (int i = 0; i < 38; ++i) longest += "字";
  EXPECT_FALSE(controller->AddTask(Cp936(longest + "a")));
  EXPECT_THAT(view.Calls, ElementsAre("ShowMsg 1|关键词不能为空！",
                                      "ShowMsg 1|关键词太长：最多38个汉字或76个字母、数字！"));
  EXPECT_TRUE(Store().Keys().empty());

  // A new keyword, trimmed, is on show before the question; Cancel starts nothing.
  view.Clear();
  view.Answers = {kMsgCancel};
  EXPECT_TRUE(controller->AddTask(Cp936("  广州 电子\t")));
  EXPECT_THAT(
      view.Calls,
      ElementsAre("HideBackground", "ClearGrid",
                  "AddKeyItem 广州 电子|0条|" + DateLine("广州 电子"),
                  "SetTotalLabel 当前已采集记录：0条", "SelectKeyItem 广州 电子", "ClearGrid",
                  "ShowEntry 广州 电子", "HideBackground", "ShowLoading 1", "ShowLoading 0",
                  "HideBackground", "FillGrid 0", "SetTotalLabel 当前已采集记录：0条",
                  "SetRecordCountLabel 共 0 条记录", "SetStatusBar 当前已选择[广州 电子]",
                  std::string("SetTip 温馨提示：|") + kHint, "ShowEntry ",
                  std::string("ShowMsg 4|") + kAdded));
  EXPECT_EQ(Key("广州 电子")->TaskCtl, nullptr);
  EXPECT_EQ(controller->CurrentKey(), Cp936("广州 电子"));

  // The same keyword again with OK but no engine ticked: no second item, the message says it
  // exists, nothing starts; the item's start button says the same.
  view.Clear();
  view.Engines = {false, false, false};
  EXPECT_TRUE(controller->AddTask(Cp936("广州 电子")));
  EXPECT_EQ(view.CallsStarting({"ShowMsg", "AddKeyItem"}),
            (Strings{std::string("ShowMsg 4|关键词[广州 电子]") + kExists,
                     "ShowMsg 1|请至少选择一个信息来源！"}));
  controller->KeyButtonClick(Cp936("广州 电子"), 0);
  EXPECT_EQ(view.Calls.back(), "ShowMsg 1|请至少选择一个信息来源！");
  EXPECT_EQ(Key("广州 电子")->TaskCtl, nullptr);
  EXPECT_EQ(view.ItemOrder(), Strings{"广州 电子"});
  EXPECT_EQ(controller->ItemStyle(Cp936("广州 电子")), kStartBtn);
  EXPECT_TRUE(controller->AddTask(Cp936(longest)));  // exactly 76 bytes
}

// A keyword typed again, perhaps in another letter case, while another one is on show: its
// item is picked and its companies shown, and the task runs under the stored spelling, or
// the item never shows the run and the end report's page is written to no row.
TEST_F(ControllerTest, AddingAStoredKeywordShowsItAndRunsItUnderItsStoredSpelling) {
  Seed({{"abc 电子", {"甲公司", "乙公司"}}, {"上海 网络", {"丙公司"}}});
  Open();
  controller->SelectKeyword(Cp936("上海 网络"));
  ASSERT_TRUE(WaitLoaded("上海 网络"));
  view.Clear();
  view.Engines = {true, false, false};
  ASSERT_TRUE(controller->AddTask(Cp936("ABC 电子")));
  ASSERT_TRUE(WaitLoaded("abc 电子"));
  EXPECT_EQ(view.ItemOrder(), (Strings{"abc 电子", "上海 网络"}));
  EXPECT_EQ(view.Count("SelectKeyItem abc 电子"), 1);
  EXPECT_EQ(controller->CurrentKey(), "abc " + Cp936("电子"));
  EXPECT_EQ(view.GridNames(), (Strings{"甲公司", "乙公司"}));
  EXPECT_EQ(view.Count("SetRecordCountLabel 共 2 条记录"), 1);
  EXPECT_EQ(view.Item("abc 电子")->Style, kStopBtn);
  ASSERT_NE(Key("abc 电子")->TaskCtl, nullptr);
  EXPECT_EQ(Key("abc 电子")->TaskCtl->KeyWord, "abc " + Cp936("电子"));
}

TEST_F(ControllerTest, SelectingAKeywordShowsItsCompaniesAndTip) {
  Seed({{"广州 电子", {"甲公司", "乙公司"}}, {"上海 网络", {}}});
  Open();
  view.Clear();
  // The companies are read from the store within the selection.
  controller->SelectKeyword(Cp936("广州 电子"));
  EXPECT_FALSE(view.Loading());
  EXPECT_EQ(view.GridNames(), (Strings{"甲公司", "乙公司"}));
  EXPECT_THAT(
      view.Calls,
      ElementsAre("ClearGrid", "ShowEntry 广州 电子", "HideBackground", "ShowLoading 1",
                  "ShowLoading 0", "HideBackground", "FillGrid 2",
                  "SetTotalLabel 当前已采集记录：2条", "SetRecordCountLabel 共 2 条记录",
                  "SetStatusBar 当前已选择[广州 电子]", std::string("SetTip 温馨提示：|") + kHint));

  // A keyword whose task exists shows its last status line, or a default.
  StartIdle("上海 网络");
  view.Clear();
  controller->SelectKeyword(Cp936("上海 网络"));
  EXPECT_EQ(view.CallsStarting({"SetTip "}), Strings{"SetTip 正在搜索|正在搜索中..."});
  ReportStatus("上海 网络", "正在获取搜索结果...");  // on show: the tip, not the store
  EXPECT_EQ(view.TipText(), "正在获取搜索结果...");
  controller->SelectKeyword(Cp936("广州 电子"));
  ReportStatus("上海 网络", "正在分析采集结果...");
  EXPECT_EQ(view.TipText(), kHint);
  view.Clear();
  controller->SelectKeyword(Cp936("上海 网络"));
  EXPECT_EQ(view.CallsStarting({"SetTip "}), Strings{"SetTip 正在搜索|正在分析采集结果..."});

  // A keyword that is not in the store: the loading indicator stays on. (A load still under
  // way would take the grid when it ends: 上海 网络 has no companies, so each selection loads.)
  ASSERT_TRUE(WaitLoaded("上海 网络"));
  view.Clear();
  controller->SelectKeyword(Cp936("不存在"));
  PumpEvents(50);
  EXPECT_THAT(view.Calls,
              ElementsAre("ClearGrid", "ShowEntry 不存在", "HideBackground", "ShowLoading 1"));
  EXPECT_EQ(controller->CurrentKey(), Cp936("不存在"));
}

TEST_F(ControllerTest, ExportOpensTheSelectionAtOnce) {
  Seed({{"广州 电子", {"甲公司"}}, {"上海 网络", {"乙公司", "丙公司"}}, {"空", {}}});
  Open();
  controller->SelectKeyword(Cp936("上海 网络"));
  ASSERT_TRUE(WaitLoaded("上海 网络"));
  view.Clear();
  controller->BeginExport(Cp936("广州 电子"));
  // The selection opens at once; the grid keeps the keyword on show.
  EXPECT_THAT(view.Calls, ElementsAre("OpenExportSelection 广州 电子"));
  EXPECT_EQ(controller->CurrentKey(), Cp936("上海 网络"));
  EXPECT_EQ(view.GridNames(), (Strings{"乙公司", "丙公司"}));

  view.Clear();
  controller->KeyButtonClick(Cp936("广州 电子"), 4);
  EXPECT_THAT(view.Calls, ElementsAre("OpenExportSelection 广州 电子"));
  // The export button exports the keyword on show.
  view.Clear();
  controller->ExportButton();
  EXPECT_THAT(view.Calls, ElementsAre("OpenExportSelection 上海 网络"));

  // Nothing to export: said at once, before the fields and the file are asked for.
  view.Clear();
  controller->BeginExport(Cp936("空"));
  ASSERT_TRUE(WaitLoaded("空"));
  controller->BeginExport(Cp936("不存在"));
  EXPECT_EQ(view.CallsStarting({"ShowMsg", "OpenExportSelection"}),
            (Strings{"ShowMsg 1|没有可导出的记录", "ShowMsg 1|请先在左侧选择一个关键词！"}));
  EXPECT_FALSE(view.Loading());
}

TEST_F(ControllerTest, CompanyReports) {
  Seed({{"上海 网络", {}}});
  OpenShowing("广州 电子");

  ReportCompany("广州 电子", "甲公司");
  EXPECT_THAT(view.Calls,
              ElementsAre("SetTipText 获取[甲公司]成功！", "CompanyStored 广州 电子|甲公司",
                          "SetItemCount 广州 电子|1条",
                          "SetItemDate 广州 电子|" + DateLine("广州 电子"), "AppendGridRow 甲公司",
                          "SetTotalLabel 当前已采集记录：1条", "SetRecordCountLabel 共 1 条记录"));

  // Another keyword: its item counts, the tip and the grid stay; the line waits in the store.
  view.Clear();
  ReportCompany("上海 网络", "乙公司");
  EXPECT_THAT(view.Calls,
              ElementsAre("CompanyStored 上海 网络|乙公司", "SetItemCount 上海 网络|1条",
                          "SetItemDate 上海 网络|" + DateLine("上海 网络")));
  EXPECT_EQ(U8(Key("上海 网络")->StatusText), "获取[乙公司]成功！");
  EXPECT_EQ(view.GridNames(), Strings{"甲公司"});

  // A name stored under any keyword, a company without a mobile number: the line only.
  view.Clear();
  ReportCompany("广州 电子", "乙公司");
  ReportCompany("广州 电子", "无手机", "");
  EXPECT_THAT(view.Calls,
              ElementsAre("SetTipText 获取[乙公司]成功！", "SetTipText 获取[无手机]成功！"));

  // A name with the engine's highlighting: the line shows it as the grid does.
  view.Clear();
  ReportCompany("上海 网络", "<font color=red>丁</font>公司");
  EXPECT_EQ(U8(Key("上海 网络")->StatusText), "获取[丁公司]成功！");
  EXPECT_EQ(Single("select count(*) from tbl_list where ComName='丁公司'"), "1");

  // A company without a name is stored under a single blank.
  view.Clear();
  ReportCompany("广州 电子", "");
  EXPECT_EQ(view.Calls.front(), "SetTipText 获取[ ]成功！");
  EXPECT_EQ(view.GridNames(), (Strings{"甲公司", " "}));
  EXPECT_EQ(view.Calls.back(), "SetRecordCountLabel 共 2 条记录");

  // A keyword that has left the store: nothing at all.
  view.Clear();
  ReportCompany("已删除", "丙公司");
  ReportStatus("已删除", "正在获取搜索结果...");
  ReportPage("已删除", "百度", 1);
  EXPECT_THAT(view.Calls, IsEmpty());
  EXPECT_EQ(Single("select count(*) from tbl_list"), "4");
  EXPECT_EQ(Single("select count(*) from tbl_list where ComName='丙公司'"), "0");
}

TEST_F(ControllerTest, StatusLinesGoToTheTipOrTheStore) {
  Seed({{"上海 网络", {}}});
  OpenShowing("广州 电子");
  ReportStatus("广州 电子", "正在获取搜索结果...");
  ReportStatus("上海 网络", "正在进入企业网站...");
  ReportCrawlStatus("正在进入企业网站:http://www.a.com/");
  EXPECT_THAT(view.Calls, ElementsAre("SetTipText 正在获取搜索结果...",
                                      "SetStatusBar 正在进入企业网站:http://www.a.com/"));
  EXPECT_EQ(U8(Key("上海 网络")->StatusText), "正在进入企业网站...");
  EXPECT_EQ(Key("广州 电子")->StatusText, "");
}

// Every report runs inside its own guard: a store query that fails ends that report only.
TEST_F(ControllerTest, AFailingReportEndsItsOwnHandlingOnly) {
  OpenShowing("广州 电子");
  Store().Manager().Database().Execute("alter table tbl_list rename to tbl_gone");
  ReportCompany("广州 电子", "甲公司");
  ReportStatus("广州 电子", "正在分析采集结果...");
  EXPECT_THAT(view.Calls,
              ElementsAre("SetTipText 获取[甲公司]成功！", "SetTipText 正在分析采集结果..."));
  Store().Manager().Database().Execute("alter table tbl_gone rename to tbl_list");
  ReportCompany("广州 电子", "甲公司");
  EXPECT_EQ(view.GridNames(), Strings{"甲公司"});
}

TEST_F(ControllerTest, PageReportsStopTheTaskOnTheFourthWithoutNewCompany) {
  OpenShowing("广州 电子");
  StartIdle("广州 电子");
  ReportCompany("广州 电子", "甲公司");
  view.Clear();
  // Three reports of any engines are taken and saved per engine...
  ReportPage("广州 电子", "百度", 1);
  ReportPage("广州 电子", "360", 1);
  ReportPage("广州 电子", "百度", 2);
  EXPECT_THAT(view.ItemCalls("广州 电子"), IsEmpty());
  EXPECT_NE(Key("广州 电子")->TaskCtl, nullptr);
  EXPECT_EQ(Single("select lastpage || ',' || sglastpage || ',' || s360lastpage from tbl_key"),
            "2,0,1");
  // ...the fourth stops the whole task and is not saved. This task runs no harvester, so no
  // end report will come: the item is startable again at once.
  ReportPage("广州 电子", "搜狗", 1);
  EXPECT_THAT(view.ItemCalls("广州 电子"),
              ElementsAre(StartsWith("SetItemDate 广州 电子|最后更新："),
                          "SetItemButton 广州 电子|0|1|startbtn"));
  EXPECT_EQ(Key("广州 电子")->TaskCtl, nullptr);
  EXPECT_EQ(Single("select lastpage || ',' || sglastpage || ',' || s360lastpage from tbl_key"),
            "2,0,1");

  // A new company opens three more reports.
  StartIdle("广州 电子");
  ReportCompany("广州 电子", "乙公司");
  for (int page = 3; page <= 5; ++page) ReportPage("广州 电子", "百度", page);
  EXPECT_NE(Key("广州 电子")->TaskCtl, nullptr);
  ReportPage("广州 电子", "百度", 6);
  EXPECT_EQ(Key("广州 电子")->TaskCtl, nullptr);
  EXPECT_EQ(Key("广州 电子")->LastPage, 5);
}

TEST_F(ControllerTest, StopAndPauseOfATaskWithoutHarvesters) {
  Seed({{"上海 网络", {}}});
  OpenShowing("广州 电子");
  // No task: stopping changes nothing.
  controller->StopTask(Cp936("上海 网络"), true);
  controller->PauseTask("");
  controller->StopTask("", true);
  EXPECT_THAT(view.Calls, IsEmpty());

  // Loaded, with or without a task that runs no harvester: nothing to pause, nothing changes.
  controller->PauseTask(Cp936("广州 电子"));
  StartIdle("广州 电子");
  view.Clear();
  controller->PauseTask(Cp936("广州 电子"));
  EXPECT_THAT(view.Calls, IsEmpty());
}

// A task that runs no harvester has nobody to report its end: stopping it must not leave its
// item disabled in "正在停止任务..." for good.
TEST_F(ControllerTest, StoppingATaskWithoutRunningHarvestersLeavesTheItemStartable) {
  OpenShowing("广州 电子");
  StartIdle("广州 电子");
  controller->KeyButtonClick(Cp936("广州 电子"), 0);  // the task menu of a running item
  controller->StopTask(Cp936("广州 电子"), true);
  PumpEvents(200);
  const auto* item = view.Item("广州 电子");
  EXPECT_TRUE(item->Enabled);
  EXPECT_EQ(item->Style, kStartBtn);
}

// The texts about a running task stay true: the tip of the keyword on show follows its
// start, pause, resume and end, and the end is said on the item and in the status line.
TEST_F(ControllerTest, TaskTextsFollowTheTaskToItsEnd) {
  world.RoutePrefix("www.baidu.com", "/s?", TWorldResponse::Page("<html>busy</html>"));
  OpenShowing("广州 电子");
  view.Engines = {true, false, false};
  auto tip = [&] { return view.CallsStarting({"SetTip "}).back(); };
  controller->StartSearch(Cp936("广州 电子"));
  EXPECT_EQ(tip(), "SetTip 正在搜索|正在搜索中...");
  controller->PauseTask(Cp936("广州 电子"));
  EXPECT_EQ(tip(), "SetTip 温馨提示：|任务已暂停...");
  EXPECT_EQ(view.StatusBar(), "[广州 电子]搜索任务已暂停");
  controller->SelectKeyword(Cp936("广州 电子"));
  EXPECT_EQ(tip(), "SetTip 温馨提示：|任务已暂停...");
  ASSERT_TRUE(WaitLoaded("广州 电子"));  // a keyword without companies is read again
  controller->StartSearch(Cp936("广州 电子"));
  EXPECT_EQ(tip(), "SetTip 正在搜索|正在搜索中...");
  EXPECT_EQ(view.Item("广州 电子")->Note, "");

  controller->StopTask(Cp936("广州 电子"), true);
  ASSERT_TRUE(PumpUntil([&] { return view.Item("广州 电子")->Note == "任务已结束"; }, 20000));
  EXPECT_EQ(view.StatusBar(), "[广州 电子]搜索任务已结束");
  EXPECT_EQ(view.TipText(), kHint);
  // One state per item: a pause that comes too late leaves the ended task as it is.
  controller->PauseTask(Cp936("广州 电子"));
  EXPECT_EQ(view.Item("广州 电子")->Note, "任务已结束");
  EXPECT_EQ(view.Item("广州 电子")->Date, DateLine("广州 电子"));
}

TEST_F(ControllerTest, ItemButtons) {
  OpenShowing("广州 电子");
  StartIdle("广州 电子");
  view.Clear();
  // A running item's start button opens the task menu.
  controller->KeyButtonClick(Cp936("广州 电子"), 0);
  EXPECT_THAT(view.Calls, ElementsAre("ShowTaskMenu 广州 电子"));
  // Cancel on the delete question changes nothing.
  view.Clear();
  view.Answers = {kMsgCancel};
  controller->KeyButtonClick(Cp936("广州 电子"), 1);
  EXPECT_THAT(view.Calls, ElementsAre("ShowMsg 4|确定要删除关键词 [广州 电子] 吗?"));
  EXPECT_NE(Key("广州 电子")->TaskCtl, nullptr);
  // OK stops the task first (it runs no harvester, so its item is idle at once), then
  // removes keyword and item (the keyword is on show: the grid goes blank with it).
  view.Clear();
  controller->KeyButtonClick(Cp936("广州 电子"), 1);
  EXPECT_THAT(view.Calls,
              ElementsAre("ShowMsg 4|确定要删除关键词 [广州 电子] 吗?",
                          StartsWith("SetItemDate 广州 电子|最后更新："),
                          "SetItemButton 广州 电子|0|1|startbtn", "SetStatusBar ", "ClearGrid",
                          "ShowEntry ", "ShowLoading 0", "SetStatusBar ",
                          std::string("SetTip 温馨提示：|") + kHint,
                          "SetTotalLabel 当前已采集记录：0条", "RemoveKeyItem 广州 电子"));
  EXPECT_EQ(controller->CurrentKey(), "");
  EXPECT_EQ(Key("广州 电子"), nullptr);
  EXPECT_EQ(Single("select count(*) from tbl_key"), "0");
  EXPECT_TRUE(view.ItemOrder().empty());
}

// ▶ shows what it starts (its item, its companies, its tip): the grid never changes keyword
// behind the list's back. The same keyword added again while it searches is only picked.
TEST_F(ControllerTest, StartShowsTheKeywordItStarts) {
  QuietEngines();
  Seed({{"广州 电子", {"甲公司"}}, {"惠州 电池", {}}});
  Open();
  controller->SelectKeyword(Cp936("广州 电子"));
  ASSERT_TRUE(WaitLoaded("广州 电子"));
  view.Engines = {true, false, false};
  view.Clear();
  controller->KeyButtonClick(Cp936("惠州 电池"), 0);
  EXPECT_EQ(view.Count("SelectKeyItem 惠州 电池"), 1);
  EXPECT_EQ(controller->CurrentKey(), Cp936("惠州 电池"));
  ASSERT_TRUE(WaitLoaded("惠州 电池"));
  EXPECT_TRUE(view.GridNames().empty());
  EXPECT_EQ(view.Count("SetRecordCountLabel 共 0 条记录"), 1);
  EXPECT_EQ(view.Item("惠州 电池")->Style, kStopBtn);
  EXPECT_EQ(view.CallsStarting({"SetTip "}).back(), "SetTip 正在搜索|正在搜索中...");

  view.Clear();
  EXPECT_TRUE(controller->AddTask(Cp936("惠州 电池")));
  EXPECT_EQ(view.CallsStarting({"ShowMsg"}),
            Strings{"ShowMsg 1|关键词[惠州 电池]已存在，已为您选中。"});
  EXPECT_EQ(view.Item("惠州 电池")->Style, kStopBtn);
}

TEST_F(ControllerTest, ClearHistoryCommand) {
  Seed({{"广州 电子", {"甲公司"}}, {"上海 网络", {"乙公司"}}});
  Open();
  controller->SelectKeyword(Cp936("广州 电子"));
  ASSERT_TRUE(WaitLoaded("广州 电子"));
  view.Clear();
  view.Answers = {kMsgCancel};
  controller->ClearHistory();
  EXPECT_EQ(view.Calls.size(), 1u);
  EXPECT_EQ(Store().Keys().size(), 2u);

  // The grid shows companies of a keyword that goes; the view repaints from its rows at every
  // call, so it must let go of them before the store frees them.
  view.Clear();
  controller->ClearHistory();
  ASSERT_EQ(view.Calls.size(), 8u);
  EXPECT_EQ(view.Calls[0],
            "ShowMsg 4|清空会将所有搜索到的结果删除，确定要清空已搜索的历史记录吗？");
  EXPECT_THAT(Strings(view.Calls.begin() + 1, view.Calls.end()),
              UnorderedElementsAre("RemoveAllKeyItems", "ClearGrid", "ShowEntry ", "ShowLoading 0",
                                   "SetStatusBar ", std::string("SetTip 温馨提示：|") + kHint,
                                   "SetTotalLabel 当前已采集记录：0条"));
  EXPECT_EQ(controller->CurrentKey(), "");
  EXPECT_EQ(view.GridRowCount(), 0);
  EXPECT_TRUE(Store().Keys().empty());
  EXPECT_EQ(Single("select count(*) from tbl_key") + Single("select count(*) from tbl_list"), "00");
  // A keyword added afterwards starts from scratch.
  view.Answers = {kMsgCancel};
  controller->AddTask(Cp936("广州 电子"));
  EXPECT_EQ(view.Item("广州 电子")->Count, "0条");
}

TEST_F(ControllerTest, GridDeleteCommand) {
  Seed({{"广州 电子", {"甲公司", "乙公司"}}});
  Open();
  controller->SelectKeyword(Cp936("广州 电子"));
  ASSERT_TRUE(WaitLoaded("广州 电子"));

  view.Clear();
  view.Answers = {kMsgCancel};
  controller->DeleteCompany(*view.Row(0));
  EXPECT_THAT(view.Calls, ElementsAre("ShowMsg 4|确定要删除 [甲公司]？"));

  // Exactly that row went: the grid takes it out and keeps the others.
  view.Clear();
  controller->DeleteCompany(*view.Row(0));
  EXPECT_THAT(view.Calls,
              ElementsAre("ShowMsg 4|确定要删除 [甲公司]？", "SetItemCount 广州 电子|1条",
                          "SetItemDate 广州 电子|" + DateLine("广州 电子"), "RemoveGridRow 甲公司",
                          "SetTotalLabel 当前已采集记录：1条", "SetRecordCountLabel 共 1 条记录"));
  EXPECT_EQ(view.GridNames(), Strings{"乙公司"});

  // A row stored behind the program's back: the count says more changed, the grid is refilled.
  Store().Manager().Database().Execute(
      "insert into tbl_list(ComName, mob, keyid) select '丙公司', '139', id from tbl_key");
  view.Clear();
  controller->DeleteCompany(*view.Row(0));
  EXPECT_THAT(view.Calls,
              ElementsAre("ShowMsg 4|确定要删除 [乙公司]？", "SetItemCount 广州 电子|1条",
                          "SetItemDate 广州 电子|" + DateLine("广州 电子"), "ClearGrid",
                          "ShowLoading 0", "HideBackground", "FillGrid 1",
                          "SetTotalLabel 当前已采集记录：1条", "SetRecordCountLabel 共 1 条记录"));
  EXPECT_EQ(view.GridNames(), Strings{"丙公司"});
  EXPECT_EQ(Single("select count(*) from tbl_list"), "1");

  // A record that was never stored has nothing to delete.
  view.Clear();
  TCompany unsaved = MakeCompany("广州 电子", "丁公司", "139");
  controller->DeleteCompany(unsaved);
  EXPECT_THAT(view.Calls, ElementsAre("ShowMsg 4|确定要删除 [丁公司]？"));
}

// The grid's rows refer to the records of the keyword on show; deleting that keyword frees
// them, so the grid must be emptied first (the view repaints from its rows at every call).
TEST_F(ControllerTest, DeletingTheKeywordOnShowEmptiesTheGridFirst) {
  Seed({{"广州 电子", {"甲公司", "乙公司"}}, {"上海 网络", {"丙公司"}}});
  Open();
  controller->SelectKeyword(Cp936("广州 电子"));
  ASSERT_TRUE(WaitLoaded("广州 电子"));
  ASSERT_EQ(view.GridRowCount(), 2);
  view.Clear();
  controller->KeyButtonClick(Cp936("广州 电子"), 1);
  EXPECT_EQ(view.Count("ClearGrid"), 1);
  EXPECT_EQ(view.Count("RemoveKeyItem 广州 电子"), 1);
  EXPECT_EQ(view.GridRowCount(), 0);
  EXPECT_EQ(view.ItemOrder(), Strings{"上海 网络"});
  EXPECT_EQ(Single("select count(*) from tbl_list"), "1");
}

}  // namespace
}  // namespace zoqa::test
