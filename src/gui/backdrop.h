// The picture that lies over the result grid from start-up until the user first picks or adds
// a keyword: a quiet illustration that says what the empty area is for.
#pragma once

#include <QWidget>

namespace zoqa {

class TBackdrop : public QWidget {
  Q_OBJECT

 public:
  explicit TBackdrop(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace zoqa
