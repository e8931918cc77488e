// The company detail window: a frameless, opaque panel 447 wide, as tall as what it shows
// (the boxes end by 466 pixels, scrolling the rest; a long address makes it taller), that shows one
// company's name, its site as a link, its mobile numbers, landlines, QQ numbers and e-mail
// addresses in read-only boxes placed one below the other, and its address. Opaque, because without
// a compositor a see-through window shows black where it should be clear. The main window keeps one
// instance and refills it on every double-click; Escape or the close button closes it, which frees
// it.
#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QWidget>

#include <string>
#include <vector>

#include "harvest/report/company.h"

namespace zoqa {

class TCompanyDetailWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kPanelWidth = 447;
  // The boxes end 20 pixels above this at the latest; the panel is never lower than the
  // minimum.
  static constexpr int kPanelHeight = 466;
  static constexpr int kMinPanelHeight = 200;
  static constexpr int kFirstBoxTop = 149;

  enum TBoxKind { bkMobile, bkTel, bkQQ, bkEmail, bkCount };
  // A box's height for a list of `count` entries.
  static int BoxHeight(TBoxKind kind, std::size_t count);

  explicit TCompanyDetailWindow(QWidget* owner);

  // Fills and lays out the window from `company`; the texts are copied.
  void ShowCompany(const TCompany& company);

  // Parts, positioned relative to the panel.
  QWidget* Panel() const { return panel_; }
  QLabel* NameLabel() const { return name_; }
  QLabel* UrlLabel() const { return url_; }
  QLabel* FieldLabel(TBoxKind kind) const { return labels_[kind]; }
  QPlainTextEdit* Box(TBoxKind kind) const { return boxes_[kind]; }
  QLabel* AddressLabel() const { return addrLabel_; }
  QLabel* AddressText() const { return addrText_; }
  QToolButton* CloseButton() const { return close_; }
  // The URL that a click on the link opens (code page 936).
  const std::string& Url() const { return urlText_; }

 signals:
  void UrlClicked(const std::string& url);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QWidget* panel_;
  QToolButton* close_;
  QLabel* name_;
  QLabel* url_;
  QLabel* labels_[bkCount];
  QPlainTextEdit* boxes_[bkCount];
  QLabel* addrLabel_;
  QLabel* addrText_;
  std::string urlText_;
  QPoint dragOffset_;

  void CentreOverOwner();
  static int FontHeight(QPlainTextEdit& box, std::size_t count);
  int PlaceBoxes(const TCompany& company);
  int PlaceAddress(const std::string& address, int top);
};

}  // namespace zoqa
