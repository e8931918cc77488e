#include "gui/mainwindow.h"
#include "app/servicelink.h"
#include "gui/companydetailwindow.h"
#include "gui/updatewindow.h"
#include "service/autoupdate.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

#include <exception>

#include "app/clientversion.h"
#include "export/exportwriter.h"
#include "gui/artwork.h"
#include "gui/backdrop.h"
#include "gui/filereveal.h"
#include "gui/guitext.h"
#include "gui/keywordpanel.h"
#include "gui/loadingoverlay.h"
#include "gui/proxystatuslabel.h"
#include "gui/resultgrid.h"
#include "gui/servicewindows.h"
#include "gui/toolstrip.h"
#include "platform/appdir.h"
#include "service/servicepages.h"
#include "util/codepage.h"
#include "util/msgbox.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

constexpr int kPanelWidth = 262;
// The window's frame on the desktop the layout was drawn for took 39 pixels in height; the
// minimum height is the client area that leaves of a 627 pixels high window. Narrower than the
// design width, the keyword panel keeps its width and the grid scrolls its columns sideways.
constexpr int kMinClientWidth = 760;
constexpr int kMinClientHeight = 627 - 39;

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
  RefreshTrayTip();

  resize(kClientWidth, kClientHeight);
  setMinimumSize(kMinClientWidth, kMinClientHeight);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TMainWindow::~TMainWindow() {
  ShutDown();
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
  connect(panel_, &TKeywordPanel::ExportRequested, this,
          [this] { Command([&] { controller_->ExportButton(); }); });
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

}  // namespace zoqa
