#include "gui/proxystatuslabel.h"

#include "harvest/net/proxypool.h"

namespace zoqa {
namespace {

constexpr int kRefreshMs = 1000;

}  // namespace

TProxyStatusLabel::TProxyStatusLabel(QWidget* parent) : QLabel(parent) {
  setObjectName("proxyStatusLabel");
  connect(&timer_, &QTimer::timeout, this, &TProxyStatusLabel::Refresh);
  timer_.start(kRefreshMs);
  Refresh();
}

void TProxyStatusLabel::Refresh() {
  std::shared_ptr<TProxyPool> pool = ProxyPool();
  setVisible(pool != nullptr);
  if (!pool) return;
  setText(QString::fromUtf8("代理 %1/%2 可用").arg(pool->HealthyCount()).arg(pool->Size()));
}

}  // namespace zoqa
