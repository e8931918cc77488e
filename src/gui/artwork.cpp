#include "gui/artwork.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace zoqa {
namespace {

// Draws at twice the size for sharp edges on high-density screens.
constexpr qreal kScale = 2.0;

QPixmap Canvas(int w, int h) {
  QPixmap pixmap(static_cast<int>(w * kScale), static_cast<int>(h * kScale));
  pixmap.setDevicePixelRatio(kScale);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

QIcon SymbolIcon(void (*draw)(QPainter&, const QColor&), int size = 16) {
  QIcon icon;
  for (auto [mode, color] : {std::pair{QIcon::Normal, QColor("#ffffff")},
                             std::pair{QIcon::Disabled, QColor("#e6e9ef")}}) {
    QPixmap pixmap = Canvas(size, size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p, color);
    icon.addPixmap(pixmap, mode);
  }
  return icon;
}

}  // namespace

QPixmap PaidBadge() {
  QPixmap pixmap = Canvas(24, 16);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor("#e5484d"));
  p.drawRoundedRect(QRectF(0.5, 1.5, 23, 13), 3, 3);
  QFont font;
  font.setPixelSize(10);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(0, 1, 24, 14), Qt::AlignCenter, QString::fromUtf8("推广"));
  return pixmap;
}

QPixmap CertifiedBadge() {
  QPixmap pixmap = Canvas(14, 13);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath v;
  v.moveTo(1, 1.5);
  v.lineTo(7, 12);
  v.lineTo(13, 1.5);
  QPen pen(QColor("#2f6fed"), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.drawPath(v);
  return pixmap;
}

QPixmap EmptyBadge() {
  return Canvas(16, 16);
}

QIcon StartIcon() {
  return SymbolIcon([](QPainter& p, const QColor& c) {
    QPainterPath play;
    play.moveTo(5.5, 3.5);
    play.lineTo(12.5, 8);
    play.lineTo(5.5, 12.5);
    play.closeSubpath();
    p.setPen(QPen(c, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(c);
    p.drawPath(play);
  });
}

QIcon StopIcon() {
  return SymbolIcon([](QPainter& p, const QColor& c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(4.5, 4.5, 7, 7), 1.2, 1.2);
  });
}

QIcon DeleteIcon() {
  return SymbolIcon(
      [](QPainter& p, const QColor&) {
        QPen pen(QColor("#8a93a3"), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(3, 4.5), QPointF(13, 4.5));
        p.drawLine(QPointF(6.5, 4.5), QPointF(6.5, 2.8));
        p.drawLine(QPointF(6.5, 2.8), QPointF(9.5, 2.8));
        p.drawLine(QPointF(9.5, 2.8), QPointF(9.5, 4.5));
        QPainterPath bin;
        bin.moveTo(4.3, 4.5);
        bin.lineTo(5, 13.5);
        bin.lineTo(11, 13.5);
        bin.lineTo(11.7, 4.5);
        p.drawPath(bin);
        p.drawLine(QPointF(8, 7), QPointF(8, 11));
      },
      18);
}

QIcon ExportIcon() {
  return SymbolIcon(
      [](QPainter& p, const QColor&) {
        QPen pen(QColor("#8a93a3"), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.drawLine(QPointF(8, 2.5), QPointF(8, 10));
        p.drawLine(QPointF(5, 7), QPointF(8, 10));
        p.drawLine(QPointF(11, 7), QPointF(8, 10));
        p.drawLine(QPointF(3, 10.5), QPointF(3, 13.5));
        p.drawLine(QPointF(3, 13.5), QPointF(13, 13.5));
        p.drawLine(QPointF(13, 13.5), QPointF(13, 10.5));
      },
      18);
}

QPixmap AppIconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  QLinearGradient bg(0, 0, 64, 64);
  bg.setColorAt(0, QColor("#3b82f6"));
  bg.setColorAt(1, QColor("#1d4ed8"));
  p.setPen(Qt::NoPen);
  p.setBrush(bg);
  p.drawRoundedRect(QRectF(2, 2, 60, 60), 14, 14);
  // A contact card.
  p.setBrush(QColor(255, 255, 255, 235));
  p.drawRoundedRect(QRectF(11, 15, 32, 24), 4, 4);
  p.setBrush(QColor("#93c5fd"));
  p.drawEllipse(QRectF(15, 20, 9, 9));
  p.drawRoundedRect(QRectF(27, 21, 12, 3), 1.5, 1.5);
  p.drawRoundedRect(QRectF(27, 27, 9, 3), 1.5, 1.5);
  p.drawRoundedRect(QRectF(15, 32, 24, 3), 1.5, 1.5);
  // A magnifier over it.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor("#fbbf24"), 5, Qt::SolidLine, Qt::RoundCap));
  p.drawEllipse(QRectF(30, 28, 18, 18));
  p.drawLine(QPointF(46, 44), QPointF(53, 51));
  return pixmap;
}

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(AppIconPixmap(size));
  return icon;
}

}  // namespace zoqa

namespace zoqa {

QPixmap CompanyPicture() {
  QPixmap pixmap = Canvas(64, 64);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor("#e8efff"));
  p.drawRoundedRect(QRectF(0, 0, 64, 64), 14, 14);
  p.setBrush(QColor("#2f6fed"));
  p.drawRoundedRect(QRectF(17, 14, 22, 38), 2, 2);
  p.setBrush(QColor("#5b8def"));
  p.drawRoundedRect(QRectF(39, 26, 10, 26), 2, 2);
  p.setBrush(QColor(255, 255, 255, 220));
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 3; ++col) {
      p.drawRect(QRectF(20.5 + col * 6, 18 + row * 7, 3.5, 4));
    }
  }
  p.drawRect(QRectF(25.5, 45, 5, 7));
  p.setBrush(QColor("#1d4ed8"));
  p.drawRoundedRect(QRectF(12, 51, 40, 3), 1.5, 1.5);
  return pixmap;
}

}  // namespace zoqa
