// The loading indicator over the result grid: a half-transparent panel with a spinning ring
// and the text "正在加载数据，请稍候...". It covers its parent and follows its size.
#pragma once

#include <QTimer>
#include <QWidget>

namespace zoqa {

class TLoadingOverlay : public QWidget {
  Q_OBJECT

 public:
  explicit TLoadingOverlay(QWidget* parent);

  // Shows the panel with the ring turning, or hides it and stops the ring.
  void SetLoading(bool on);
  bool Spinning() const { return timer_.isActive(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTimer timer_;
  int angle_ = 0;
};

}  // namespace zoqa
