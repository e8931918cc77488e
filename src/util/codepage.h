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

// Length in bytes of the character that starts at `pos` (1 or 2; 1 for a lead byte that
// ends the text).
inline std::size_t CharLength(std::string_view text, std::size_t pos) {
  return IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

// True when `text` is well-formed UTF-8 throughout (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);

// UTF-8 to code page 936. Text that is not valid UTF-8 throughout gives an empty result;
// characters the code page lacks become "?".
std::string Utf8ToCp936(std::string_view utf8);

// Utf8ToCp936 into `cp936`, and in `roundTrip` that text converted back to UTF-8, in one
// pass; false (both empty) when `utf8` is not valid UTF-8.
bool Utf8ToCp936AndUtf8(std::string_view utf8, std::string& cp936, std::string& roundTrip);

// Code page 936 to UTF-8. Bytes that do not form a character of the code page become "?".
std::string Cp936ToUtf8(std::string_view cp936);

// Shorthand for code page 936 constants written as UTF-8 literals in the source.
inline std::string Cp936(std::string_view utf8) {
  return Utf8ToCp936(utf8);
}

}  // namespace zoqa
