#include "service/replyitems.h"

#include <gtest/gtest.h>

#include "util/codepage.h"

namespace zoqa {
namespace {

using Items = std::vector<std::string>;

TEST(ReplyItems, SplitsAtTheSeparatorAndAtBlanks) {
  EXPECT_EQ(SplitReplyItems("a|b|c", '|'), (Items{"a", "b", "c"}));
  // Empty items between separators stay; a separator at the end gives a last empty item.
  EXPECT_EQ(SplitReplyItems("a||c|", '|'), (Items{"a", "", "c", ""}));
  // A run of spaces or control characters also ends an item (so a name with a space splits),
  // and blanks around separators are skipped.
  EXPECT_EQ(SplitReplyItems("  Ltd Co | x\r\n", '|'), (Items{"Ltd", "Co", "x"}));
  EXPECT_EQ(SplitReplyItems("a\tb", '`'), (Items{"a", "b"}));
  EXPECT_TRUE(SplitReplyItems("", '|').empty());
  EXPECT_TRUE(SplitReplyItems(" \r\n ", '|').empty());
}

TEST(ReplyItems, QuotedItemsKeepTheirBlanksAndSeparators) {
  EXPECT_EQ(SplitReplyItems("\"a b|c\"|d", '|'), (Items{"a b|c", "d"}));
  EXPECT_EQ(SplitReplyItems("\"say \"\"hi\"\"\"|x", '|'), (Items{"say \"hi\"", "x"}));
  // An unclosed quote runs to the end.
  EXPECT_EQ(SplitReplyItems("x|\"open|end", '|'), (Items{"x", "open|end"}));
}

TEST(ReplyItems, DoubleByteCharactersAreNeverCut) {
  // "亅" is 0x81 0x7C in code page 936: its second byte is the separator's code.
  std::string name = Cp936("亅");
  ASSERT_EQ(name, std::string("\x81\x7C", 2));
  EXPECT_EQ(SplitReplyItems(name + "|" + Cp936("张三"), '|'), (Items{name, Cp936("张三")}));
  // The text ends at a zero byte.
  EXPECT_EQ(SplitReplyItems(std::string("a|b\0|c", 6), '|'), (Items{"a", "b"}));
}

}  // namespace
}  // namespace zoqa
