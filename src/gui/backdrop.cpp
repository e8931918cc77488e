#include "gui/backdrop.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>

#include "gui/artwork.h"

namespace zoqa {

TBackdrop::TBackdrop(QWidget* parent) : QWidget(parent) {
  setObjectName("backdrop");
  parent->installEventFilter(this);
  setGeometry(parent->rect());
}

bool TBackdrop::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) {
    setGeometry(parentWidget()->rect());
  }
  return QWidget::eventFilter(watched, event);
}

void TBackdrop::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient bg(0, 0, 0, height());
  bg.setColorAt(0, QColor("#f8fbff"));
  bg.setColorAt(1, QColor("#eef3fb"));
  p.setPen(QPen(QColor("#e5e8ef"), 1));
  p.setBrush(bg);
  p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);

  // Faint rows of a grid in the background.
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 6; ++i) {
    int y = height() / 2 + 70 + i * 28;
    if (y + 12 > height() - 16) break;
    p.setBrush(QColor(47, 111, 237, 14 - i * 2));
    p.drawRoundedRect(QRectF(width() * 0.18, y, width() * 0.64, 12), 6, 6);
  }

  const int icon = 96;
  QPointF at(width() / 2.0 - icon / 2.0, height() / 2.0 - icon - 30);
  p.drawPixmap(at, AppIconPixmap(icon));

  QFont title = p.font();
  title.setPixelSize(20);
  title.setBold(true);
  p.setFont(title);
  p.setPen(QColor("#1f2937"));
  QRectF line1(0, height() / 2.0 - 18, width(), 30);
  p.drawText(line1, Qt::AlignCenter, QString::fromUtf8("添加关键词，开始采集企业联系方式"));

  QFont text = p.font();
  text.setPixelSize(13);
  text.setBold(false);
  p.setFont(text);
  p.setPen(QColor("#6b7280"));
  QRectF line2(0, height() / 2.0 + 16, width(), 24);
  p.drawText(
      line2, Qt::AlignCenter,
      QString::fromUtf8("在左侧输入关键词并点击“添加任务”，或选择一个已搜索的关键词查看结果"));
}

}  // namespace zoqa
