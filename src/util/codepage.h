// Conversions between UTF-8 and code page 936, the byte encoding of all domain text. The
// mapping is glibc iconv's, read into lookup tables on first use.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zoqa {

// True for a byte that starts a two-byte code page 936 character (0x81 to 0xFE).
inline bool IsLeadByte(unsigned char byte) {
  return byte >= 0x81 && byte <= 0xFE;
}

// True for a byte that can end a two-byte code page 936 character (0x40 to 0xFE but 0x7F).
inline bool IsTrailByte(unsigned char byte) {
  return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

// Length in bytes of the character that starts at `pos`: 2 for a lead byte followed by a
// trail byte, else 1. A lead byte followed by anything else (a line break, a comma, the end
// of the text) stands alone, as the converters read it, so that searches still find the
// byte after it: a stray byte must not hide a line break or a separator.
inline std::size_t CharLength(std::string_view text, std::size_t pos) {
  return IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() &&
                 IsTrailByte(static_cast<unsigned char>(text[pos + 1]))
             ? 2
             : 1;
}

// True when `text` is well-formed UTF-8 throughout (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);

// UTF-8 to code page 936. Text that is not valid UTF-8 throughout gives an empty result;
// characters the code page lacks become "?".
std::string Utf8ToCp936(std::string_view utf8);
// The same into `cp936`, reusing its storage; false (and `cp936` empty) for invalid UTF-8.
bool Utf8ToCp936(std::string_view utf8, std::string& cp936);

// Utf8ToCp936 into `cp936`, and in `roundTrip` that text converted back to UTF-8, in one
// pass; false (both empty) when `utf8` is not valid UTF-8.
bool Utf8ToCp936AndUtf8(std::string_view utf8, std::string& cp936, std::string& roundTrip);

// The first character of `utf8` (as UTF-8) that does not come back unchanged from code page
// 936, such as one the code page lacks; empty when every character does. Only meaningful for
// valid UTF-8. What a user types must not turn silently into another text.
std::string LostCharacter(std::string_view utf8);

// The Unicode name of the first character of `utf8`, as "U+1F600"; "U+0000" for an empty or
// broken text. Names a character that a message cannot show in code page 936.
std::string CodePointName(std::string_view utf8);

// Code page 936 to UTF-8. Bytes that do not form a character of the code page become "?".
std::string Cp936ToUtf8(std::string_view cp936);

// Shorthand for code page 936 constants written as UTF-8 literals in the source.
inline std::string Cp936(std::string_view utf8) {
  return Utf8ToCp936(utf8);
}

}  // namespace zoqa
