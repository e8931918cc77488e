// The strip "推荐工具 >>" of the main window with a button for each companion tool that has
// one. A click brings the tool forward when it runs, starts it when it is installed, and
// otherwise opens the install prompt.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <functional>
#include <map>
#include <string>

#include "service/companiontools.h"

namespace zoqa {

class TToolStrip : public QWidget {
  Q_OBJECT

 public:
  // The download URL of the first (0) or second (1) configured tool; "" until known.
  using TToolUrlSource = std::function<std::string(int which)>;

  explicit TToolStrip(TToolUrlSource toolUrls, QWidget* parent = nullptr);

  // Replaces how tools are started and the prompt opened (tests).
  void SetLaunchHooks(TLaunchHooks hooks) { hooks_ = std::move(hooks); }
  // The button of row `t`, nullptr for a row without one.
  QPushButton* Button(int t) const;
  QLabel* Caption() const { return caption_; }

  // What a click on row `t`'s button does.
  TLaunchOutcome Launch(int t);

 private:
  TToolUrlSource toolUrls_;
  TLaunchHooks hooks_;
  QLabel* caption_;
  std::map<int, QPushButton*> buttons_;
};

}  // namespace zoqa
