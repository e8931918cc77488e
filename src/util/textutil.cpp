#include "util/textutil.h"

#include <algorithm>
#include <chrono>
#include <random>

#include "util/codepage.h"

namespace zoqa {

std::size_t FindText(std::string_view text, std::string_view marker, std::size_t from) {
  if (from > text.size()) return std::string_view::npos;
  std::size_t boundary = from;  // a known character start at or before every candidate
  std::size_t pos = text.find(marker, from);
  while (pos != std::string_view::npos) {
    while (boundary < pos) boundary += CharLength(text, boundary);
    if (boundary == pos) return pos;
    pos = text.find(marker, pos + 1);
  }
  return pos;
}

std::size_t FindLastChar(std::string_view text, char ch) {
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (text[i] == ch) found = i;
  }
  return found;
}

namespace {

template <typename Map>
std::string MapAscii(std::string_view text, Map map) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size();) {
    std::size_t n = CharLength(out, i);
    if (n == 1) out[i] = map(out[i]);
    i += n;
  }
  return out;
}

}  // namespace

std::string AsciiLower(std::string_view text) {
  return MapAscii(text, [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
}

std::string AsciiUpper(std::string_view text) {
  return MapAscii(text, [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; });
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AsciiLower(a) == AsciiLower(b);
}

std::string Trim(std::string_view text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  std::size_t b = 0, e = text.size();
  while (b < e && blank(text[b])) ++b;
  while (e > b && blank(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

std::string CutText(std::string_view text, int n) {
  if (text.empty() || n >= static_cast<int>(text.size())) return std::string(text);
  std::size_t keep = n < 0 ? 0 : static_cast<std::size_t>(n);
  if (keep > 0) {
    std::size_t i = 0;
    while (i < keep - 1) i += CharLength(text, i);
    if (i == keep - 1 && CharLength(text, i) == 2) --keep;  // byte n starts a character
  }
  return std::string(text.substr(0, keep)) + "...";
}

void SplitFirst(std::string_view text, std::string_view delimiter, std::string& left,
                std::string& right) {
  left.clear();
  right.clear();
  if (text.empty()) return;
  std::size_t p = delimiter.empty() ? std::string_view::npos : FindText(text, delimiter);
  if (p == std::string_view::npos) {
    right = text;
    return;
  }
  left = text.substr(0, p);
  right = text.substr(p + 1);
}

std::string AppendText(std::string& dest, std::string_view value, std::string_view separator) {
  if (!dest.empty()) {
    dest.append(separator);
    dest.append(value);
  } else {
    dest = value;
  }
  return dest;
}

std::string UrlEncode(std::string_view text, bool blankAsPlus) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (char c : text) {
    auto b = static_cast<unsigned char>(c);
    bool plain =
        (b >= 0x2D && b <= 0x3A) || (b >= 'A' && b <= 'Z') || b == '_' || (b >= 'a' && b <= 'z');
    if (b == ' ') {
      out += blankAsPlus ? "+" : "%20";
    } else if (plain) {
      out += c;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

std::string TextAfterLast(std::string_view text, char ch, std::string_view fallback) {
  std::size_t p = FindLastChar(text, ch);
  return std::string(p == std::string_view::npos ? fallback : text.substr(p + 1));
}

std::string TextBeforeLast(std::string_view text, char ch) {
  std::size_t p = FindLastChar(text, ch);
  return std::string(p == std::string_view::npos ? text : text.substr(0, p));
}

int RandomNumber(int n) {
  if (n <= 0) return n;
  std::mt19937 gen(
      static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
  return std::uniform_int_distribution<int>(1, n)(gen);
}

std::string TextBetween(std::string_view start, std::string_view end, std::string_view text) {
  std::size_t p = FindText(text, start);
  if (p == std::string_view::npos) return {};
  std::string_view rest = text.substr(p + start.size());
  if (!end.empty()) {
    std::size_t q = FindText(rest, end);
    if (q != std::string_view::npos) rest = rest.substr(0, q);
  }
  return std::string(rest);
}

std::string IncludeBackslash(std::string_view path) {
  if (Trim(path).empty()) return std::string(path);
  std::size_t last = FindLastChar(path, '/');
  if (last != std::string_view::npos && last + 1 == path.size()) return std::string(path);
  return std::string(path) + "/";
}

std::string ReplaceText(std::string_view text, std::string_view from, std::string_view to,
                        bool ignoreCase) {
  if (from.empty()) return std::string(text);
  // Case only matters when the searched text has letters; most edits search punctuation.
  ignoreCase = ignoreCase && std::any_of(from.begin(), from.end(), [](char c) {
                 return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
               });
  if (!ignoreCase && text.find(from) == std::string_view::npos) return std::string(text);
  std::string lowered = ignoreCase ? AsciiLower(text) : std::string();
  std::string needle = ignoreCase ? AsciiLower(from) : std::string(from);
  std::string_view hay = ignoreCase ? std::string_view(lowered) : text;
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (std::size_t hit = FindText(hay, needle); hit != std::string_view::npos;
       hit = FindText(hay, needle, pos)) {
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + needle.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace zoqa
