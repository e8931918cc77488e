#include "gui/noticeview.h"

#include <QTextDocument>

#include "platform/mainthreadport.h"
#include "service/servicepagefetch.h"

namespace zoqa {

QByteArray DataUrlBytes(const QUrl& url) {
  QByteArray text = url.toEncoded();
  qsizetype comma = text.indexOf(',');
  if (!text.startsWith("data:") || comma < 0) return {};
  QByteArray header = text.mid(5, comma - 5);
  QByteArray payload = QByteArray::fromPercentEncoding(text.mid(comma + 1));
  return header.endsWith(";base64") ? QByteArray::fromBase64(payload) : payload;
}

TNoticeView::TNoticeView(QWidget* parent)
    : QTextBrowser(parent), port_(TMainThreadPort::Create()) {}

TNoticeView::~TNoticeView() {
  port_->Close();  // images still on their way are dropped
}

void TNoticeView::ShowHtml(const QString& html, const QUrl& base) {
  ++page_;
  images_.clear();
  pending_.clear();
  html_ = html;
  base_ = base;
  Render();
}

void TNoticeView::Render() {
  document()->setBaseUrl(base_);
  setHtml(html_);
}

QVariant TNoticeView::loadResource(int type, const QUrl& name) {
  // The document reads a local file itself when this answers with a null value; an empty
  // value stops that.
  const QVariant nothing = QVariant(QByteArray());
  if (type != QTextDocument::ImageResource) return nothing;
  QUrl url = base_.resolved(name);
  if (url.scheme() == QLatin1String("data")) {
    QByteArray bytes = DataUrlBytes(url);
    return bytes.isEmpty() ? nothing : QVariant(bytes);
  }
  if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) {
    return nothing;
  }
  auto found = images_.constFind(url);
  if (found != images_.constEnd()) return found->isEmpty() ? nothing : QVariant(*found);
  Fetch(url);
  // Null, so that it is not kept and is asked for again once the image has arrived; the
  // document finds no local file behind a web address.
  return {};
}

void TNoticeView::Fetch(const QUrl& url) {
  if (pending_.contains(url) || pending_.size() + images_.size() >= kMaxImages) return;
  pending_.insert(url);
  TServicePageFetch::StartRaw(
      url.toString(QUrl::FullyEncoded).toStdString(), port_,
      [this, page = page_, url](const TGetResult& result) { ImageArrived(page, url, result); });
}

void TNoticeView::ImageArrived(int page, const QUrl& url, const TGetResult& result) {
  if (page != page_) return;
  pending_.remove(url);
  images_.insert(url, result.Ok ? QByteArray::fromStdString(result.Body) : QByteArray());
  // The page is laid out again, now with the image in place.
  if (result.Ok) Render();
}

}  // namespace zoqa
