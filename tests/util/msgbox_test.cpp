#include "util/msgbox.h"

#include <gtest/gtest.h>

namespace zoqa {
namespace {

class RecordingBox : public TMessageBox {
 public:
  int Show(const std::string& text, const std::string&, int kind) override {
    shown += text + ";";
    lastKind = kind;
    return answer;
  }
  std::string shown;
  int lastKind = 0;
  int answer = kMsgOk;
};

TEST(MsgBox, KindsAndAnswers) {
  RecordingBox box;
  SetMessageBox(&box);
  EXPECT_EQ(ShowMsg("a", "c", mkInformation), 0);
  EXPECT_EQ(ShowMsg("b", "c", mkError), 0);
  EXPECT_EQ(ShowMsg("q", "c", mkQuestion), kMsgOk);
  box.answer = kMsgCancel;
  EXPECT_EQ(ShowMsg("q", "c", mkQuestion), kMsgCancel);
  box.answer = 0;  // closed without an answer
  EXPECT_EQ(ShowMsg("q", "c", mkQuestion), kMsgCancel);
  EXPECT_EQ(ShowMsg("none", "c", 5), 0);
  EXPECT_EQ(ShowMsg("none", "c", 0), 0);
  EXPECT_EQ(box.shown, "a;b;q;q;q;");
  SetMessageBox(nullptr);
}

}  // namespace
}  // namespace zoqa
