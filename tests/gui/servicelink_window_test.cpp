// The main window's side of the service link: the update window and its messages, and how
// the window looks with the link off and on.
#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QSignalSpy>

#include <filesystem>

#include "app/servicelink.h"
#include "gui/toolstrip.h"
#include "gui/updatewindow.h"
#include "guifixture.h"
#include "service/desutil.h"
#include "service/servicesettings.h"
#include "support/loopbackworld.h"

namespace zoqa::test {
namespace {

using ServiceWindow = GuiTest;

QList<QAction*> HelpItems(TMainWindow& w) {
  return w.menuBar()->findChild<QMenu*>("helpMenu")->actions();
}

TEST_F(ServiceWindow, UpdateMessagesDriveTheProgressWindowWhichRefusesToClose) {
  TMainWindow& w = Open();
  EXPECT_EQ(w.UpdateWindow(), nullptr);
  w.UpdateMessage(2, 40);  // progress before the window exists changes nothing
  w.UpdateMessage(1, 0);
  TUpdateWindow* up = w.UpdateWindow();
  ASSERT_NE(up, nullptr);
  EXPECT_TRUE(up->isVisible());
  EXPECT_EQ(up->windowTitle(), Q("程序正在升级..."));
  EXPECT_EQ(up->size(), QSize(TUpdateWindow::kClientWidth, TUpdateWindow::kClientHeight));
  w.UpdateMessage(2, 37);
  EXPECT_EQ(up->Bar()->value(), 37);
  // A failed download's status is ignored: the window stays as it is.
  w.UpdateMessage(0, 0);
  w.UpdateMessage(255, 0);
  EXPECT_TRUE(up->isVisible());
  EXPECT_EQ(up->Bar()->value(), 37);
  // Neither a close request nor Escape closes it.
  up->close();
  QTest::keyClick(up, Qt::Key_Escape);
  EXPECT_TRUE(up->isVisible());
  // A second "open" keeps the one window.
  w.UpdateMessage(1, 0);
  EXPECT_EQ(w.UpdateWindow(), up);
}

TEST_F(ServiceWindow, WithoutAnUpdaterToStartTheProgramStaysAndSaysSo) {
  TMainWindow& w = Open();
  QSignalSpy closed(&w, &TMainWindow::Closed);
  w.UpdateMessage(1, 0);
  QPointer<TUpdateWindow> up = w.UpdateWindow();
  // The test program's folder holds no "update.exe".
  w.UpdateMessage(5, 0);
  std::filesystem::remove(AppExeDir() + "uplog.txt");
  QTest::qWait(50);
  EXPECT_EQ(closed.count(), 0);
  EXPECT_TRUE(up == nullptr || !up->isVisible());
  EXPECT_EQ(w.findChild<QLabel*>("statusLabel")->text(), Q("无法启动升级程序，本次升级未完成"));
}

TEST_F(ServiceWindow, WithoutAConfigurationHostNothingOfTheServiceRuns) {
  SetServiceSettings(TServiceSettings{});
  TMainWindow& w = Open();
  EXPECT_EQ(w.Service(), nullptr);
  EXPECT_FALSE(w.VersionCheckArmed());
  EXPECT_FALSE(w.ToolStrip()->isVisible());
  for (QAction* a : HelpItems(w)) EXPECT_FALSE(a->isEnabled());
}

// Puts the service link back off when a test ends, however it ends.
struct TServiceOff {
  ~TServiceOff() { SetServiceSettings(TServiceSettings{}); }
};

TEST_F(ServiceWindow, WithTheLinkOnTheDocumentIsAppliedAndTheNoticeArmed) {
  TServiceOff off;
  TLoopbackWorld world;
  TEngineSettings engine = *EngineSettings();
  engine.Proxy = world.ProxyAddress();
  SetEngineSettings(engine);
  TServiceSettings service;
  service.ConfigHost = "cfg.zoqa.test";
  service.ServiceHost = "pages.zoqa.test";
  SetServiceSettings(service);
  world.Route("cfg.zoqa.test", "/soft/kwrt/config.txt",
              TWorldResponse::Page(EncipherStream(
                  "<zq><system><zqmailurl>http://dl.zoqa.test/m.zip</zqmailurl></system></zq>",
                  "qmv3k8rtw")));
  TMainWindow& w = Open();
  ASSERT_NE(w.Service(), nullptr);
  EXPECT_TRUE(w.ToolStrip()->isVisible());
  for (QAction* a : HelpItems(w)) EXPECT_TRUE(a->isEnabled());
  // The document switches the service pages on, names the first tool's download and arms
  // the deferred start-up; it said nothing about versions, so the version check stays armed.
  ASSERT_TRUE(PumpUntil([&] { return !w.Service()->ServiceBaseUrl().empty(); }, 20000));
  EXPECT_EQ(w.Service()->ServiceBaseUrl(), "http://pages.zoqa.test/");
  EXPECT_EQ(w.Service()->ToolUrl(0), "http://dl.zoqa.test/m.zip");
  EXPECT_TRUE(w.VersionCheckArmed());
  EXPECT_TRUE(w.DeferredStartupArmed());
}

}  // namespace
}  // namespace zoqa::test
