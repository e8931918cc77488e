#include "util/codepage.h"

#include <gtest/gtest.h>

namespace zoqa {
namespace {

TEST(CodePage, MixedChineseAndAsciiRoundTrip) {
  std::string utf8 = "广州 电子公司 Tel:020-12345678";
  std::string cp = Utf8ToCp936(utf8);
  EXPECT_EQ(cp.substr(0, 4), "\xB9\xE3\xD6\xDD");
  EXPECT_EQ(cp.size(), 4u + 1 + 8 + 17);
  EXPECT_EQ(Cp936ToUtf8(cp), utf8);
}

TEST(CodePage, InvalidUtf8GivesEmptyText) {
  EXPECT_EQ(Utf8ToCp936("abc\xFF"), "");
  EXPECT_EQ(Utf8ToCp936("abc\xE5\xB9"), "");       // truncated sequence
  EXPECT_EQ(Utf8ToCp936("\xC0\xAF"), "");          // overlong
  EXPECT_EQ(Utf8ToCp936("\xED\xA0\x80"), "");      // surrogate
  EXPECT_EQ(Utf8ToCp936("\xF4\x90\x80\x80"), "");  // beyond U+10FFFF
  EXPECT_EQ(Utf8ToCp936(""), "");
  EXPECT_EQ(Cp936ToUtf8(""), "");
}

TEST(CodePage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp936("a\xF0\x9F\x98\x80"
                        "b"),
            "a?b");                                // emoji
  EXPECT_EQ(Utf8ToCp936("\xE0\xA4\x85"), "?");     // Devanagari
  EXPECT_EQ(Utf8ToCp936("\xE2\x82\xAC"), "\x80");  // euro sign is in the code page
}

TEST(CodePage, NulBytesSurvive) {
  std::string utf8("a\0b", 3);
  EXPECT_EQ(Utf8ToCp936(utf8), utf8);
  EXPECT_EQ(Cp936ToUtf8(utf8), utf8);
}

TEST(CodePage, BadCodePageBytesBecomeQuestionMarks) {
  EXPECT_EQ(Cp936ToUtf8("a\xFF"
                        "b"),
            "a?b");
  EXPECT_EQ(Cp936ToUtf8("ab\xB9"), "ab?");  // lead byte at the end
  // A trail byte in the ASCII range stays with its lead byte: B9 40 is one character.
  EXPECT_EQ(Cp936ToUtf8("\xB9\x40"), Cp936ToUtf8(std::string("\xB9\x40")));
  EXPECT_EQ(Utf8ToCp936(Cp936ToUtf8("\xB9\x40")), "\xB9\x40");
}

TEST(CodePage, LeadByteRule) {
  EXPECT_FALSE(IsLeadByte(0x80));
  EXPECT_TRUE(IsLeadByte(0x81));
  EXPECT_TRUE(IsLeadByte(0xFE));
  EXPECT_FALSE(IsLeadByte(0xFF));
  EXPECT_EQ(CharLength("\xB9\xE3", 0), 2u);
  EXPECT_EQ(CharLength("\xB9", 0), 1u);
  EXPECT_EQ(CharLength("a", 0), 1u);
}

}  // namespace
}  // namespace zoqa
