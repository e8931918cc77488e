#include "gui/hintpopup.h"

#include <QHBoxLayout>

namespace zoqa {
namespace {

constexpr int kHeight = 24;

}  // namespace

THintPopup::THintPopup(QWidget* parent)
    : QFrame(parent, Qt::ToolTip | Qt::FramelessWindowHint), label_(new QLabel(this)) {
  setObjectName("hintPopup");
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  label_->setAlignment(Qt::AlignCenter);
  layout->addWidget(label_);
}

int THintPopup::WidthFor(const QString& text) {
  return 12 * static_cast<int>(text.size()) + 15;
}

void THintPopup::ShowAt(QWidget* anchor, const QString& text) {
  label_->setText(text);
  setFixedSize(WidthFor(text), kHeight);
  QPoint below = anchor->mapToGlobal(QPoint(0, anchor->height() + 2));
  move(below);
  show();
  raise();
}

}  // namespace zoqa
