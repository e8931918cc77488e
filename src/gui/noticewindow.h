// The service notice: a borderless pop-up (402 by 255) with the title strip "温馨提示" and
// an HTML view of the service's notice page below it. It stays on top without taking the
// focus, waits off the screen until the first page has loaded and then sits in the
// bottom-right corner of the work area. Links with a target (new-window links) open in the
// user's browser when they are http(s) addresses; other links load inside. A page that
// cannot be loaded closes the window.
#pragma once

#include <QPointer>
#include <QToolButton>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace zoqa {

class TMainThreadPort;
class TNoticeView;
struct TGetResult;

class TNoticeWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 402;
  static constexpr int kHeight = 255;
  static constexpr int kStripHeight = 36;
  static constexpr int kOffScreenLeft = -1000;

  TNoticeWindow();
  ~TNoticeWindow() override;

  // Creates a window, shows it off the screen and loads `url` (code page 936 text).
  static TNoticeWindow* Open(const std::string& url);
  // The window opened last, while it is open.
  static TNoticeWindow* Latest();

  void Navigate(const QUrl& url);
  // A loaded page: shown in the view (the window moves into its corner the first time).
  void ShowPage(const QUrl& url, const TGetResult& result);
  // A link of the page was clicked (the anchor as the view reports it).
  void FollowLink(const QUrl& link);

  bool Placed() const { return placed_; }
  TNoticeView* Browser() const { return browser_; }
  QToolButton* CloseButton() const { return close_; }
  const QUrl& PageUrl() const { return page_; }

 private:
  void PlaceInCorner();
  void NavigationError();
  // Rewrites the anchors that ask for a new window so that a click is recognisable.
  QString MarkNewWindowLinks(const QString& html);

  TNoticeView* browser_;
  QToolButton* close_;
  std::shared_ptr<TMainThreadPort> port_;
  QUrl page_;
  std::vector<QString> newWindowLinks_;
  bool placed_ = false;
};

// The HTML of a page decoded for the view: by the charset of the Content-Type header, else
// by the page's own declaration (UTF-8 when it has none); bytes the declared or assumed
// encoding cannot take are read as UTF-8 when valid, else as code page 936.
QString DecodePage(const std::string& body, const std::string& contentType);

}  // namespace zoqa
