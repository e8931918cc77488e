// The contact window "联系我们" (361 by 190): the distributor's company, contact person,
// phone and messenger number as the service supplies them; a click on the messenger line
// opens a chat in the browser. There is at most one; opening it again reuses it and fetches
// the data again.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include <memory>
#include <string>

#include "service/servicepages.h"

namespace zoqa {

class TMainThreadPort;

class TContactWindow : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kWidth = 361;
  static constexpr int kHeight = 190;

  // Creates the window when none is open, fetches `url` into it, shows it and brings it to
  // the front.
  static TContactWindow* Open(const std::string& url);
  static TContactWindow* Instance();

  // The reply (code page 936) arrived; fewer than five items change nothing.
  void FillIn(const std::string& reply);

  QLabel* CompanyLine() const { return company_; }
  QLabel* ContactLine() const { return contact_; }
  QLabel* PhoneLine() const { return phone_; }
  QLabel* MessengerLine() const { return messenger_; }
  QPushButton* CloseButton() const { return close_; }
  const std::string& MessengerNumber() const { return messengerNumber_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TContactWindow();
  ~TContactWindow() override;
  QLabel* NewLine(const char* text, int top);

  QWidget* panel_;
  QLabel* company_;
  QLabel* contact_;
  QLabel* phone_;
  QLabel* messenger_;
  QPushButton* close_;
  std::string messengerNumber_;
  std::shared_ptr<TMainThreadPort> port_;
};

}  // namespace zoqa
