#include "util/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

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
  // A trail byte in the ASCII range stays with its lead byte: B9 40 is one character, U+7B2F.
  EXPECT_EQ(Cp936ToUtf8("\xB9\x40"), "\xE7\xAC\xAF");
  EXPECT_EQ(Utf8ToCp936(Cp936ToUtf8("\xB9\x40")), "\xB9\x40");
  // A lead byte before a byte that cannot end a character is one "?", the next byte stays.
  EXPECT_EQ(Cp936ToUtf8("\xB9\r\n"), "?\r\n");
  EXPECT_EQ(Cp936ToUtf8("\x81\x7F"), "?\x7F");
}

TEST(CodePage, LeadByteRule) {
  EXPECT_FALSE(IsLeadByte(0x80));
  EXPECT_TRUE(IsLeadByte(0x81));
  EXPECT_TRUE(IsLeadByte(0xFE));
  EXPECT_FALSE(IsLeadByte(0xFF));
  EXPECT_EQ(CharLength("\xB9\xE3", 0), 2u);
  EXPECT_EQ(CharLength("\xB9", 0), 1u);
  EXPECT_EQ(CharLength("a", 0), 1u);
  // Only a trail byte completes a character; a lead byte before anything else stands alone.
  EXPECT_EQ(CharLength("\x81\x40", 0), 2u);
  EXPECT_EQ(CharLength("\x81\x7C", 0), 2u);
  EXPECT_EQ(CharLength("\x86\r", 0), 1u);
  EXPECT_EQ(CharLength("\x86,", 0), 1u);
  EXPECT_EQ(CharLength("\x81\x7F", 0), 1u);
  EXPECT_EQ(CharLength("\x81\xFF", 0), 1u);
}

}  // namespace
}  // namespace zoqa

namespace zoqa {
namespace {

std::string IconvConvert(const std::string& in, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  std::string out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  char* dst = out.data();
  std::size_t left = in.size(), room = out.size();
  std::size_t rc = iconv(cd, &src, &left, &dst, &room);
  iconv_close(cd);
  EXPECT_NE(rc, static_cast<std::size_t>(-1));
  out.resize(out.size() - room);
  return out;
}

// Every two-byte code decodes as iconv decodes it, or to "?" where iconv finds no character.
TEST(CodePage, TablesAgreeWithIconv) {
  iconv_t cd = iconv_open("UTF-8", "CP936");
  int mismatches = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      char buf[8];
      char* src = pair;
      char* dst = buf;
      std::size_t left = 2, room = sizeof buf;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      bool ok = iconv(cd, &src, &left, &dst, &room) != static_cast<std::size_t>(-1);
      std::string mine = Cp936ToUtf8(std::string(pair, 2));
      if (ok && mine != std::string(buf, sizeof buf - room)) ++mismatches;
      if (!ok && mine.front() != '?') ++mismatches;
    }
  }
  iconv_close(cd);
  EXPECT_EQ(mismatches, 0);
  std::string cjk;
  for (char32_t cp = 0x4E00; cp <= 0x9FA5; ++cp) {
    cjk += static_cast<char>(0xE0 | cp >> 12);
    cjk += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    cjk += static_cast<char>(0x80 | (cp & 0x3F));
  }
  EXPECT_EQ(Utf8ToCp936(cjk), IconvConvert(cjk, "CP936", "UTF-8"));
}

TEST(CodePage, OnePassConversionGivesBothForms) {
  std::string utf8 = "a\u00B7\u30FB\U0001F600\u5E7F\u20AC\r\n";
  std::string cp, back;
  ASSERT_TRUE(Utf8ToCp936AndUtf8(utf8, cp, back));
  EXPECT_EQ(cp, Utf8ToCp936(utf8));
  EXPECT_EQ(back, Cp936ToUtf8(cp));
  EXPECT_FALSE(Utf8ToCp936AndUtf8("ok\xC3", cp, back));
  EXPECT_TRUE(cp.empty() && back.empty());
}

}  // namespace
}  // namespace zoqa
