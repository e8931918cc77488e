#include "harvest/text/ecmapattern.h"

namespace zoqa {
namespace {

// ECMAScript white space and line terminators, as class content.
constexpr std::string_view kSpaceSet =
    "\\t\\n\\x{0B}\\f\\r \\x{A0}\\x{1680}\\x{2000}-\\x{200A}\\x{2028}\\x{2029}\\x{202F}"
    "\\x{205F}\\x{3000}\\x{FEFF}";
// Everything else, as class content (the complement of kSpaceSet).
constexpr std::string_view kNonSpaceSet =
    "\\x{0}-\\x{8}\\x{E}-\\x{1F}\\x{21}-\\x{9F}\\x{A1}-\\x{167F}\\x{1681}-\\x{1FFF}"
    "\\x{200B}-\\x{2027}\\x{202A}-\\x{202E}\\x{2030}-\\x{205E}\\x{2060}-\\x{2FFF}"
    "\\x{3001}-\\x{FEFE}\\x{FF00}-\\x{10FFFF}";
constexpr std::string_view kDot = "[^\\n\\r\\x{2028}\\x{2029}]";

class Translator {
 public:
  explicit Translator(std::string_view p) : p_(p) {}

  std::string Run() {
    while (i_ < p_.size()) Step();
    return out_;
  }

 private:
  bool At(std::string_view s) const { return p_.substr(i_, s.size()) == s; }

  void Step() {
    if (At("(?:.|[\\r\\n])") || At("(?:.|[\\n\\r])")) {
      out_ += "[^\\x{2028}\\x{2029}]";
      i_ += 12;
    } else if (At("[\\s\\S]") || At("[\\S\\s]")) {
      out_ += "(?s:.)";
      i_ += 6;
    } else if (p_[i_] == '[') {
      Class();
    } else if (p_[i_] == '\\') {
      Escape(false);
    } else if (p_[i_] == '.') {
      out_ += kDot;
      ++i_;
    } else {
      out_ += p_[i_++];
    }
  }

  void Class() {
    out_ += p_[i_++];  // '['
    if (i_ < p_.size() && p_[i_] == '^') out_ += p_[i_++];
    while (i_ < p_.size() && p_[i_] != ']') {
      if (p_[i_] == '\\') {
        Escape(true);
      } else if (p_[i_] == '[') {
        out_ += "\\[";  // a literal bracket in ECMAScript, a POSIX class opener in PCRE2
        ++i_;
      } else {
        out_ += p_[i_++];
      }
    }
    if (i_ < p_.size()) out_ += p_[i_++];  // ']'
  }

  // Writes the escape at i_; `inClass` tells whether it stands inside a character class.
  void Escape(bool inClass) {
    if (i_ + 1 >= p_.size()) {
      out_ += p_[i_++];
      return;
    }
    char c = p_[i_ + 1];
    i_ += 2;
    if (c == 's' || c == 'S') {
      std::string_view set = c == 's' ? kSpaceSet : kNonSpaceSet;
      out_ += inClass ? std::string(set) : "[" + std::string(set) + "]";
    } else if (c == 'u' && IsHex(4)) {
      out_ += "\\x{" + std::string(p_.substr(i_, 4)) + "}";
      i_ += 4;
    } else if (c == '0' && !(i_ < p_.size() && p_[i_] >= '0' && p_[i_] <= '9')) {
      out_ += "\\x{0}";
    } else {
      out_ += '\\';
      out_ += c;
    }
  }

  bool IsHex(std::size_t n) const {
    if (i_ + n > p_.size()) return false;
    for (std::size_t k = 0; k < n; ++k) {
      char h = p_[i_ + k];
      bool hex = (h >= '0' && h <= '9') || (h >= 'a' && h <= 'f') || (h >= 'A' && h <= 'F');
      if (!hex) return false;
    }
    return true;
  }

  std::string_view p_;
  std::size_t i_ = 0;
  std::string out_;
};

}  // namespace

std::string TranslateEcmaPattern(std::string_view pattern) {
  return Translator(pattern).Run();
}

}  // namespace zoqa
