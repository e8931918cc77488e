// The main window's life: hiding to the tray on close, coming back, the exit confirmation,
// its size, the first-start launchers and a store that cannot be opened.
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>

#include "gui/companydetailwindow.h"
#include "guifixture.h"
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
  EXPECT_EQ(window->minimumSize(), QSize(1007, 588));
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

TEST_F(Window, WithoutATrayClosingAsksTheExitQuestionInstead) {
  Open();
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

TEST_F(Window, ShutDownWithARunningTaskEndsItsWorkers) {
  Seed({{"广州 电子公司", {}}});
  Open();
  BaiduOnly();
  ClickButton("广州 电子公司", 0);
  ASSERT_TRUE(WaitStyle("广州 电子公司", "stopbtn"));
  ASSERT_TRUE(PumpUntil([&] { return web.Requests() > 0 && TWorkerThread::Running() > 0; }));
  window->ShutDown();
  EXPECT_EQ(TWorkerThread::Running(), 0);
  window->ShutDown();  // twice is harmless
  window.reset();
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
  EXPECT_NE(text.find("Exec=\"" + AppExePath() + "\"\n"), std::string::npos);
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
  CreateShortcut("/opt/my apps/zo\"qa$", "", dir.File("b.DESKTOP"), "my zoqa");
  std::string text = ReadFileBytes(dir.File("b.DESKTOP"));
  EXPECT_NE(text.find("Exec=\"/opt/my apps/zo\\\\\"qa\\\\$\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Path=/opt/my apps/\n"), std::string::npos);
  EXPECT_NE(text.find("Comment=my zoqa\n"), std::string::npos);
  EXPECT_THROW(CreateShortcut("/opt/zoqa/zoqa", "", dir.File("missing/c.desktop"), "zoqa"),
               std::runtime_error);
}

}  // namespace
}  // namespace zoqa::test
