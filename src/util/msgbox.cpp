#include "util/msgbox.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <iostream>

#include "util/codepage.h"

namespace zoqa {
namespace {

std::atomic<TMessageBox*> g_box{nullptr};

const char* KindLabel(int kind) {
  switch (kind) {
    case mkWarning:
      return "warning";
    case mkError:
      return "error";
    case mkQuestion:
      return "question";
    default:
      return "info";
  }
}

}  // namespace

int TTerminalMessageBox::Show(const std::string& text, const std::string& caption, int kind) {
  std::fprintf(stderr, "[%s] %s: %s\n", KindLabel(kind), Cp936ToUtf8(caption).c_str(),
               Cp936ToUtf8(text).c_str());
  if (kind != mkQuestion) return 0;
  if (!isatty(STDIN_FILENO)) return kMsgCancel;
  std::fputs("OK? [y/N] ", stderr);
  std::string answer;
  std::getline(std::cin, answer);
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y') ? kMsgOk : kMsgCancel;
}

void SetMessageBox(TMessageBox* box) {
  g_box.store(box);
}

int ShowMsg(const std::string& text, const std::string& caption, int kind) {
  if (kind < mkInformation || kind > mkQuestion) return 0;
  static TTerminalMessageBox terminal;
  TMessageBox* box = g_box.load();
  int answer = (box ? box : &terminal)->Show(text, caption, kind);
  if (kind != mkQuestion) return 0;
  return answer == kMsgOk ? kMsgOk : kMsgCancel;
}

}  // namespace zoqa
