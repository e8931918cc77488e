#include "gui/descriptionwindow.h"

#include <QPointer>

#include "gui/guitext.h"
#include "platform/mainthreadport.h"
#include "service/servicepagefetch.h"
#include "service/servicepages.h"

namespace zoqa {
namespace {

QPointer<TDescriptionWindow> g_window;

}  // namespace

TDescriptionWindow::TDescriptionWindow()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      port_(TMainThreadPort::Create()) {
  setObjectName("descriptionWindow");
  setWindowTitle(QString::fromUtf8("软件介绍"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kWidth, kHeight);

  text_ = new QPlainTextEdit(this);
  text_->setObjectName("descriptionText");
  text_->setReadOnly(true);
  text_->setFrameShape(QFrame::NoFrame);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  text_->setPlainText(QString::fromUtf8("正在加载数据，请稍候..."));
  text_->setGeometry(10, 10, kWidth - 20, kHeight - 62);

  close_ = new QPushButton(QString::fromUtf8("关  闭"), this);
  close_->setObjectName("descriptionClose");
  close_->setDefault(true);  // Enter closes; Esc closes as the dialog's cancel
  close_->setGeometry((kWidth - 90) / 2, kHeight - 42, 90, 30);
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
  connect(this, &QDialog::finished, this, [this] {
    if (g_window == this) g_window = nullptr;
  });
}

TDescriptionWindow::~TDescriptionWindow() {
  port_->Close();
}

TDescriptionWindow* TDescriptionWindow::Open(const std::string& url) {
  if (g_window == nullptr) g_window = new TDescriptionWindow;
  TDescriptionWindow* window = g_window;
  TServicePageFetch::Start(url, window->port_,
                           [window](const std::string& reply) { window->FillIn(reply); });
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

TDescriptionWindow* TDescriptionWindow::Instance() {
  return g_window.data();
}

void TDescriptionWindow::FillIn(const std::string& text) {
  text_->setPlainText(FromCp936(text));
  close_->setFocus();
  bool scroll = TextLineCount(text) > kMaxLinesWithoutScrollBar;
  text_->setVerticalScrollBarPolicy(scroll ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

}  // namespace zoqa
