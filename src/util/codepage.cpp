#include "util/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace zoqa {
namespace {

// One conversion descriptor per thread and direction, opened on first use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts a run of non-ASCII input, appending to `out`. `skip` tells how many input bytes
  // to pass over (writing "?") when the input cannot be converted at some point.
  template <typename Skip>
  void Convert(std::string_view in, std::string& out, Skip skip) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    while (left > 0) {
      std::size_t used = out.size();
      out.resize(used + left * 2 + 8);
      char* dst = out.data() + used;
      std::size_t room = out.size() - used;
      std::size_t rc = iconv(cd_, &src, &left, &dst, &room);
      out.resize(out.size() - room);
      if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
        std::size_t n = skip(std::string_view(src, left));
        out.push_back('?');
        src += n;
        left -= n;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
  }

 private:
  iconv_t cd_;
};

Converter& ToCp936() {
  thread_local Converter converter("CP936", "UTF-8");
  return converter;
}

Converter& FromCp936() {
  thread_local Converter converter("UTF-8", "CP936");
  return converter;
}

std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at the start of `s`, or 0 when it is not valid.
std::size_t ValidSequence(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  std::size_t n = Utf8SequenceLength(p[0]);
  if (n == 0 || n > s.size()) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    if (!IsContinuation(p[i])) return 0;
  }
  if (n == 3 && p[0] == 0xE0 && p[1] < 0xA0) return 0;   // overlong
  if (n == 3 && p[0] == 0xED && p[1] >= 0xA0) return 0;  // surrogate
  if (n == 4 && p[0] == 0xF0 && p[1] < 0x90) return 0;   // overlong
  if (n == 4 && p[0] == 0xF4 && p[1] >= 0x90) return 0;  // beyond U+10FFFF
  return n;
}

bool IsAscii(char c) {
  return static_cast<unsigned char>(c) < 0x80;
}

// Calls `run(part, ascii)` for the alternating ASCII and non-ASCII runs of `text`, where
// `width(text, pos)` gives the length of the non-ASCII character at `pos` so that a
// multi-byte character is never split between two runs.
template <typename Width, typename Run>
void ForEachRun(std::string_view text, Width width, Run run) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t j = i;
    if (IsAscii(text[i])) {
      while (j < text.size() && IsAscii(text[j])) ++j;
    } else {
      while (j < text.size() && !IsAscii(text[j])) j += width(text, j);
      j = std::min(j, text.size());
    }
    run(text.substr(i, j - i), IsAscii(text[i]));
    i = j;
  }
}

std::size_t Utf8Width(std::string_view, std::size_t) {
  return 1;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    std::size_t n = ValidSequence(text.substr(i));
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string Utf8ToCp936(std::string_view utf8) {
  if (!IsValidUtf8(utf8)) return {};
  std::string out;
  out.reserve(utf8.size());
  ForEachRun(utf8, Utf8Width, [&out](std::string_view run, bool ascii) {
    if (ascii) {
      out.append(run);
      return;
    }
    ToCp936().Convert(run, out, [](std::string_view rest) {
      std::size_t n = ValidSequence(rest);
      return n == 0 ? 1 : n;
    });
  });
  return out;
}

std::string Cp936ToUtf8(std::string_view cp936) {
  std::string out;
  out.reserve(cp936.size() + cp936.size() / 2);
  ForEachRun(cp936, CharLength, [&out](std::string_view run, bool ascii) {
    if (ascii) {
      out.append(run);
      return;
    }
    FromCp936().Convert(run, out, [](std::string_view) { return std::size_t{1}; });
  });
  return out;
}

}  // namespace zoqa
