// The update progress window: "程序正在升级..." with a line of text and a bar from 0 to 100,
// shown while the update package downloads. It stays on top, sits in the middle of the
// screen, has no title-bar buttons and cannot be closed by the user: the update either hands
// over to the updater, which ends the program, or stops and leaves the window open.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QProgressBar>

namespace zoqa {

class TUpdateWindow : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 424;
  static constexpr int kClientHeight = 83;

  explicit TUpdateWindow(QWidget* owner);

  // The bar's position, clamped to 0..100.
  void SetProgress(int percent);
  QProgressBar* Bar() const { return bar_; }
  QLabel* Text() const { return text_; }

  // Lets the program close the window when it ends; the user never can.
  void CloseForGood();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override;

 private:
  QLabel* text_ = nullptr;
  QProgressBar* bar_ = nullptr;
  bool closable_ = false;
};

}  // namespace zoqa
