#include "gui/mainwindow.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QVBoxLayout>

#include <exception>

#include "app/clientversion.h"
#include "app/servicelink.h"
#include "export/exportwriter.h"
#include "gui/artwork.h"
#include "gui/backdrop.h"
#include "gui/companydetailwindow.h"
#include "gui/exportselectiondialog.h"
#include "gui/filereveal.h"
#include "gui/guitext.h"
#include "gui/keywordpanel.h"
#include "gui/loadingoverlay.h"
#include "gui/proxystatuslabel.h"
#include "gui/resultgrid.h"
#include "gui/servicewindows.h"
#include "gui/toolstrip.h"
#include "gui/updatewindow.h"
#include "harvest/net/workerthread.h"
#include "platform/appdir.h"
#include "platform/desktopshortcut.h"
#include "platform/installpath.h"
#include "platform/mainthreadport.h"
#include "platform/processes.h"
#include "service/autoupdate.h"
#include "service/handover.h"
#include "service/servicepages.h"
#include "service/servicesettings.h"
#include "service/updatethread.h"
#include "util/codepage.h"
#include "util/msgbox.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

constexpr int kPanelWidth = 262;
// The window's frame on the desktop the layout was drawn for took 16 by 39 pixels; the
// minimum below is the client area that leaves of a 1023 by 627 window.
constexpr int kMinClientWidth = 1023 - 16;
constexpr int kMinClientHeight = 627 - 39;
constexpr int kShutdownWaitMs = 3000;
constexpr int kTimerMs = 1000;
const char kExportDirKey[] = "config/exportdir";

const char kPrompt[] = "提示";

// The message that refuses a keyword holding a character code page 936 lacks, naming the
// character by its place and its Unicode number (the message itself is code page 936 text);
// empty when every character can be kept.
std::string UnusableCharacterMessage(const QString& text) {
  std::string utf8 = text.toStdString();
  std::string lost = LostCharacter(utf8);
  if (lost.empty()) return {};
  qsizetype place = QString::fromStdString(utf8.substr(0, utf8.find(lost))).toUcs4().size() + 1;
  return Cp936("关键词的第") + std::to_string(place) + Cp936("个字符（") + CodePointName(lost) +
         Cp936("）无法保存，请删除或换成其他字符后再添加！");
}

// An exception's text as code page 936 (messages may come in either encoding).
std::string FailureText(const std::exception& e) {
  std::string text = e.what();
  return IsValidUtf8(text) ? Utf8ToCp936(text) : text;
}

TMainWindow::SaveChoice DefaultSaveFile(QWidget* parent, const QString& proposed, bool asText) {
  const QString xlsx = QString::fromUtf8("Excel 工作簿 (*.xlsx)");
  QFileDialog dialog(parent, QString::fromUtf8("保存"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the window asks its own question
  if (asText) {
    dialog.setNameFilter(QString::fromUtf8("文本文件 (*.txt)"));
    dialog.setDefaultSuffix("txt");
  } else {
    dialog.setNameFilters({xlsx, QString::fromUtf8("Excel 97-2003 工作簿 (*.xls)")});
    dialog.setDefaultSuffix("xlsx");
    // A name typed without an extension gets the chosen filter's.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
      dialog.setDefaultSuffix(filter == xlsx ? "xlsx" : "xls");
    });
  }
  // A full path opens the dialog in its folder. The desktop's own dialog is used where the
  // platform offers one; Qt's dialog gets room for its columns.
  dialog.selectFile(proposed);
  dialog.resize(820, 520);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  TExportFormat format = asText                                ? TExportFormat::Text
                         : dialog.selectedNameFilter() == xlsx ? TExportFormat::Xlsx
                                                               : TExportFormat::Xls;
  return {dialog.selectedFiles().front(), format};
}

}  // namespace

TMainWindow::TMainWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName("mainWindow");
  setWindowIcon(AppIcon());
  askSaveFile_ = [this](const QString& proposed, bool asText) {
    return DefaultSaveFile(this, proposed, asText);
  };
  revealFile_ = [](const QString& path) { RevealFile(path); };
  BuildWidgets();
  BuildMenus();
  BuildTray();
  ConnectPanel();

  canExit_ = false;
  appName_ = QString::fromStdString(TextBeforeLast(AppExeName(), '.'));
  ini_ = std::make_unique<QSettings>(QString::fromStdString(AppDir() + "zqclient.cfg"),
                                     QSettings::IniFormat);
  // The store opens and every stored keyword becomes an item before the window shows.
  controller_ = std::make_unique<TMainController>(*this);

  StartService();

  QString title = appName_ + " V" + kClientVersion;
  setWindowTitle(title);
  tray_->setToolTip(title);

  resize(kClientWidth, kClientHeight);
  setMinimumSize(kMinClientWidth, kMinClientHeight);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TMainWindow::~TMainWindow() {
  ShutDown();
}

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

// ---- building

void TMainWindow::BuildWidgets() {
  auto* central = new QWidget(this);
  auto* layout = new QHBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  panel_ = new TKeywordPanel(central);
  panel_->setFixedWidth(kPanelWidth);
  layout->addWidget(panel_);

  auto* area = new QWidget(central);
  area->setObjectName("gridArea");
  auto* areaLayout = new QVBoxLayout(area);
  areaLayout->setContentsMargins(8, 8, 8, 8);
  areaLayout->setSpacing(6);
  recordCount_ = new QLabel(area);
  recordCount_->setObjectName("recordCountLabel");
  recordCount_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // The panel's export button sits above the grid, where the results it exports are.
  auto* bar = new QHBoxLayout;
  bar->addWidget(panel_->ExportButton());
  bar->addStretch(1);
  bar->addWidget(recordCount_);
  areaLayout->addLayout(bar);

  auto* holder = new QWidget(area);
  auto* holderLayout = new QVBoxLayout(holder);
  holderLayout->setContentsMargins(0, 0, 0, 0);
  grid_ = new TResultGrid(holder);
  holderLayout->addWidget(grid_);
  backdrop_ = new TBackdrop(holder);
  overlay_ = new TLoadingOverlay(holder);
  areaLayout->addWidget(holder, 1);
  layout->addWidget(area, 1);
  setCentralWidget(central);

  connect(grid_, &TResultGrid::DetailsRequested, this, &TMainWindow::OpenDetails);
  connect(grid_, &TResultGrid::DeleteRequested, this, &TMainWindow::DeleteRow);

  total_ = new QLabel(this);
  total_->setObjectName("totalLabel");
  status_ = new QLabel(this);
  status_->setObjectName("statusLabel");
  status_->setTextFormat(Qt::PlainText);
  status_->setMinimumWidth(1);
  statusBar()->setSizeGripEnabled(false);
  statusBar()->addWidget(total_);
  statusBar()->addWidget(status_, 1);
  statusBar()->addPermanentWidget(new TProxyStatusLabel(this));
  tools_ = new TToolStrip(
      [this](int which) { return service_ ? service_->ToolUrl(which) : std::string(); }, this);
  tools_->setObjectName("toolStrip");
  statusBar()->addPermanentWidget(tools_);
  tools_->hide();  // shown once the service link is on
}

void TMainWindow::BuildMenus() {
  QMenu* help = menuBar()->addMenu(QString::fromUtf8("帮助中心(&H)"));
  help->setObjectName("helpMenu");
  help->setToolTipsVisible(true);
  // The pages behind these come from the service; without the service link they are shown
  // disabled, with a tooltip that says why.
  const std::pair<const char*, const char*> items[] = {
      {"联系我们", "contact"}, {"优化建议", "feedback"}, {"软件介绍", "description"}};
  for (const auto& [caption, page] : items) {
    QAction* action = help->addAction(QString::fromUtf8(caption));
    std::string which = page;
    connect(action, &QAction::triggered, this, [this, which] { OpenServicePage(which); });
    action->setEnabled(false);
    action->setToolTip(QString::fromUtf8("未连接服务（配置文件未设置服务地址），暂不可用"));
    serviceActions_.push_back(action);
  }
}

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

void TMainWindow::ConnectPanel() {
  connect(panel_, &TKeywordPanel::AddTaskRequested, this, [this](const QString& text) {
    Command([&] {
      // A character the code page lacks would silently become "?": another keyword, and one
      // that collides with every other keyword so changed.
      std::string problem = UnusableCharacterMessage(text);
      if (!problem.empty()) {
        zoqa::ShowMsg(problem, Cp936(kPrompt), mkInformation);
        panel_->Entry()->setFocus();
        return;
      }
      if (!controller_->AddTask(ToCp936(text)) && Trim(ToCp936(text)).empty() &&
          panel_->Entry()->isVisible()) {
        panel_->Entry()->setFocus();
      }
    });
  });
  connect(panel_, &TKeywordPanel::ExportRequested, this, [this](const QString& text) {
    Command([&] { controller_->ExportButton(ToCp936(text)); });
  });
  connect(panel_, &TKeywordPanel::ClearHistoryRequested, this,
          [this] { Command([&] { controller_->ClearHistory(); }); });
  connect(panel_, &TKeywordPanel::KeywordSelected, this, [this](const std::string& keyword) {
    Command([&] { controller_->SelectKeyword(keyword); });
  });
  connect(
      panel_, &TKeywordPanel::ItemButtonClicked, this,
      [this](const std::string& keyword, int tag) { controller_->KeyButtonClick(keyword, tag); });
  // Menu commands that fail leave everything as it was.
  connect(panel_, &TKeywordPanel::PauseRequested, this, [this](const std::string& keyword) {
    try {
      controller_->PauseTask(keyword);
    } catch (...) {
    }
  });
  connect(panel_, &TKeywordPanel::StopRequested, this, [this](const std::string& keyword) {
    try {
      controller_->StopTask(keyword, true);
    } catch (...) {
    }
  });
}

void TMainWindow::Command(const std::function<void()>& command) {
  if (!controller_) return;
  try {
    command();
  } catch (const std::exception& e) {
    zoqa::ShowMsg(FailureText(e), Cp936(kPrompt), mkError);
  }
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
  StopWorkers([] { QCoreApplication::processEvents(); });
  if (detail_) detail_->close();
  grid_->Model().Clear();
  controller_.reset();
  tray_->hide();
}

void TMainWindow::ShutDownWithoutDisplay() {
  if (!controller_) return;
  setUpdatesEnabled(false);
  StopWorkers([] { QCoreApplication::sendPostedEvents(); });
  grid_->Model().Clear();
  controller_.reset();
}

// Nothing of the service link reaches the window any more (a running download stops), and
// running harvesters and crawlers end before what they report to goes; `pump` serves their
// hand-offs meanwhile.
void TMainWindow::StopWorkers(const std::function<void()>& pump) {
  if (port_) port_->Close();
  update_.reset();
  service_.reset();
  StopAllWorkers();
  TWorkerThread::WaitAllEnded(kShutdownWaitMs, pump);
  pump();  // the last end reports
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

// ---- grid commands

TCompanyDetailWindow* TMainWindow::DetailWindow() const {
  return detail_.data();
}

void TMainWindow::OpenDetails(int row) {
  if (row < 0) return;
  if (!detail_) detail_ = new TCompanyDetailWindow(this);
  const TCompany* company = grid_->Model().Record(row);
  if (company == nullptr) return;
  detail_->ShowCompany(*company);
  detail_->show();
  detail_->raise();
  detail_->activateWindow();
}

void TMainWindow::DeleteRow(int row) {
  const TCompany* company = grid_->Model().Record(row);
  if (company == nullptr) return;
  Command([&] { controller_->DeleteCompany(*company); });
}

// ---- export

void TMainWindow::ExportKeyword(const std::string& keyword, const TExportFields& fields,
                                bool asText) {
  if (!controller_) return;
  QString proposed =
      ExportFolder() + "/" + FromCp936(keyword).replace('/', '_') + (asText ? ".txt" : ".xlsx");
  SaveChoice choice = askSaveFile_(proposed, asText);
  const QString& file = choice.file;
  if (file.isEmpty()) return;
  TExportFormat format =
      asText ? TExportFormat::Text : SpreadsheetFormatFor(file.toStdString(), choice.format);
  if (QFileInfo::exists(file) &&
      zoqa::ShowMsg(Cp936("文件已存在，是否覆盖？"), Cp936(kPrompt), mkQuestion) == kMsgCancel) {
    return;
  }
  bool written = false;
  try {
    written = controller_->Store().WriteExport(keyword, file.toStdString(), fields.company,
                                               fields.qq, fields.mobile, fields.email,
                                               fields.location, fields.url, format);
  } catch (...) {
    written = false;
  }
  if (!written || !QFileInfo::exists(file)) {
    zoqa::ShowMsg(Cp936("数据导出失败！"), Cp936(kPrompt), mkInformation);
    return;
  }
  ini_->setValue(kExportDirKey, QFileInfo(file).absolutePath());
  if (zoqa::ShowMsg(Cp936("数据导出成功，是否打开文件保存目录？"), Cp936(kPrompt), mkQuestion) !=
      kMsgCancel) {
    revealFile_(file);
  }
}

// The folder of the last export while it exists, else the user's documents folder.
QString TMainWindow::ExportFolder() const {
  QString last = ini_->value(kExportDirKey).toString();
  if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// ---- TView

void TMainWindow::AddKeyItem(const std::string& keyword, const std::string& countText,
                             const std::string& dateText) {
  panel_->AddKeyItem(keyword, FromCp936(countText), FromCp936(dateText));
}

void TMainWindow::SetItemButton(const std::string& keyword, int tag, bool enabled,
                                const std::string& style) {
  panel_->SetItemButton(keyword, tag, enabled, QString::fromStdString(style));
}

void TMainWindow::SetItemDate(const std::string& keyword, const std::string& text) {
  panel_->SetItemDate(keyword, FromCp936(text));
}

void TMainWindow::SetItemCount(const std::string& keyword, const std::string& text) {
  panel_->SetItemCount(keyword, FromCp936(text));
}

void TMainWindow::RemoveKeyItem(const std::string& keyword) {
  panel_->RemoveKeyItem(keyword);
}

void TMainWindow::RemoveAllKeyItems() {
  panel_->RemoveAllKeyItems();
}

void TMainWindow::SelectKeyItem(const std::string& keyword) {
  panel_->SelectItem(keyword);
}

void TMainWindow::SetItemNote(const std::string& keyword, const std::string& text) {
  panel_->SetItemNote(keyword, FromCp936(text));
}

void TMainWindow::ShowEntry(const std::string& keyword) {
  panel_->ShowEntry(keyword);
}

void TMainWindow::SetTip(const std::string& title, const std::string& text) {
  panel_->SetTip(FromCp936(title), FromCp936(text));
}

void TMainWindow::SetTipText(const std::string& text) {
  panel_->SetTipText(FromCp936(text));
}

void TMainWindow::SetStatusBar(const std::string& text) {
  status_->setText(FromCp936(text));
}

void TMainWindow::SetTotalLabel(const std::string& text) {
  total_->setText(FromCp936(text));
}

void TMainWindow::SetRecordCountLabel(const std::string& text) {
  recordCount_->setText(FromCp936(text));
}

void TMainWindow::ClearGrid() {
  grid_->Model().Clear();
  recordCount_->clear();
}

void TMainWindow::FillGrid(const TCompanyList& list) {
  grid_->setUpdatesEnabled(false);
  grid_->Model().Fill(list);
  grid_->setUpdatesEnabled(true);
}

void TMainWindow::AppendGridRow(const TCompany& company) {
  grid_->Model().Append(company);
}

int TMainWindow::GridRowCount() const {
  return grid_->Model().rowCount();
}

void TMainWindow::ShowLoading(bool on) {
  overlay_->SetLoading(on);
}

void TMainWindow::HideBackground() {
  backdrop_->hide();
}

int TMainWindow::ShowMsg(const std::string& text, const std::string& caption, int kind) {
  return zoqa::ShowMsg(text, caption, kind);
}

void TMainWindow::ShowTaskMenu(const std::string& keyword) {
  panel_->OpenTaskMenu(keyword, QCursor::pos());
}

void TMainWindow::OpenExportSelection(const std::string& keyword) {
  auto* dialog = new TExportSelectionDialog(keyword, this);
  connect(dialog, &TExportSelectionDialog::ExportChosen, this, &TMainWindow::ExportKeyword);
  dialog->show();
}

bool TMainWindow::EngineChecked(int engine) const {
  return panel_->EngineChecked(engine);
}

}  // namespace zoqa
