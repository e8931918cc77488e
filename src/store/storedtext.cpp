#include "store/storedtext.h"

#include <QString>

#include <algorithm>
#include <charconv>

#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

template <typename Int>
Int ParseStored(std::string_view text) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  Int value = 0;
  auto result = std::from_chars(begin, end, value);
  return result.ec == std::errc() && result.ptr == end && begin != end ? value : 0;
}

}  // namespace

std::string EncodeStored(const std::string& cp936) {
  // A statement carries its values as literals and ends at a zero byte, so zero bytes are
  // left out rather than making the whole statement fail.
  if (cp936.find('\0') == std::string::npos) return Cp936ToUtf8(cp936);
  std::string text = cp936;
  std::erase(text, '\0');
  return Cp936ToUtf8(text);
}

void DecodeStored(std::string_view utf8, std::string& cp936) {
  if (Utf8ToCp936(utf8, cp936)) return;
  // Qt marks every invalid sequence with U+FFFD, which the code page lacks: it becomes "?".
  QByteArray repaired =
      QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toUtf8();
  Utf8ToCp936(std::string_view(repaired.constData(), repaired.size()), cp936);
}

std::string DecodeStored(std::string_view utf8) {
  std::string cp936;
  DecodeStored(utf8, cp936);
  return cp936;
}

std::string JoinStoredList(const std::vector<std::string>& cp936) {
  return EncodeStored(JoinCrLf(cp936));
}

void SplitStoredList(std::string_view utf8, std::vector<std::string>& lines) {
  std::size_t count = 0;
  if (!utf8.empty()) {
    // "|" never occurs inside a multi-byte UTF-8 character, so it is replaced before decoding.
    thread_local std::string decoded;
    if (utf8.find('|') == std::string_view::npos) {
      DecodeStored(utf8, decoded);
    } else {
      std::string replaced(utf8);
      std::replace(replaced.begin(), replaced.end(), '|', '\r');
      DecodeStored(replaced, decoded);
    }
    // Trimmed as Trim does, without a copy.
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    std::string_view text(decoded);
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    for (std::size_t start = 0; start < text.size();) {
      std::size_t stop = text.find_first_of("\r\n", start);
      if (stop == std::string::npos) stop = text.size();
      if (count < lines.size()) {
        lines[count].assign(text.substr(start, stop - start));
      } else {
        lines.emplace_back(text.substr(start, stop - start));
      }
      ++count;
      if (stop < text.size() && text[stop] == '\r' && stop + 1 < text.size() &&
          text[stop + 1] == '\n') {
        ++stop;
      }
      start = stop + 1;
    }
  }
  lines.resize(count);
}

std::vector<std::string> SplitStoredList(std::string_view utf8) {
  std::vector<std::string> lines;
  SplitStoredList(utf8, lines);
  return lines;
}

std::int32_t ParseStoredInt32(std::string_view text) {
  return ParseStored<std::int32_t>(text);
}

std::int64_t ParseStoredInt64(std::string_view text) {
  return ParseStored<std::int64_t>(text);
}

}  // namespace zoqa
