// The notice window's HTML view. It loads nothing by itself: an image comes from a data:
// address, or from an http(s) address through the service client (its size and time limits,
// the protocols the service settings allow), fetched in the background and shown once it has
// arrived. Every other resource (local files, style sheets, other schemes) stays out, so a
// page cannot make the program read local files.
#pragma once

#include <QHash>
#include <QSet>
#include <QTextBrowser>
#include <QUrl>

#include <memory>

namespace zoqa {

class TMainThreadPort;
struct TGetResult;

class TNoticeView : public QTextBrowser {
  Q_OBJECT

 public:
  // Images fetched for one page at most; later ones stay empty.
  static constexpr int kMaxImages = 32;

  explicit TNoticeView(QWidget* parent);
  ~TNoticeView() override;

  // Shows `html`, its relative addresses taken against `base`; images of an earlier page that
  // are still on their way are dropped.
  void ShowHtml(const QString& html, const QUrl& base);

  QVariant loadResource(int type, const QUrl& name) override;

 private:
  void Render();
  void Fetch(const QUrl& url);
  void ImageArrived(int page, const QUrl& url, const TGetResult& result);

  std::shared_ptr<TMainThreadPort> port_;
  QString html_;
  QUrl base_;
  QHash<QUrl, QByteArray> images_;  // fetched images of this page (empty: the fetch failed)
  QSet<QUrl> pending_;              // fetches on their way
  int page_ = 0;                    // counts the pages shown
};

// The bytes a data: address carries (base64 or percent-encoded); empty when it is malformed.
QByteArray DataUrlBytes(const QUrl& url);

}  // namespace zoqa
