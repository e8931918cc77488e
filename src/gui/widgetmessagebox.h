// The program's message box on the desktop: a modal box over the active window with an icon
// for the kind and, for questions, "确定" and "取消". The text is shown as plain text.
#pragma once

#include "util/msgbox.h"

namespace zoqa {

class TWidgetMessageBox : public TMessageBox {
 public:
  int Show(const std::string& text, const std::string& caption, int kind) override;
};

}  // namespace zoqa
