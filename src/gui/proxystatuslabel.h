// The status bar's note on the proxies pool: how many of its proxies are healthy, refreshed
// every second. Hidden while there is no pool.
#pragma once

#include <QLabel>
#include <QTimer>

namespace zoqa {

class TProxyStatusLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TProxyStatusLabel(QWidget* parent = nullptr);

  // Shows the pool's state now.
  void Refresh();

 private:
  QTimer timer_;
};

}  // namespace zoqa
