#include "gui/updatewindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace zoqa {

TUpdateWindow::TUpdateWindow(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowStaysOnTopHint) {
  setObjectName("updateWindow");
  setWindowTitle(QString::fromUtf8("程序正在升级..."));
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 12, 16, 12);
  text_ = new QLabel(QString::fromUtf8("正在升级中，请稍候..."), this);
  text_->setObjectName("updateText");
  bar_ = new QProgressBar(this);
  bar_->setObjectName("updateBar");
  bar_->setRange(0, 100);
  bar_->setValue(0);
  layout->addWidget(text_);
  layout->addWidget(bar_);
  setFixedSize(kClientWidth, kClientHeight);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TUpdateWindow::SetProgress(int percent) {
  bar_->setValue(std::clamp(percent, 0, 100));
}

void TUpdateWindow::CloseForGood() {
  closable_ = true;
  close();
}

void TUpdateWindow::closeEvent(QCloseEvent* event) {
  if (closable_) {
    QDialog::closeEvent(event);
  } else {
    event->ignore();
  }
}

void TUpdateWindow::keyPressEvent(QKeyEvent* event) {
  // Escape would reject the dialog; the window refuses every way of closing it.
  if (event->key() == Qt::Key_Escape) return;
  QDialog::keyPressEvent(event);
}

void TUpdateWindow::reject() {
  if (closable_) QDialog::reject();
}

}  // namespace zoqa
