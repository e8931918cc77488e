// The product description window "软件介绍" (482 by 258): a read-only text that the service
// supplies and a close button that is both the default and the cancel button. There is at
// most one; opening it again reuses it and fetches the text again.
#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>

#include <memory>
#include <string>

namespace zoqa {

class TMainThreadPort;

class TDescriptionWindow : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kWidth = 482;
  static constexpr int kHeight = 258;
  // A text of more lines than this gets a vertical scroll bar.
  static constexpr int kMaxLinesWithoutScrollBar = 15;

  // Creates the window when none is open, fetches `url` into it, shows it and brings it to
  // the front.
  static TDescriptionWindow* Open(const std::string& url);
  // The open window, or nullptr.
  static TDescriptionWindow* Instance();

  // The reply (code page 936) arrived: shown, the focus on the close button.
  void FillIn(const std::string& text);

  QPlainTextEdit* Text() const { return text_; }
  QPushButton* CloseButton() const { return close_; }

 private:
  TDescriptionWindow();
  ~TDescriptionWindow() override;

  QPlainTextEdit* text_;
  QPushButton* close_;
  std::shared_ptr<TMainThreadPort> port_;
};

}  // namespace zoqa
