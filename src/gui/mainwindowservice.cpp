// The main window's link to the service: start-up checks, notice and service pages, the
// update window and the hand-over to the updater.
#include <QCoreApplication>
#include "gui/companydetailwindow.h"
#include "gui/mainwindow.h"
#include "gui/toolstrip.h"

#include "app/clientversion.h"
#include "app/servicelink.h"
#include "gui/guitext.h"
#include "gui/servicewindows.h"
#include "gui/updatewindow.h"
#include "platform/appdir.h"
#include "platform/mainthreadport.h"
#include "platform/processes.h"
#include "service/autoupdate.h"
#include "service/handover.h"
#include "service/servicepages.h"
#include "service/updatethread.h"
#include "util/codepage.h"

namespace zoqa {
namespace {

constexpr int kTimerMs = 1000;

}  // namespace

// ---- service link

void TMainWindow::StartService() {
  port_ = TMainThreadPort::Create();
  versionTimer_.setSingleShot(true);
  versionTimer_.setInterval(kVersionCheckDelayMs);
  connect(&versionTimer_, &QTimer::timeout, this, [this] { StartVersionCheck(); });
  noticeTimer_.setSingleShot(true);
  noticeTimer_.setInterval(kTimerMs);
  connect(&noticeTimer_, &QTimer::timeout, this, [this] { OpenNotice(); });
  // Without a configuration host the program works on its own: no fetch, no version check,
  // no service pages and no companion tools.
  service_ = std::make_unique<TServiceLink>(*this);
  if (!service_->Start()) {
    service_.reset();
    return;
  }
  versionTimer_.start();
  for (QAction* action : serviceActions_) {
    action->setEnabled(true);
    action->setToolTip(QString());
  }
  tools_->show();
}

void TMainWindow::OpenNotice() {
  if (!service_) return;
  contactUser_ = ToCp936(ini_->value("config/p").toString());
  OpenNoticeWindow(NoticePageUrl(service_->ServiceBaseUrl(), kClientVersion));
}

void TMainWindow::StartVersionCheck() {
  if (!service_ || !port_ || port_->Closed()) return;
  // The window does not act on the notice; the check's request is its only effect.
  TUpdateThread::Start(
      port_, [](int, const TGetUpInfo&) {}, kClientVersion);
}

void TMainWindow::OpenServicePage(const std::string& page) {
  if (!service_) return;
  const std::string& base = service_->ServiceBaseUrl();
  if (page == "contact") {
    OpenContactWindow(base, contactUser_);
  } else if (page == "feedback") {
    OpenFeedbackPage(base);
  } else {
    OpenDescriptionWindow(base);
  }
}

TUpdateWindow* TMainWindow::UpdateWindow() const {
  return updateWindow_.data();
}

void TMainWindow::OpenUpdateWindow() {
  if (!updateWindow_) updateWindow_ = new TUpdateWindow(this);
  updateWindow_->show();
  updateWindow_->raise();
}

void TMainWindow::StartUpdate(std::unique_ptr<TUpdateInfo> info) {
  if (!port_ || port_->Closed()) return;
  // A later document's offer replaces an earlier one that is still downloading.
  update_ = std::make_unique<TAutoUpdate>(
      port_, [this](int wParam, std::int64_t lParam) { UpdateMessage(wParam, lParam); },
      std::move(info), AppExeDir());
  update_->Start();
}

void TMainWindow::StopVersionCheck() {
  versionTimer_.stop();
}

void TMainWindow::ArmDeferredStartup() {
  noticeTimer_.start();
}

void TMainWindow::EndProcess() {
  canExit_ = true;
  if (tray_) tray_->hide();
  emit Closed();
}

void TMainWindow::UpdateMessage(int wParam, std::int64_t lParam) {
  switch (wParam) {
    case 1:
      OpenUpdateWindow();
      break;
    case 2:
      if (updateWindow_) updateWindow_->SetProgress(static_cast<int>(lParam));
      break;
    case 5:
      HandOver();
      break;
    default:
      break;  // a failed download: the update ends here, the window stays open
  }
}

void TMainWindow::HandOver() {
  // The update replaces the executable in its own folder, where the updater waits too.
  const std::string folder = AppExeDir();
  if (!WriteUpLog(folder, AppExeName()) || !StartUpdater(folder)) {
    // Without an updater nothing would install the package: the program stays.
    if (updateWindow_) updateWindow_->CloseForGood();
    SetStatusBar(Cp936("无法启动升级程序，本次升级未完成"));
    return;
  }
  tray_->hide();
  // The update is installed by the updater now; its window no longer holds the program.
  if (updateWindow_) updateWindow_->CloseForGood();
  QCoreApplication::processEvents();
  // The store is closed and the workers stopped before the process goes, so nothing that
  // was harvested is lost. Other copies of this very executable are ended, since the updater
  // waits for them; then the program ends by itself with status 0.
  ShutDown();
  KillProcessesOf(AppExePath());
  canExit_ = true;
  emit Closed();
}

}  // namespace zoqa
