#include "gui/toolinstallwindow.h"

#include <QDir>
#include <QPointer>

#include <algorithm>

#include "gui/guitext.h"
#include "platform/mainthreadport.h"
#include "service/companiontools.h"
#include "service/downloadthread.h"
#include "service/windowmessages.h"

namespace zoqa {
namespace {

QPointer<TToolInstallWindow> g_window;

}  // namespace

TToolInstallWindow::TToolInstallWindow()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      port_(TMainThreadPort::Create()) {
  setObjectName("toolInstallWindow");
  setWindowTitle(QString::fromUtf8("提示"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kWidth, kHeight);

  text_ = new QLabel(QString::fromUtf8("还没有安装服务，是否立即安装？"), this);
  text_->setObjectName("toolInstallText");
  text_->setWordWrap(true);
  text_->setGeometry(16, 10, kWidth - 32, 40);
  progress_ = new QProgressBar(this);
  progress_->setRange(0, 100);
  progress_->setGeometry(16, 52, kWidth - 32, 14);
  progress_->setTextVisible(false);
  progress_->hide();
  install_ = new QPushButton(QString::fromUtf8("安装服务"), this);
  install_->setDefault(true);
  install_->setGeometry(kWidth / 2 - 110, kHeight - 44, 100, 30);
  later_ = new QPushButton(QString::fromUtf8("下次安装"), this);
  later_->setGeometry(kWidth / 2 + 10, kHeight - 44, 100, 30);
  connect(install_, &QPushButton::clicked, this, &TToolInstallWindow::Install);
  connect(later_, &QPushButton::clicked, this, &QDialog::reject);
  connect(this, &QDialog::finished, this, [this] {
    if (g_window == this) g_window = nullptr;
  });
}

TToolInstallWindow::~TToolInstallWindow() {
  // A download under way goes on (the user asked for it); its reports no longer come here.
  port_->Close();
}

TToolInstallWindow* TToolInstallWindow::Open(int t, const std::string& arguments,
                                             const std::string& downloadUrl) {
  if (g_window == nullptr) g_window = new TToolInstallWindow;
  TToolInstallWindow* window = g_window;
  window->tool_ = t;
  window->arguments_ = arguments;
  window->url_ = downloadUrl;
  if (t == 0 || t == 1) {
    window->text_->setText(QString::fromUtf8("还没有安装服务[") +
                           QString::fromUtf8(CompanionTool(t).DisplayName) +
                           QString::fromUtf8("]，是否立即安装？"));
  }
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

TToolInstallWindow* TToolInstallWindow::Instance() {
  return g_window.data();
}

void TToolInstallWindow::ToolInstallMessage(int wParam, std::int64_t lParam) {
  if (wParam == 1) {
    progress_->show();
  } else if (wParam == 2) {
    progress_->show();
    text_->setText(QString::fromUtf8("正在下载服务程序，已下载 ") + QString::number(lParam) + "%");
    progress_->setValue(static_cast<int>(std::clamp<std::int64_t>(lParam, 0, 100)));
  } else if (wParam == 3) {
    progress_->hide();
  }
}

void TToolInstallWindow::Install() {
  install_->setEnabled(false);
  later_->setEnabled(false);
  QString folder = QString::fromStdString(ToolFolder(tool_));
  QDir().mkpath(folder);
  TDownloadRequest request;
  request.Url = url_;
  request.TargetFile = ToolFolder(tool_) + "/" + CompanionTool(tool_).DisplayName + ".zip";
  request.Unpack = true;
  request.Run = true;
  request.Arguments = arguments_;
  request.ExpectedCrc = 0;
  request.MessageCode = kToolInstallMessage;
  TDownloadThread::Start(
      request, port_,
      [this](int code, int wParam, std::int64_t lParam) {
        if (code == kToolInstallMessage) ToolInstallMessage(wParam, lParam);
      },
      [this](TDownloadStatus) { close(); });
}

}  // namespace zoqa
