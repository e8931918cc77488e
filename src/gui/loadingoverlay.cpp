#include "gui/loadingoverlay.h"

#include <QEvent>
#include <QPainter>

namespace zoqa {
namespace {

constexpr int kTickMs = 16;
constexpr int kStepDegrees = 6;
constexpr int kRing = 36;

}  // namespace

TLoadingOverlay::TLoadingOverlay(QWidget* parent) : QWidget(parent) {
  setObjectName("loadingOverlay");
  setAttribute(Qt::WA_NoSystemBackground);
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, [this] {
    angle_ = (angle_ + kStepDegrees) % 360;
    update();
  });
  parent->installEventFilter(this);
  setGeometry(parent->rect());
  hide();
}

void TLoadingOverlay::SetLoading(bool on) {
  setVisible(on);
  if (on) {
    raise();
    timer_.start();
  } else {
    timer_.stop();
  }
}

bool TLoadingOverlay::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) {
    setGeometry(parentWidget()->rect());
  }
  return QWidget::eventFilter(watched, event);
}

void TLoadingOverlay::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), QColor(255, 255, 255, 128));  // opacity 0.5

  QRectF ring(width() / 2.0 - kRing / 2.0, height() / 2.0 - kRing, kRing, kRing);
  p.setPen(QPen(QColor("#dbe3f0"), 4));
  p.drawEllipse(ring);
  QPen arc(QColor("#2f6fed"), 4, Qt::SolidLine, Qt::RoundCap);
  p.setPen(arc);
  p.drawArc(ring, -angle_ * 16, 100 * 16);

  QFont font = p.font();
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor("#1f2937"));
  QRectF text(0, ring.bottom() + 12, width(), 24);
  p.drawText(text, Qt::AlignHCenter | Qt::AlignTop, QString::fromUtf8("正在加载数据，请稍候..."));
}

}  // namespace zoqa
