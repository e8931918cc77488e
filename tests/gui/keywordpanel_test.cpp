// The keyword panel driven as the user drives it: the entry and its hint, adding tasks, the
// item buttons through the whole state table of a task, the menus, the hint pop-up, deleting
// and clearing keywords.
#include <QAbstractButton>
#include <QMenu>
#include <QScrollBar>

#include "gui/backdrop.h"
#include "gui/hintpopup.h"
#include "gui/loadingoverlay.h"
#include "guifixture.h"

namespace zoqa::test {
namespace {

using KeywordPanel = GuiTest;

QAction* Action(QMenu* menu, const char* text) {
  for (QAction* action : menu->actions()) {
    if (action->text() == Q(text)) return action;
  }
  return nullptr;
}

TEST_F(KeywordPanel, OpensWithTheStoredKeywordsAsIdleItems) {
  Seed({{"广州 电子公司", {"甲公司", "乙公司"}}, {"上海 网络公司", {"丙公司"}}});
  Open();
  ASSERT_EQ(Panel().List()->count(), 2);
  EXPECT_EQ(Item("广州 电子公司")->CountText(), Q("2条"));
  EXPECT_EQ(Item("上海 网络公司")->CountText(), Q("1条"));
  EXPECT_EQ(Item("广州 电子公司")->DateText().toStdString(), DateLine("广州 电子公司"));
  EXPECT_EQ(Style("广州 电子公司"), "startbtn");
  EXPECT_EQ(Item("广州 电子公司")->Button(0)->toolTip(), Q("开始搜索"));
  EXPECT_EQ(Panel().List()->sizeHintForRow(0), 65);
  EXPECT_EQ(window->TotalLabel()->text(), Q("当前已采集记录：3条"));
  EXPECT_EQ(window->windowTitle(), Q("test_gui V2.1"));
  EXPECT_TRUE(window->Backdrop()->isVisible());
  EXPECT_FALSE(window->Overlay()->isVisible());
  EXPECT_TRUE(Panel().EntryHint()->isVisible());
  EXPECT_FALSE(Panel().Entry()->isVisible());
  EXPECT_EQ(Panel().TipTitle()->text(), Q("温馨提示："));
  QLabel* hint = Panel().EntryHint();
  EXPECT_LE(hint->sizeHint().width(), hint->width());  // the hint shows whole
}

TEST_F(KeywordPanel, EntryHintGivesWayToTheEntryAndComesBackWhenLeftEmpty) {
  Open();
  QTest::mouseClick(Panel().EntryHint(), Qt::LeftButton);
  EXPECT_TRUE(Panel().Entry()->isVisible());
  EXPECT_FALSE(Panel().EntryHint()->isVisible());
  EXPECT_TRUE(Panel().Entry()->hasFocus());
  Panel().AddTaskButton()->setFocus();  // focus leaves an empty entry
  EXPECT_FALSE(Panel().Entry()->isVisible());
  EXPECT_TRUE(Panel().EntryHint()->isVisible());
}

TEST_F(KeywordPanel, AddTaskWithEnterAppendsTheKeywordAndCancelLeavesItIdle) {
  Open();
  QTest::mouseClick(Panel().EntryHint(), Qt::LeftButton);
  Panel().Entry()->insert(Q("  北京 装修公司 "));  // typed (keyClicks knows only ASCII)
  box.answers = {kMsgCancel};
  QTest::keyClick(Panel().Entry(), Qt::Key_Return);
  EXPECT_EQ(box.Last(),
            "任务已添加成功：\r\n      点[确定]按钮立即搜索 \r\n      点[取消]继续添加任务");
  ASSERT_NE(Item("北京 装修公司"), nullptr);
  EXPECT_EQ(Style("北京 装修公司"), "startbtn");
  EXPECT_FALSE(window->Backdrop()->isVisible());
  // The entry is emptied for the next keyword and keeps the focus.
  EXPECT_EQ(Panel().Entry()->text(), "");
  EXPECT_TRUE(Panel().Entry()->isVisible());

  // The same keyword again: no second item, and the message says it exists.
  Panel().Entry()->insert(Q("北京 装修公司"));
  box.answers = {kMsgCancel};
  QTest::mouseClick(Panel().AddTaskButton(), Qt::LeftButton);
  EXPECT_EQ(Panel().List()->count(), 1);
  EXPECT_EQ(box.Last(),
            "关键词[北京 装修公司]已存在，已为您选中：\r\n      点[确定]按钮立即搜索 "
            "\r\n      点[取消]继续添加任务");
}

TEST_F(KeywordPanel, AddingAStoredKeywordPicksItsItemAndShowsItsCompanies) {
  Seed({{"Shenzhen LED", {"甲公司", "乙公司"}}, {"上海 网络公司", {"丙公司"}}});
  Open();
  ClickItem("上海 网络公司");
  ASSERT_TRUE(WaitRows(1));
  QTest::mouseClick(Panel().EntryHint(), Qt::LeftButton);
  Panel().Entry()->setText(Q("shenzhen led"));
  box.answers = {kMsgCancel};
  QTest::mouseClick(Panel().AddTaskButton(), Qt::LeftButton);
  EXPECT_EQ(Panel().List()->currentItem(), Panel().ListItem("Shenzhen LED"));
  ASSERT_TRUE(WaitRows(2));
  EXPECT_EQ(window->RecordCountLabel()->text(), Q("共 2 条记录"));
  EXPECT_EQ(window->StatusLabel()->text(), Q("当前已选择[Shenzhen LED]"));
  EXPECT_EQ(Panel().Entry()->text(), "");
}

// Keywords that would change on the way into the store, or start a task with nothing to
// search with, are refused with a message.
TEST_F(KeywordPanel, RefusedKeywordsAndStartsSaySo) {
  Seed({{"广州 电子公司", {}}});
  Open();
  QTest::mouseClick(Panel().EntryHint(), Qt::LeftButton);
  Panel().Entry()->setText(Q("深圳 灯😀"));
  QTest::mouseClick(Panel().AddTaskButton(), Qt::LeftButton);
  EXPECT_EQ(box.Last(), "关键词的第5个字符（U+1F600）无法保存，请删除或换成其他字符后再添加！");
  Panel().Entry()->setText(Q("广州 한국"));
  QTest::mouseClick(Panel().AddTaskButton(), Qt::LeftButton);
  EXPECT_EQ(box.Last(), "关键词的第4个字符（U+D55C）无法保存，请删除或换成其他字符后再添加！");
  EXPECT_EQ(Panel().List()->count(), 1);

  for (int engine : {0, 1, 2}) Panel().EngineBox(engine)->setChecked(false);
  ClickButton("广州 电子公司", 0);
  EXPECT_EQ(box.Last(), "请至少选择一个信息来源！");
  EXPECT_EQ(Style("广州 电子公司"), "startbtn");
}

// Long keywords end in "…" with the whole keyword as the item's tooltip, above any lines
// about its tasks; with the scroll bar
// shown the date lines still show whole; a new keyword is scrolled into view.
TEST_F(KeywordPanel, ListStaysReadableWithLongAndManyKeywords) {
  const std::string kLong = "广州市天河区电子元器件批发零售有限公司";
  std::vector<std::pair<std::string, std::vector<std::string>>> keywords = {{kLong, {}}};
  for (int i = 0; i < 12; ++i) keywords.push_back({"关键词" + std::to_string(i), {}});
  Seed(keywords);
  Open();
  ASSERT_TRUE(Panel().List()->verticalScrollBar()->isVisible());
  TKeyItemWidget* item = Item(kLong);
  EXPECT_TRUE(item->KeywordLabel()->text().endsWith(QChar(0x2026)));
  EXPECT_EQ(item->toolTip(), Q(kLong.c_str()));
  EXPECT_TRUE(Item("关键词0")->toolTip().isEmpty());
  // Lines about the keyword's tasks follow the keyword, whole or cut short.
  Panel().SetItemTip(Cp936(kLong), Q("百度：完成"));
  Panel().SetItemTip(Cp936("关键词0"), Q("百度：采集中"));
  EXPECT_EQ(item->toolTip(), Q((kLong + "\n百度：完成").c_str()));
  EXPECT_EQ(Item("关键词0")->toolTip(), Q("关键词0\n百度：采集中"));
  Panel().SetItemTip(Cp936("关键词0"), QString());
  EXPECT_TRUE(Item("关键词0")->toolTip().isEmpty());
  QLabel* date = item->DateLabel();
  EXPECT_LE(date->fontMetrics().horizontalAdvance(date->text()), date->width());

  QTest::mouseClick(Panel().EntryHint(), Qt::LeftButton);
  Panel().Entry()->setText(Q("北京 装修公司"));
  box.answers = {kMsgCancel};
  QTest::mouseClick(Panel().AddTaskButton(), Qt::LeftButton);
  QListWidgetItem* added = Panel().ListItem(Cp936("北京 装修公司"));
  EXPECT_TRUE(Panel().List()->viewport()->rect().contains(Panel().List()->visualItemRect(added)));
}

TEST_F(KeywordPanel, BlankEntryIsRefused) {
  Open();
  QTest::mouseClick(Panel().EntryHint(), Qt::LeftButton);
  QTest::keyClicks(Panel().Entry(), Q("   "));
  QTest::mouseClick(Panel().AddTaskButton(), Qt::LeftButton);
  EXPECT_EQ(box.Last(), "关键词不能为空！");
  EXPECT_EQ(Panel().List()->count(), 0);
  EXPECT_TRUE(Panel().Entry()->hasFocus());

  Panel().Entry()->clear();
  QTest::mouseClick(Panel().ExportButton(), Qt::LeftButton);
  EXPECT_EQ(box.Last(), "请先在左侧选择一个关键词！");
}

// The item's run state through start, task menu pause, resume, right-click stop and the
// harvester's end report, with one engine whose searches keep asking until stopped.
TEST_F(KeywordPanel, ItemFollowsItsTaskThroughClicksAndMenus) {
  Seed({{"广州 电子公司", {"甲公司"}}});
  Open();
  BaiduOnly();
  const std::string kw = "广州 电子公司";

  ClickButton(kw, 0);
  ASSERT_TRUE(WaitStyle(kw, "stopbtn"));
  EXPECT_TRUE(Item(kw)->Button(0)->isEnabled());
  EXPECT_EQ(Item(kw)->Button(0)->toolTip(), Q("停止搜索"));
  EXPECT_EQ(Item(kw)->DateText().toStdString(), DateLine(kw));
  ASSERT_TRUE(PumpUntil([&] { return web.Requests() > 0; }));

  // A click on the running item's button opens the pause/stop menu.
  ClickButton(kw, 0);
  ASSERT_TRUE(Panel().TaskMenu()->isVisible());
  Action(Panel().TaskMenu(), "暂停任务")->trigger();
  Panel().TaskMenu()->close();
  EXPECT_EQ(Style(kw), "startbtn");
  EXPECT_EQ(Item(kw)->DateText(), Q("任务已暂停..."));
  EXPECT_EQ(window->StatusLabel()->text(), Q("[广州 电子公司]搜索任务已暂停"));
  EXPECT_EQ(window->Tray()->toolTip(), Q("test_gui V2.1\n当前已采集记录：1条"));

  // Start on a paused task resumes the same harvesters.
  ClickButton(kw, 0);
  EXPECT_EQ(Style(kw), "stopbtn");
  EXPECT_EQ(Item(kw)->DateText().toStdString(), DateLine(kw));
  EXPECT_EQ(window->Tray()->toolTip(),
            Q("test_gui V2.1\n正在搜索 1 个关键词\n当前已采集记录：1条"));

  // The right-click menu of a running item offers pause and stop, not start.
  Panel().OpenKeyMenu(Cp936(kw), QPoint(10, 10));
  QMenu* menu = Panel().KeyMenu();
  EXPECT_FALSE(Action(menu, "开始搜索")->isVisible());
  EXPECT_TRUE(Action(menu, "暂停任务")->isVisible());
  EXPECT_TRUE(Action(menu, "停止任务")->isVisible());
  Action(menu, "停止任务")->trigger();
  menu->close();
  EXPECT_EQ(Style(kw), "stopbtn");
  EXPECT_FALSE(Item(kw)->Button(0)->isEnabled());
  EXPECT_EQ(Item(kw)->DateText(), Q("正在停止任务..."));

  // The harvester's end report returns the item to idle and says that the task ended.
  ASSERT_TRUE(WaitStyle(kw, "startbtn"));
  EXPECT_TRUE(Item(kw)->Button(0)->isEnabled());
  EXPECT_EQ(Item(kw)->DateText().toStdString(), DateLine(kw));
  EXPECT_EQ(Item(kw)->NoteText(), Q("任务已结束"));
  EXPECT_EQ(window->StatusLabel()->text(), Q("[广州 电子公司]搜索任务已结束"));
  Panel().OpenKeyMenu(Cp936(kw), QPoint(10, 10));
  EXPECT_TRUE(Action(menu, "开始搜索")->isVisible());
  EXPECT_FALSE(Action(menu, "停止任务")->isVisible());
  menu->close();
}

TEST_F(KeywordPanel, SelectingAKeywordLoadsItsCompaniesIntoTheGrid) {
  Seed({{"广州 电子公司", {"甲公司", "乙公司", "丙公司"}}, {"上海 网络公司", {"丁公司"}}});
  Open();
  ClickItem("广州 电子公司");
  EXPECT_TRUE(Panel().Entry()->isVisible());
  EXPECT_EQ(Panel().Entry()->text(), Q("广州 电子公司"));
  EXPECT_EQ(window->StatusLabel()->text(), Q("当前已选择[广州 电子公司]"));
  EXPECT_EQ(Panel().TipTitle()->text(), Q("温馨提示："));
  EXPECT_FALSE(window->Backdrop()->isVisible());
  ASSERT_TRUE(WaitRows(3));
  EXPECT_FALSE(window->Overlay()->isVisible());
  EXPECT_FALSE(window->Overlay()->Spinning());
  EXPECT_EQ(window->RecordCountLabel()->text(), Q("共 3 条记录"));

  ClickItem("上海 网络公司");
  ASSERT_TRUE(WaitRows(1));
  EXPECT_EQ(window->Controller().CurrentKey(), Cp936("上海 网络公司"));

  // ▶ on another keyword shows what it starts: its item, its entry, its companies.
  for (int engine : {0, 1, 2}) Panel().EngineBox(engine)->setChecked(false);
  Panel().EngineBox(0)->setChecked(true);
  ClickButton("广州 电子公司", 0);
  ASSERT_TRUE(WaitRows(3));
  EXPECT_EQ(Panel().List()->currentItem(), Panel().ListItem(Cp936("广州 电子公司")));
  EXPECT_EQ(Panel().Entry()->text(), Q("广州 电子公司"));
  EXPECT_EQ(window->Controller().CurrentKey(), Cp936("广州 电子公司"));
  EXPECT_EQ(Panel().TipTitle()->text(), Q("正在搜索"));
  EXPECT_EQ(Style("广州 电子公司"), "stopbtn");
}

TEST_F(KeywordPanel, DeleteAndExportButtonsShowTheirHintsInThePopUp) {
  Seed({{"广州 电子公司", {}}});
  Open();
  THintPopup* popup = Panel().HintPopup();
  QToolButton* remove = Item("广州 电子公司")->Button(1);
  QEvent enter(QEvent::Enter);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(remove, &enter);
  EXPECT_TRUE(popup->isVisible());
  EXPECT_EQ(popup->Text(), Q("删除此关键词"));
  EXPECT_EQ(popup->width(), 87);
  EXPECT_TRUE(remove->toolTip().isEmpty());
  QApplication::sendEvent(remove, &leave);
  EXPECT_FALSE(popup->isVisible());

  QToolButton* exportButton = Item("广州 电子公司")->Button(4);
  QApplication::sendEvent(exportButton, &enter);
  EXPECT_EQ(popup->Text(), Q("将搜索结果导出为文件"));
  EXPECT_EQ(popup->width(), 135);
  QApplication::sendEvent(exportButton, &leave);
  EXPECT_EQ(QSize(remove->size()), QSize(18, 18));
  EXPECT_EQ(remove->pos(), QPoint(43, 65 - 22));
  EXPECT_EQ(exportButton->pos(), QPoint(70, 65 - 22));
  EXPECT_EQ(Item("广州 电子公司")->Button(0)->geometry(), QRect(5, 20, 24, 24));
}

TEST_F(KeywordPanel, DeletingTheShownKeywordAsksFirstAndEmptiesTheGrid) {
  Seed({{"广州 电子公司", {"甲公司", "乙公司"}}, {"上海 网络公司", {"丙公司"}}});
  Open();
  ClickItem("广州 电子公司");
  ASSERT_TRUE(WaitRows(2));

  box.answers = {kMsgCancel};
  ClickButton("广州 电子公司", 1);
  EXPECT_EQ(box.Last(), "确定要删除关键词 [广州 电子公司] 吗?");
  EXPECT_NE(Item("广州 电子公司"), nullptr);
  EXPECT_EQ(window->GridRowCount(), 2);

  // The Delete key deletes the highlighted keyword, after the same question.
  Panel().List()->setFocus();
  QTest::keyClick(Panel().List(), Qt::Key_Delete);
  EXPECT_EQ(box.Last(), "确定要删除关键词 [广州 电子公司] 吗?");
  EXPECT_EQ(Item("广州 电子公司"), nullptr);
  EXPECT_EQ(Panel().List()->count(), 1);
  // The grid no longer refers to the freed companies: drawing it is safe.
  EXPECT_EQ(window->GridRowCount(), 0);
  window->Grid()->viewport()->repaint();
  EXPECT_EQ(window->Controller().Store().FindKey(Cp936("广州 电子公司")), nullptr);
  // Nothing names the deleted keyword any more, and the export asks for a keyword.
  EXPECT_EQ(window->StatusLabel()->text(), "");
  EXPECT_EQ(Panel().Entry()->text(), "");
  QTest::mouseClick(Panel().ExportButton(), Qt::LeftButton);
  EXPECT_EQ(box.Last(), "请先在左侧选择一个关键词！");
  EXPECT_FALSE(window->Overlay()->isVisible());
}

TEST_F(KeywordPanel, DeleteFromTheRightClickMenuWhileTheTaskRuns) {
  Seed({{"广州 电子公司", {}}});
  Open();
  BaiduOnly();
  ClickButton("广州 电子公司", 0);
  ASSERT_TRUE(WaitStyle("广州 电子公司", "stopbtn"));
  Panel().OpenKeyMenu(Cp936("广州 电子公司"), QPoint(10, 10));
  Action(Panel().KeyMenu(), "删除关键词")->trigger();
  Panel().KeyMenu()->close();
  EXPECT_EQ(Panel().List()->count(), 0);
  EXPECT_EQ(window->Controller().Store().FindKey(Cp936("广州 电子公司")), nullptr);
  // The task was stopped first: its harvester ends.
  EXPECT_TRUE(PumpUntil([] { return THarvester::Unreported() == 0; }));
}

TEST_F(KeywordPanel, ClearHistoryEmptiesListAndGridAfterTheQuestion) {
  Seed({{"广州 电子公司", {"甲公司"}}, {"上海 网络公司", {"丙公司"}}});
  Open();
  ClickItem("广州 电子公司");
  ASSERT_TRUE(WaitRows(1));
  box.answers = {kMsgCancel};
  QTest::mouseClick(Panel().ClearHistoryButton(), Qt::LeftButton);
  EXPECT_EQ(Panel().List()->count(), 2);
  QTest::mouseClick(Panel().ClearHistoryButton(), Qt::LeftButton);
  EXPECT_EQ(box.Last(), "清空会将所有搜索到的结果删除，确定要清空已搜索的历史记录吗？");
  EXPECT_EQ(Panel().List()->count(), 0);
  EXPECT_EQ(window->GridRowCount(), 0);
  QTest::mouseClick(Panel().ExportButton(), Qt::LeftButton);
  EXPECT_EQ(box.Last(), "请先在左侧选择一个关键词！");
  EXPECT_FALSE(window->Overlay()->isVisible());
}

}  // namespace
}  // namespace zoqa::test
