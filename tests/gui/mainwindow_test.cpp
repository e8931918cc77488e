// The main window's life: hiding to the tray on close, coming back, the exit confirmation,
// its size, the first-start launchers and a store that cannot be opened.
#include <QFile>
#include <QFileDialog>
#include <QMenuBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTranslator>

#include <csignal>

#include "gui/companydetailwindow.h"
#include "gui/desktopapp.h"
#include "gui/endsignals.h"
#include "gui/proxystatuslabel.h"
#include "guifixture.h"
#include "harvest/net/proxypool.h"
#include "platform/desktopshortcut.h"
#include "platform/installpath.h"
#include "store/sqliteexception.h"

namespace zoqa::test {
namespace {

using Window = GuiTest;

QAction* TrayAction(TMainWindow& w, const char* text) {
  for (QAction* a : w.TrayMenu()->actions()) {
    if (a->text() == Q(text)) return a;
  }
  return nullptr;
}

TEST_F(Window, ClientAreaIsCentredAtItsDesignSize) {
  Open();
  EXPECT_EQ(window->size(), QSize(1007, 647));
  // Narrower than its design width it still fits a half-screen; the grid scrolls sideways.
  EXPECT_EQ(window->minimumSize(), QSize(760, 588));
  ASSERT_EQ(window->TrayMenu()->actions().size(), 3);
  EXPECT_TRUE(window->TrayMenu()->actions()[1]->isSeparator());
  EXPECT_EQ(window->Tray()->toolTip(), Q("test_gui V2.1"));
}

TEST_F(Window, CloseHidesToTheTrayAndTheTrayBringsItBack) {
  Open();
  QSignalSpy closed(window.get(), &TMainWindow::Closed);
  EXPECT_FALSE(window->CanExit());
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(window->CanExit());  // a close request now (the session ending) is granted
  EXPECT_EQ(closed.count(), 0);
  EXPECT_TRUE(box.shown.empty());

  TrayAction(*window, "显示界面")->trigger();
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->CanExit());

  window->showMinimized();
  window->ShowMainWindow();
  EXPECT_FALSE(window->isMinimized());

  // Exit: Cancel keeps the program, OK ends it.
  box.answers = {kMsgCancel};
  TrayAction(*window, "退出")->trigger();
  EXPECT_EQ(box.Last(), "确定要退出[test_gui]吗？");
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(closed.count(), 0);
  TrayAction(*window, "退出")->trigger();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(closed.count(), 1);
}

TEST_F(Window, HiddenWindowClosesWhenAskedAgain) {
  Open();
  QSignalSpy closed(window.get(), &TMainWindow::Closed);
  window->hide();
  window->close();
  EXPECT_EQ(closed.count(), 1);
}

// The tray is asked at every close: one that went away makes the close ask the exit question,
// one that came back takes the icon and the window again.
TEST_F(Window, WithoutATrayClosingAsksTheExitQuestionInstead) {
  Open();
  window->SetTrayAvailable(false);
  box.answers = {kMsgCancel};
  window->close();
  window->SetTrayAvailable(true);
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(window->Tray()->isVisible());
  EXPECT_EQ(box.shown.size(), 1u);
  window->ShowMainWindow();
  window->SetTrayAvailable(false);
  QSignalSpy closed(window.get(), &TMainWindow::Closed);
  box.answers = {kMsgCancel};
  window->close();
  EXPECT_EQ(box.Last(), "确定要退出[test_gui]吗？");
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(closed.count(), 0);
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(closed.count(), 1);
}

// A lost display ends the process from inside the event loop; the shut-down on the way out
// reads no event of the windowing system and still ends the workers and closes the store.
TEST_F(Window, ShutDownWithoutDisplayWithARunningTaskEndsItsWorkers) {
  Seed({{"广州 电子公司", {}}});
  Open();
  BaiduOnly();
  ClickButton("广州 电子公司", 0);
  ASSERT_TRUE(WaitStyle("广州 电子公司", "stopbtn"));
  ASSERT_TRUE(PumpUntil([&] { return web.Requests() > 0 && TWorkerThread::Running() > 0; }));
  window->ShutDownWithoutDisplay();
  EXPECT_EQ(TWorkerThread::Running(), 0);
  EXPECT_FALSE(window->updatesEnabled());
  window->ShutDown();  // after it, harmless
  window.reset();
}

// SIGTERM (the session ending) ends the program as the tray's exit does, without asking.
TEST_F(Window, EndSignalClosesWithoutTheQuestion) {
  Open();
  TEndSignals ends;
  QObject::connect(&ends, &TEndSignals::EndRequested, window.get(),
                   &TMainWindow::EndWithoutQuestion);
  QSignalSpy closed(window.get(), &TMainWindow::Closed);
  std::raise(SIGTERM);
  ASSERT_TRUE(PumpUntil([&] { return closed.count() == 1; }, 5000));
  EXPECT_TRUE(box.shown.empty());
}

// Without the service link the help menu's items are greyed out and say why.
TEST_F(Window, HelpMenuIsDisabledWithAReasonWhileTheServiceLinkIsOff) {
  Open();
  QMenu* help = window->menuBar()->findChild<QMenu*>("helpMenu");
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->toolTipsVisible());
  ASSERT_EQ(help->actions().size(), 3);
  for (QAction* action : help->actions()) {
    EXPECT_FALSE(action->isEnabled());
    EXPECT_EQ(action->toolTip(), Q("未连接服务（配置文件未设置服务地址），暂不可用"));
  }
}

TEST_F(Window, StatusBarCountsTheHealthyProxiesOfAPoolOnly) {
  Open();
  auto* label = window->findChild<TProxyStatusLabel*>("proxyStatusLabel");
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(label->isHidden());
  auto pool = std::make_shared<TProxyPool>(
      std::vector<TProxyEntry>{ParseProxy("http://a:1"), ParseProxy("http://b:2")});
  for (int i = 0; i < 3; ++i) pool->ConnectFailed(1);
  SetProxyPool(pool);
  label->Refresh();
  EXPECT_FALSE(label->isHidden());
  EXPECT_EQ(label->text(), Q("代理 1/2 可用"));
  SetProxyPool(nullptr);
}

TEST(QtTexts, TheSaveDialogSpeaksChinese) {
  QTranslator texts;
  ASSERT_TRUE(LoadQtTranslations(texts));
  QCoreApplication::installTranslator(&texts);
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  QString fileName = dialog.labelText(QFileDialog::FileName);
  QCoreApplication::removeTranslator(&texts);
  EXPECT_FALSE(fileName.contains("File"));
  EXPECT_TRUE(fileName.contains(Q("文件")));
}

TEST_F(Window, FirstStartWritesTheLaunchersOnceAndRecordsTheInstallPath) {
  Open();
  std::string desktop = DesktopFolder();
  ASSERT_FALSE(desktop.empty());
  std::string launcher = desktop + "test_gui.desktop";
  std::string menu = ApplicationsFolder() + "test_gui.desktop";
  QFile::remove(QString::fromStdString(launcher));
  QFile::remove(QString::fromStdString(menu));
  window->FirstRunSetup();
  std::string text = ReadFileBytes(launcher);
  EXPECT_NE(text.find("Name=test_gui\n"), std::string::npos);
  // The program directory was given (as --home gives it): the launcher gives it too.
  std::string home = QDir(QString::fromStdString(dir.Path())).absolutePath().toStdString();
  EXPECT_NE(text.find("Exec=\"" + AppExePath() + "\" --home \"" + home + "\"\n"), std::string::npos)
      << text;
  EXPECT_TRUE(QFile::exists(QString::fromStdString(menu)));
  EXPECT_TRUE(QFile::permissions(QString::fromStdString(launcher)) & QFileDevice::ExeOwner);
  QSettings ini(QString::fromStdString(dir.File("zqclient.cfg")), QSettings::IniFormat);
  EXPECT_EQ(ini.value("config/first").toInt(), 1);
  EXPECT_EQ(InstallPath(), AppExePath());

  // Later starts make no launcher.
  QFile::remove(QString::fromStdString(launcher));
  window->FirstRunSetup();
  EXPECT_FALSE(QFile::exists(QString::fromStdString(launcher)));
}

TEST_F(Window, LauncherThatCannotBeWrittenIsReportedAndTriedAgainNextTime) {
  Open();
  window->Settings().setValue("config/first", 0);
  SaveInstallPath("/somewhere/else");
  // The applications folder is a file: the launcher cannot go there.
  QString apps = QString::fromStdString(ApplicationsFolder());
  QDir(apps).removeRecursively();
  WriteFileBytes(apps.chopped(1).toStdString(), "not a folder");
  window->FirstRunSetup();
  EXPECT_EQ(box.kinds.back(), mkError);
  EXPECT_EQ(window->Settings().value("config/first").toInt(), 0);
  EXPECT_EQ(InstallPath(), "/somewhere/else");
  QFile::remove(apps.chopped(1));
  QDir().mkpath(apps);
}

TEST_F(Window, StoreThatCannotBeOpenedRaisesInsteadOfOpeningAWindow) {
  std::string users = dir.File("Data/users");
  QFile::remove(QString::fromStdString(users));
  QDir().mkpath(QString::fromStdString(users));  // a folder where the database should be
  EXPECT_THROW(TMainWindow w, std::exception);
}

TEST(Launcher, FileIsWrittenOnlyForDesktopExtensionsWithAQuotedCommand) {
  TempDir dir;
  CreateShortcut("/opt/zoqa/zoqa", "", dir.File("a.lnk"), "zoqa");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.File("a.lnk"))));
  CreateShortcut("/opt/my apps/zo\"qa$", "--home " + DesktopExecQuote("/srv/100% zoqa"),
                 dir.File("b.DESKTOP"), "my zoqa");
  std::string text = ReadFileBytes(dir.File("b.DESKTOP"));
  EXPECT_NE(text.find("Exec=\"/opt/my apps/zo\\\\\"qa\\\\$\" --home \"/srv/100%% zoqa\"\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Path=/opt/my apps/\n"), std::string::npos);
  EXPECT_NE(text.find("Comment=my zoqa\n"), std::string::npos);
  EXPECT_THROW(CreateShortcut("/opt/zoqa/zoqa", "", dir.File("missing/c.desktop"), "zoqa"),
               std::runtime_error);
}

}  // namespace
}  // namespace zoqa::test
