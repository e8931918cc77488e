// The main window's life: the tray, first-run setup, shutting down and the window states.
#include <QCoreApplication>
#include "app/exportjob.h"
#include "app/servicelink.h"
#include "gui/companydetailwindow.h"
#include "gui/mainwindow.h"
#include "service/autoupdate.h"

#include <QCloseEvent>
#include <QDir>
#include <QMenuBar>
#include <QStandardPaths>

#include <exception>

#include "gui/artwork.h"
#include "gui/guitext.h"
#include "gui/resultgrid.h"
#include "gui/servicewindows.h"
#include "harvest/net/workerthread.h"
#include "platform/appdir.h"
#include "platform/desktopshortcut.h"
#include "platform/installpath.h"
#include "util/codepage.h"
#include "util/msgbox.h"

namespace zoqa {
namespace {

constexpr int kShutdownWaitMs = 3000;
const char kPrompt[] = "提示";

}  // namespace

void TMainWindow::BuildTray() {
  tray_ = new QSystemTrayIcon(AppIcon(), this);
  trayMenu_ = new QMenu(this);
  trayMenu_->setObjectName("trayMenu");
  QAction* show = trayMenu_->addAction(QString::fromUtf8("显示界面"));
  trayMenu_->addSeparator();
  QAction* exit = trayMenu_->addAction(QString::fromUtf8("退出"));
  connect(show, &QAction::triggered, this, &TMainWindow::ShowMainWindow);
  connect(exit, &QAction::triggered, this, &TMainWindow::RequestExit);
  tray_->setContextMenu(trayMenu_);
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
    // Some trays report only single clicks; either brings the window back.
    if (r == QSystemTrayIcon::DoubleClick || r == QSystemTrayIcon::Trigger) ShowMainWindow();
  });
  // Shown whether or not a tray runs now: one that appears later takes the icon.
  tray_->show();
}

bool TMainWindow::TrayAvailable() const {
  return trayOverride_ ? *trayOverride_ : QSystemTrayIcon::isSystemTrayAvailable();
}

// ---- start-up and shut-down

void TMainWindow::FirstRunSetup() {
  bool ok = false;
  int first = ini_->value("config/first").toString().trimmed().toInt(&ok);
  if (!ok || first == 0) {
    try {
      CreateDesktopShortcut();
    } catch (const std::exception& e) {
      // The next start tries again; the install path waits for it too.
      zoqa::ShowMsg(FailureText(e), Cp936(kPrompt), mkError);
      return;
    }
    ini_->setValue("config/first", 1);
    ini_->sync();
  }
  SaveInstallPath(AppExePath());
}

void TMainWindow::CreateDesktopShortcut() {
  std::string exe = AppExePath();
  // A program directory given by --home or ZOQA_HOME goes into the launcher, which would
  // otherwise open another store.
  std::string arguments;
  if (AppDirGiven()) {
    QString home = QDir(QString::fromStdString(AppDir())).absolutePath();
    arguments = "--home " + DesktopExecQuote(home.toStdString());
  }
  std::string name = appName_.toStdString();
  // The icon goes where the desktop's icon theme finds it; a launcher without it still works.
  std::string icon;
  QString iconDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                    "/icons/hicolor/256x256/apps";
  if (QDir().mkpath(iconDir)) {
    QString iconFile = iconDir + "/" + appName_ + ".png";
    if (AppIconPixmap(256).save(iconFile, "PNG")) icon = iconFile.toStdString();
  }
  std::string menu = ApplicationsFolder();
  if (!menu.empty()) CreateShortcut(exe, arguments, menu + name + ".desktop", name, icon);
  // A user without a desktop folder gets the menu entry only.
  std::string desktop = DesktopFolder();
  if (!desktop.empty()) CreateShortcut(exe, arguments, desktop + name + ".desktop", name, icon);
}

void TMainWindow::ShutDown() {
  if (!controller_) return;
  StopExport();
  StopWorkers([] { QCoreApplication::processEvents(); });
  if (detail_) detail_->close();
  grid_->Model().Clear();
  controller_.reset();
  tray_->hide();
}

void TMainWindow::ShutDownWithoutDisplay() {
  if (!controller_) return;
  setUpdatesEnabled(false);
  StopExport();
  StopWorkers([] { QCoreApplication::sendPostedEvents(); });
  grid_->Model().Clear();
  controller_.reset();
}

// Nothing of the service link reaches the window any more (a running download stops); on the
// team store the program's worker hands its tasks back at the pages reached; and running
// harvesters and crawlers end before what they report to goes. `pump` serves their hand-offs
// meanwhile.
void TMainWindow::StopWorkers(const std::function<void()>& pump) {
  if (port_) port_->Close();
  update_.reset();
  service_.reset();
  if (controller_) controller_->EndTeamWork(pump);
  StopAllWorkers();
  TWorkerThread::WaitAllEnded(kShutdownWaitMs, pump);
  pump();  // the last end reports
}

// An export still being written stops; the file it was to replace stays as it was.
void TMainWindow::StopExport() {
  delete exportJob_;
  exportJob_ = nullptr;
}

void TMainWindow::EndWithoutQuestion() {
  canExit_ = true;
  close();
}

// ---- window states

void TMainWindow::ShowMainWindow() {
  show();
  if (isMinimized()) showNormal();
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  raise();
  activateWindow();
}

bool TMainWindow::ConfirmExit() {
  return zoqa::ShowMsg(Cp936("确定要退出[") + ToCp936(appName_) + Cp936("]吗？"), Cp936(kPrompt),
                       mkQuestion) != kMsgCancel;
}

void TMainWindow::RequestExit() {
  if (!ConfirmExit()) return;
  canExit_ = true;
  close();
}

void TMainWindow::closeEvent(QCloseEvent* event) {
  // Without a tray a hidden window could not be reached again: ask about ending instead.
  bool tray = TrayAvailable();
  if (!canExit_ && !tray && ConfirmExit()) canExit_ = true;
  if (canExit_) {
    event->accept();
    if (tray_) tray_->hide();
    emit Closed();
    return;
  }
  event->ignore();
  if (tray) {
    tray_->show();
    hide();
  }
}

void TMainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) canExit_ = false;
}

void TMainWindow::hideEvent(QHideEvent* event) {
  QMainWindow::hideEvent(event);
  // A close request while hidden (the session ending) is granted.
  if (!event->spontaneous()) canExit_ = true;
}

}  // namespace zoqa
