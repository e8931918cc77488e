#include "gui/noticewindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QStringDecoder>

#include "gui/guitext.h"
#include "gui/noticeview.h"
#include "gui/servicewindows.h"
#include "platform/mainthreadport.h"
#include "service/servicepagefetch.h"
#include "util/codepage.h"

namespace zoqa {
namespace {

// The scheme that marks a new-window link in the view; the path is the link's index.
const QString kNewWindowScheme = QStringLiteral("zoqa-newwindow");

QPointer<TNoticeWindow> g_latest;

const char kStyle[] = R"css(
TNoticeWindow { background: #9cc3f5; }
#noticeStrip { background: #2f6fed; }
#noticeTitle { color: #ffffff; font-weight: bold; font-size: 14px; }
QToolButton#noticeClose { border: none; background: transparent; color: #ffffff;
                          font-size: 18px; }
QToolButton#noticeClose:hover { background: #e5484d; }
QTextBrowser#noticeBrowser { background: #ffffff; border: none; }
)css";

std::string Charset(const std::string& contentType) {
  static const QRegularExpression pattern(
      QStringLiteral(R"re(charset\s*=\s*["']?([A-Za-z0-9_.:-]+))re"),
      QRegularExpression::CaseInsensitiveOption);
  QRegularExpressionMatch match = pattern.match(QString::fromLatin1(contentType));
  return match.hasMatch() ? match.captured(1).toLower().toStdString() : std::string();
}

bool IsGbFamily(const std::string& charset) {
  return charset == "gb2312" || charset == "gbk" || charset == "gb18030" || charset == "cp936" ||
         charset == "x-gbk" || charset == "euc-cn";
}

// Text of unknown or unusable encoding: UTF-8 when it is valid UTF-8, else code page 936.
QString GuessText(const std::string& body) {
  if (IsValidUtf8(body)) return QString::fromUtf8(body.data(), static_cast<qsizetype>(body.size()));
  return FromCp936(body);
}

bool IsWebScheme(const QUrl& url) {
  return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

}  // namespace

QString DecodePage(const std::string& body, const std::string& contentType) {
  std::string charset = Charset(contentType);
  // A page without a charset in its header may declare one in a meta element.
  if (charset.empty()) charset = Charset(body.substr(0, 2048));
  if (IsGbFamily(charset)) return FromCp936(body);
  if (charset.empty() || charset == "utf-8" || charset == "utf8") return GuessText(body);
  QStringDecoder decoder(charset.c_str());
  if (!decoder.isValid()) return GuessText(body);
  QString text = decoder.decode(QByteArrayView(body.data(), static_cast<qsizetype>(body.size())));
  return decoder.hasError() ? GuessText(body) : text;
}

TNoticeWindow::TNoticeWindow()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      port_(TMainThreadPort::Create()) {
  setObjectName("noticeWindow");
  setWindowTitle(QString::fromUtf8("温馨提示"));
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_StyledBackground);
  setStyleSheet(kStyle);
  setFixedSize(kWidth, kHeight);

  auto* strip = new QWidget(this);
  strip->setObjectName("noticeStrip");
  strip->setAttribute(Qt::WA_StyledBackground);
  strip->setGeometry(0, 0, kWidth, kStripHeight);
  auto* title = new QLabel(QString::fromUtf8("温馨提示"), strip);
  title->setObjectName("noticeTitle");
  title->setGeometry(12, 0, 200, kStripHeight);
  close_ = new QToolButton(strip);
  close_->setObjectName("noticeClose");
  close_->setText(QString::fromUtf8("×"));
  close_->setCursor(Qt::PointingHandCursor);
  close_->setGeometry(kWidth - kStripHeight, 0, kStripHeight, kStripHeight);
  connect(close_, &QToolButton::clicked, this, &QWidget::close);

  browser_ = new TNoticeView(this);
  browser_->setObjectName("noticeBrowser");
  browser_->setFrameShape(QFrame::NoFrame);
  browser_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  browser_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  browser_->setContextMenuPolicy(Qt::NoContextMenu);
  browser_->setOpenLinks(false);
  browser_->setOpenExternalLinks(false);
  browser_->setGeometry(1, kStripHeight + 1, kWidth - 2, kHeight - kStripHeight - 1);
  connect(browser_, &QTextBrowser::anchorClicked, this, &TNoticeWindow::FollowLink);

  move(kOffScreenLeft, 0);
  g_latest = this;
}

TNoticeWindow::~TNoticeWindow() {
  port_->Close();  // a page still on its way is dropped
}

TNoticeWindow* TNoticeWindow::Open(const std::string& url) {
  auto* window = new TNoticeWindow;
  window->show();
  window->Navigate(QUrl(FromCp936(url)));
  return window;
}

TNoticeWindow* TNoticeWindow::Latest() {
  return g_latest.data();
}

void TNoticeWindow::Navigate(const QUrl& url) {
  TServicePageFetch::StartRaw(url.toString(QUrl::FullyEncoded).toStdString(), port_,
                              [this, url](const TGetResult& result) { ShowPage(url, result); });
}

void TNoticeWindow::ShowPage(const QUrl& url, const TGetResult& result) {
  if (!result.Ok) {
    NavigationError();
    return;
  }
  page_ = url;
  newWindowLinks_.clear();
  browser_->ShowHtml(MarkNewWindowLinks(DecodePage(result.Body, result.ContentType)), url);
  if (!placed_) PlaceInCorner();
}

void TNoticeWindow::FollowLink(const QUrl& link) {
  if (link.scheme() == kNewWindowScheme) {
    bool ok = false;
    std::size_t index = link.path().toULongLong(&ok);
    if (!ok || index >= newWindowLinks_.size()) return;
    QUrl target = page_.resolved(QUrl(newWindowLinks_[index]));
    // Only web addresses go to the browser: another scheme could start any handler.
    if (IsWebScheme(target)) OpenServiceUrl(ToCp936(target.toString(QUrl::FullyEncoded)));
    return;
  }
  if (link.isRelative() && link.path().isEmpty() && link.hasFragment()) {
    browser_->scrollToAnchor(link.fragment());
    return;
  }
  QUrl target = page_.resolved(link);
  if (IsWebScheme(target)) Navigate(target);
}

void TNoticeWindow::PlaceInCorner() {
  placed_ = true;
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  // The work area leaves out the desktop's panels, so the window sits just above them.
  QRect area = screen->availableGeometry();
  move(area.right() + 1 - width(), area.bottom() + 1 - height());
}

void TNoticeWindow::NavigationError() {
  hide();
  close();
}

QString TNoticeWindow::MarkNewWindowLinks(const QString& html) {
  static const QRegularExpression anchor(QStringLiteral(R"(<a\s[^>]*>)"),
                                         QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression target(QStringLiteral(R"(\starget\s*=)"),
                                         QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression href(
      QStringLiteral(R"re((\shref\s*=\s*)(?:"([^"]*)"|'([^']*)'|([^\s>]+)))re"),
      QRegularExpression::CaseInsensitiveOption);
  QString out;
  qsizetype last = 0;
  auto anchors = anchor.globalMatch(html);
  while (anchors.hasNext()) {
    QRegularExpressionMatch tag = anchors.next();
    QString text = tag.captured(0);
    QRegularExpressionMatch link = href.match(text);
    if (!target.match(text).hasMatch() || !link.hasMatch()) continue;
    QString value = link.captured(2) + link.captured(3) + link.captured(4);
    value.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    QString marked = link.captured(1) + "\"" + kNewWindowScheme + ":" +
                     QString::number(newWindowLinks_.size()) + "\"";
    newWindowLinks_.push_back(value);
    text.replace(link.capturedStart(0), link.capturedLength(0), marked);
    out += html.mid(last, tag.capturedStart(0) - last) + text;
    last = tag.capturedEnd(0);
  }
  out += html.mid(last);
  return out;
}

}  // namespace zoqa
