// The system's one message box. The desktop program installs a box made of widgets; without
// one, messages go to the terminal.
#pragma once

#include <string>

namespace zoqa {

enum TMsgKind { mkInformation = 1, mkWarning = 2, mkError = 3, mkQuestion = 4 };

// Answers of a question box.
constexpr int kMsgOk = 1;
constexpr int kMsgCancel = 2;

class TMessageBox {
 public:
  virtual ~TMessageBox() = default;
  // Shows `text` (code page 936) for kinds 1 to 4; returns kMsgOk or kMsgCancel for a
  // question (kMsgCancel also when the box is closed without an answer), 0 otherwise.
  virtual int Show(const std::string& text, const std::string& caption, int kind) = 0;
};

// Writes messages to stderr; a question is answered on stdin when it is a terminal and is
// cancelled otherwise.
class TTerminalMessageBox : public TMessageBox {
 public:
  int Show(const std::string& text, const std::string& caption, int kind) override;
};

// Installs the box ShowMsg uses (not owned); nullptr goes back to the terminal box.
void SetMessageBox(TMessageBox* box);

// Kinds 1 to 3 show the text and give 0; kind 4 gives the question's answer; any other
// kind shows nothing and gives 0.
int ShowMsg(const std::string& text, const std::string& caption, int kind);

}  // namespace zoqa
