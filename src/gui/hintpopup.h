// The small hint pop-up of the keyword items' delete and export buttons: a dark label below
// the button, 12 pixels per character of the hint plus 15 wide.
#pragma once

#include <QFrame>
#include <QLabel>

namespace zoqa {

class THintPopup : public QFrame {
  Q_OBJECT

 public:
  explicit THintPopup(QWidget* parent);

  // Width for a hint of `text`.
  static int WidthFor(const QString& text);
  // Opens below `anchor` with `text`.
  void ShowAt(QWidget* anchor, const QString& text);
  QString Text() const { return label_->text(); }

 private:
  QLabel* label_;
};

}  // namespace zoqa
