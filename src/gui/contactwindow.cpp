#include "gui/contactwindow.h"

#include <QMouseEvent>
#include <QPointer>

#include "gui/guitext.h"
#include "gui/servicewindows.h"
#include "platform/mainthreadport.h"
#include "service/servicepagefetch.h"

namespace zoqa {
namespace {

QPointer<TContactWindow> g_window;

constexpr int kLineLeft = 20;
constexpr int kLineHeight = 22;

const char kStyle[] = R"css(
#contactPanel { background: #ffffff; border: 1px solid #e5e8ef; border-radius: 6px; }
#contactPanel QLabel { color: #1f2937; }
#contactPanel QLabel#contactMessenger { color: #2f6fed; text-decoration: underline; }
)css";

}  // namespace

TContactWindow::TContactWindow()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      port_(TMainThreadPort::Create()) {
  setObjectName("contactWindow");
  setWindowTitle(QString::fromUtf8("联系我们"));
  setAttribute(Qt::WA_DeleteOnClose);
  setStyleSheet(kStyle);
  setFixedSize(kWidth, kHeight);

  panel_ = new QWidget(this);
  panel_->setObjectName("contactPanel");
  panel_->setAttribute(Qt::WA_StyledBackground);
  panel_->setGeometry(10, 10, kWidth - 20, 122);
  company_ = NewLine("公司名：", 12);
  contact_ = NewLine("正在加载信息，请稍候...", 38);
  phone_ = NewLine("联系电话：", 64);
  messenger_ = NewLine("QQ:", 90);
  messenger_->setObjectName("contactMessenger");
  messenger_->setCursor(Qt::PointingHandCursor);
  messenger_->installEventFilter(this);
  company_->hide();
  phone_->hide();
  messenger_->hide();

  close_ = new QPushButton(QString::fromUtf8("关  闭"), this);
  close_->setObjectName("contactClose");
  close_->setDefault(true);
  close_->setGeometry((kWidth - 90) / 2, kHeight - 46, 90, 30);
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
  connect(this, &QDialog::finished, this, [this] {
    if (g_window == this) g_window = nullptr;
  });
}

TContactWindow::~TContactWindow() {
  port_->Close();
}

QLabel* TContactWindow::NewLine(const char* text, int top) {
  auto* line = new QLabel(QString::fromUtf8(text), panel_);
  line->setTextFormat(Qt::PlainText);
  line->setGeometry(kLineLeft, top, panel_->width() - 2 * kLineLeft, kLineHeight);
  return line;
}

TContactWindow* TContactWindow::Open(const std::string& url) {
  if (g_window == nullptr) g_window = new TContactWindow;
  TContactWindow* window = g_window;
  TServicePageFetch::Start(url, window->port_,
                           [window](const std::string& reply) { window->FillIn(reply); });
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

TContactWindow* TContactWindow::Instance() {
  return g_window.data();
}

void TContactWindow::FillIn(const std::string& reply) {
  TContactLines lines = ParseContactReply(reply);
  if (!lines.Filled) return;
  if (lines.ShowCompany) {
    company_->setText(FromCp936(lines.Company));
    company_->show();
  }
  contact_->setText(FromCp936(lines.Contact));
  phone_->setText(FromCp936(lines.Phone));
  contact_->show();
  phone_->show();
  if (lines.ShowMessenger) {
    messenger_->setText(FromCp936(lines.Messenger));
    messengerNumber_ = lines.MessengerNumber;
    messenger_->show();
  }
}

bool TContactWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == messenger_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && !messengerNumber_.empty()) {
    OpenServiceUrl(MessengerUrl(messengerNumber_));
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace zoqa
