#include "util/codepage.h"

#include <iconv.h>

#include <array>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace zoqa {
namespace {

// The code page's mapping, read once from iconv into two tables so that converting a page
// is a table lookup per character.
struct Tables {
  std::array<char32_t, 256> single{};         // byte -> code point; 0 = not a character
  std::array<char16_t, 65536> pair{};         // lead << 8 | trail -> code point; 0 = none
  std::array<std::uint16_t, 65536> encode{};  // BMP code point -> code; 0 = none
};

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
  }
  ~Iconv() { iconv_close(cd_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // Converts `in` completely, or returns false.
  bool Convert(const char* in, std::size_t n, char* out, std::size_t room, std::size_t& written) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    char* dst = out;
    std::size_t left = n, space = room;
    if (iconv(cd_, &src, &left, &dst, &space) == static_cast<std::size_t>(-1) || left != 0) {
      return false;
    }
    written = room - space;
    return true;
  }

 private:
  iconv_t cd_;
};

char32_t DecodeOne(Iconv& cv, const char* bytes, std::size_t n) {
  char32_t out[2];
  std::size_t written = 0;
  if (!cv.Convert(bytes, n, reinterpret_cast<char*>(out), sizeof out, written)) return 0;
  return written == sizeof(char32_t) ? out[0] : 0;
}

void FillDecoding(Tables& t) {
  Iconv cv("UTF-32LE", "CP936");
  for (int b = 1; b < 256; ++b) {
    char byte = static_cast<char>(b);
    t.single[b] = DecodeOne(cv, &byte, 1);
  }
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      char32_t cp = DecodeOne(cv, bytes, 2);
      if (cp > 0 && cp <= 0xFFFF) t.pair[lead << 8 | trail] = static_cast<char16_t>(cp);
    }
  }
}

void FillEncoding(Tables& t) {
  Iconv cv("CP936", "UTF-32LE");
  for (char32_t cp = 0x80; cp <= 0xFFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    char out[4];
    std::size_t n = 0;
    if (!cv.Convert(reinterpret_cast<const char*>(&cp), sizeof cp, out, sizeof out, n)) continue;
    auto b0 = static_cast<unsigned char>(out[0]);
    if (n == 1) t.encode[cp] = b0;
    if (n == 2)
      t.encode[cp] = static_cast<std::uint16_t>(b0 << 8 | static_cast<unsigned char>(out[1]));
  }
}

const Tables& CodePage() {
  static const std::unique_ptr<Tables> tables = [] {
    auto t = std::make_unique<Tables>();
    FillDecoding(*t);
    FillEncoding(*t);
    return t;
  }();
  return *tables;
}

// Decodes the UTF-8 sequence at `p` (at most `n` bytes); returns its length, 0 if invalid.
std::size_t DecodeUtf8(const unsigned char* p, std::size_t n, char32_t& cp) {
  unsigned char b = p[0];
  std::size_t len = b < 0x80 ? 1 : b < 0xC2 ? 0 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF5 ? 4 : 0;
  if (len == 0 || len > n) return 0;
  cp = len == 1 ? b : b & (0xFF >> (len + 1));
  for (std::size_t i = 1; i < len; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (p[i] & 0x3F);
  }
  static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The code page bytes of one code point, or "?" when the code page lacks it.
void AppendCode(std::string& out, char32_t cp, const Tables& t) {
  std::uint16_t code = cp <= 0xFFFF ? t.encode[cp] : 0;
  if (code == 0) {
    out += '?';
  } else if (code < 0x100) {
    out += static_cast<char>(code);
  } else {
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
  }
}

// The code point that code page bytes at `p` stand for and their length; 0 for bytes that
// form no character (the caller writes "?" and moves on by one byte).
char32_t DecodeCp936(const unsigned char* p, std::size_t n, const Tables& t, std::size_t& len) {
  len = 1;
  if (IsLeadByte(p[0]) && n > 1) {
    char16_t cp = t.pair[p[0] << 8 | p[1]];
    if (cp != 0) len = 2;
    return cp;
  }
  return t.single[p[0]];
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = 0, n = text.size();
  char32_t cp = 0;
  while (i < n) {
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    std::size_t len = DecodeUtf8(p + i, n - i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

bool Utf8ToCp936AndUtf8(std::string_view utf8, std::string& cp936, std::string& roundTrip) {
  const Tables& t = CodePage();
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  std::size_t i = 0, n = utf8.size();
  cp936.clear();
  roundTrip.clear();
  cp936.reserve(n);
  roundTrip.reserve(n);
  while (i < n) {
    if (p[i] < 0x80) {
      std::size_t j = i;
      while (j < n && p[j] < 0x80) ++j;
      cp936.append(utf8.substr(i, j - i));
      roundTrip.append(utf8.substr(i, j - i));
      i = j;
      continue;
    }
    char32_t cp = 0;
    std::size_t len = DecodeUtf8(p + i, n - i, cp);
    if (len == 0) {
      cp936.clear();
      roundTrip.clear();
      return false;
    }
    std::size_t at = cp936.size();
    AppendCode(cp936, cp, t);
    std::size_t codeLen = 0;
    AppendUtf8(roundTrip, DecodeCp936(reinterpret_cast<const unsigned char*>(cp936.data()) + at,
                                      cp936.size() - at, t, codeLen));
    i += len;
  }
  return true;
}

std::string LostCharacter(std::string_view utf8) {
  const Tables& t = CodePage();
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  std::size_t i = 0, n = utf8.size();
  while (i < n) {
    if (p[i] < 0x80) {  // ASCII is the code page's own single-byte range
      ++i;
      continue;
    }
    char32_t cp = 0;
    std::size_t len = DecodeUtf8(p + i, n - i, cp);
    if (len == 0) return {};
    std::string code;
    AppendCode(code, cp, t);
    std::size_t codeLen = 0;
    const auto* c = reinterpret_cast<const unsigned char*>(code.data());
    if (DecodeCp936(c, code.size(), t, codeLen) != cp) return std::string(utf8.substr(i, len));
    i += len;
  }
  return {};
}

std::string CodePointName(std::string_view utf8) {
  char32_t cp = 0;
  if (utf8.empty() ||
      DecodeUtf8(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size(), cp) == 0) {
    cp = 0;
  }
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(cp));
  return text;
}

bool Utf8ToCp936(std::string_view utf8, std::string& out) {
  const Tables& t = CodePage();
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  std::size_t i = 0, n = utf8.size();
  out.clear();
  out.reserve(n);
  while (i < n) {
    if (p[i] < 0x80) {
      std::size_t j = i + 1;
      while (j < n && p[j] < 0x80) ++j;
      out.append(utf8.substr(i, j - i));
      i = j;
      continue;
    }
    char32_t cp = 0;
    std::size_t len = DecodeUtf8(p + i, n - i, cp);
    if (len == 0) {
      out.clear();
      return false;
    }
    AppendCode(out, cp, t);
    i += len;
  }
  return true;
}

std::string Utf8ToCp936(std::string_view utf8) {
  std::string out;
  Utf8ToCp936(utf8, out);
  return out;
}

std::string Cp936ToUtf8(std::string_view cp936) {
  const Tables& t = CodePage();
  const auto* p = reinterpret_cast<const unsigned char*>(cp936.data());
  std::size_t i = 0, n = cp936.size();
  std::string out;
  out.reserve(n + n / 2);
  while (i < n) {
    if (p[i] < 0x80) {
      std::size_t j = i + 1;
      while (j < n && p[j] < 0x80) ++j;
      out.append(cp936.substr(i, j - i));
      i = j;
      continue;
    }
    std::size_t len = 1;
    char32_t cp = DecodeCp936(p + i, n - i, t, len);
    if (cp == 0) {
      out += '?';
    } else {
      AppendUtf8(out, cp);
    }
    i += len;
  }
  return out;
}

}  // namespace zoqa
