#include "gui/companydetailwindow.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

#include "gui/artwork.h"
#include "gui/guitext.h"
#include "platform/openurl.h"

namespace zoqa {
namespace {

constexpr int kMaxBox = 80;
constexpr int kBoxLeft = 84;
constexpr int kBoxWidth = 319;
constexpr int kLabelLeft = 28;
constexpr int kGap = 10;

QString Lines(const std::vector<std::string>& list) {
  QStringList lines;
  for (const std::string& entry : list) lines << FromCp936(entry);
  return lines.join('\n');
}

}  // namespace

int TCompanyDetailWindow::BoxHeight(TBoxKind kind, std::size_t count) {
  if (count >= 6) return kMaxBox;
  int line = kind == bkQQ ? 20 : 18;  // landlines are written like mobile numbers
  int height = line * static_cast<int>(count);
  if (kind != bkQQ && count == 1) height = 20;
  return std::min(height, kMaxBox);
}

TCompanyDetailWindow::TCompanyDetailWindow(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint), panel_(new QWidget(this)) {
  setObjectName("detailWindow");
  setWindowTitle(QString::fromUtf8("公司详情"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kPanelWidth, kPanelHeight);

  panel_->setObjectName("detailPanel");
  panel_->setAttribute(Qt::WA_StyledBackground);
  panel_->setGeometry(0, 0, kPanelWidth, kPanelHeight);

  close_ = new QToolButton(panel_);
  close_->setObjectName("detailClose");
  close_->setText(QString::fromUtf8("×"));
  close_->setGeometry(395, 5, 24, 24);
  close_->setCursor(Qt::PointingHandCursor);
  connect(close_, &QToolButton::clicked, this, &QWidget::close);

  auto* picture = new QLabel(panel_);
  picture->setPixmap(CompanyPicture());
  picture->setGeometry(13, 40, 64, 64);

  name_ = new QLabel(panel_);
  name_->setObjectName("detailName");
  name_->setTextFormat(Qt::PlainText);
  name_->setGeometry(kBoxLeft, 50, 335, 22);
  url_ = new QLabel(panel_);
  url_->setObjectName("detailUrl");
  url_->setTextFormat(Qt::PlainText);
  url_->setCursor(Qt::PointingHandCursor);
  url_->setGeometry(kBoxLeft, 80, 335, 20);
  url_->installEventFilter(this);
  connect(this, &TCompanyDetailWindow::UrlClicked, this,
          [](const std::string& url) { OpenUrl(url); });

  auto* caption = new QLabel(QString::fromUtf8("联系方式："), panel_);
  caption->setObjectName("detailCaption");
  caption->move(3, 119);

  const char* captions[] = {"手机：", "电话：", "QQ：", "邮箱："};
  for (int k = 0; k < bkCount; ++k) {
    labels_[k] = new QLabel(QString::fromUtf8(captions[k]), panel_);
    labels_[k]->setProperty("role", "field");
    labels_[k]->setGeometry(kLabelLeft, kFirstBoxTop, kBoxLeft - kLabelLeft, 20);
    labels_[k]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    boxes_[k] = new QPlainTextEdit(panel_);
    boxes_[k]->setReadOnly(true);
    boxes_[k]->setLineWrapMode(QPlainTextEdit::NoWrap);
    boxes_[k]->setFrameShape(QFrame::NoFrame);
    boxes_[k]->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    boxes_[k]->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The style sheet gives the boxes and the address the same type; a box whose lines need
    // more than the pixels a line is given grows to them (FontHeight).
    boxes_[k]->document()->setDocumentMargin(0);
    boxes_[k]->setContentsMargins(0, 0, 0, 0);
    boxes_[k]->document()->setIndentWidth(0);
    boxes_[k]->setGeometry(kBoxLeft, kFirstBoxTop, kBoxWidth, 20);
  }
  boxes_[bkMobile]->setObjectName("detailMobiles");
  boxes_[bkTel]->setObjectName("detailTels");
  boxes_[bkQQ]->setObjectName("detailQQs");
  boxes_[bkEmail]->setObjectName("detailEmails");

  addrLabel_ = new QLabel(QString::fromUtf8("地址："), panel_);
  addrLabel_->setProperty("role", "field");
  addrText_ = new QLabel(panel_);
  addrText_->setObjectName("detailAddress");
  addrText_->setTextFormat(Qt::PlainText);
  addrText_->setWordWrap(true);
  addrText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  addrText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  addrLabel_->hide();
  addrText_->hide();
  CentreOverOwner();
}

void TCompanyDetailWindow::CentreOverOwner() {
  if (QWidget* owner = parentWidget()) move(owner->frameGeometry().center() - rect().center());
}

void TCompanyDetailWindow::ShowCompany(const TCompany& company) {
  name_->setText(FromCp936(company.GetName()));
  urlText_ = company.WebUrl;
  url_->setText(FromCp936(company.WebUrl));
  int bottom = PlaceAddress(company.Addr, PlaceBoxes(company));
  // The panel ends below what it shows: no blank half for a company with a line or two, and
  // taller rather than hide any of a long address.
  int height = std::max(kMinPanelHeight, bottom + 20);
  setFixedSize(kPanelWidth, height);
  panel_->setGeometry(0, 0, kPanelWidth, height);
  // A window the user has not seen yet opens at the middle of the main window; an open one
  // stays where it is.
  if (!isVisible()) CentreOverOwner();
}

// The height `count` lines of the box's type need, up to the largest box: a box is never so
// low that its few entries must scroll.
int TCompanyDetailWindow::FontHeight(QPlainTextEdit& box, std::size_t count) {
  box.ensurePolished();
  double lines = QFontMetricsF(box.font()).lineSpacing() * static_cast<double>(count);
  return std::min(kMaxBox, static_cast<int>(std::ceil(lines)) + 2);
}

// Places the boxes of the non-empty lists one below the other; the top of what follows.
int TCompanyDetailWindow::PlaceBoxes(const TCompany& company) {
  double y = kFirstBoxTop;
  const std::vector<std::string>* lists[] = {&company.Mobiles, &company.Tels, &company.QQs,
                                             &company.Emails};
  for (int k = 0; k < bkCount; ++k) {
    QLabel* label = labels_[k];
    QPlainTextEdit* box = boxes_[k];
    const auto& list = *lists[k];
    if (list.empty()) {
      label->hide();
      box->hide();
      continue;
    }
    label->show();
    box->show();
    int top = static_cast<int>(y);
    box->setPlainText(Lines(list));
    int height =
        std::max(BoxHeight(static_cast<TBoxKind>(k), list.size()), FontHeight(*box, list.size()));
    // The last box ends 20 pixels above the panel's bottom edge at the latest, scrolling the
    // rest, but keeps at least one line.
    if (k == bkEmail && kPanelHeight < top + height + 20) {
      height = std::max(20, kPanelHeight - 20 - top);
      box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    } else {
      box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    label->move(kLabelLeft, top);
    box->setGeometry(kBoxLeft, top, kBoxWidth, height);
    box->verticalScrollBar()->setValue(0);
    y = std::round(top + height + kGap);
  }
  return static_cast<int>(y);
}

// The address under the boxes, wrapped to their width; the bottom of what is shown.
int TCompanyDetailWindow::PlaceAddress(const std::string& address, int top) {
  QString text = FromCp936(address).trimmed();
  addrLabel_->setVisible(!text.isEmpty());
  addrText_->setVisible(!text.isEmpty());
  if (text.isEmpty()) return top - kGap;
  addrText_->setText(text);
  int height = std::max(20, addrText_->heightForWidth(kBoxWidth));
  addrLabel_->setGeometry(kLabelLeft, top, kBoxLeft - kLabelLeft, 20);
  addrText_->setGeometry(kBoxLeft, top, kBoxWidth, height);
  return top + height;
}

void TCompanyDetailWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool TCompanyDetailWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == url_ && event->type() == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton) emit UrlClicked(urlText_);
  }
  return QWidget::eventFilter(watched, event);
}

// The panel has no title bar: dragging it anywhere moves the window.
void TCompanyDetailWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
  }
  QWidget::mousePressEvent(event);
}

void TCompanyDetailWindow::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) move(event->globalPosition().toPoint() - dragOffset_);
  QWidget::mouseMoveEvent(event);
}

}  // namespace zoqa
