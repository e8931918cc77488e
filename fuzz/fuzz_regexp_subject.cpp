// The project's fixed patterns over arbitrary subjects, both as code page text (FindAll,
// ReplaceAll) and as UTF-8 (FindAllUtf8, where text that is not UTF-8 raises ERegExpError).
// Every match must be a piece of the searched text.
#include <cstdint>
#include <string>
#include <string_view>

#include "harvest/text/regexp.h"
#include "util/codepage.h"

namespace {

const char* const kPatterns[] = {
    // contact extraction
    "<title[^>]*>[^>]*</title>",
    "(\\d{3,4}-)?\\d{7,8}",
    "(\\d{3}-)(\\d{3,4}-)(\\d{3,4})",
    ("(134|135|136|137|138|139|147|150|151|152|157|158|159|178|182|183|184|187|188|130|131|"
     "132|145|155|156|176|185|186|133|153|177|180|181|189)\\d{8}"),
    "[A-Z0-9._%+-]+@[A-Z0-9.-]+\\.[A-Z]{2,4}",
    "uin=[\\d]*&",
    "\xE5\x9C\xB0.*\xE5\x9D\x80\\S*",
    // contact links
    "<a[^>]*>[^>]*\xE8\x81\x94\xE7\xB3\xBB\xE6\x88\x91\xE4\xBB\xAC[^>]*</a>",
    "<a[^>]*>[^>]*\xE8\x81\x94\xE7\xB3\xBB[^>]*</a>",
    // tags, and the lazy spans of the result pages
    "<[^>]*>",
    "<a[^>]*h/baidu.php?[^>]*>(?:.|[\\r\\n])*?</a>",
    "<div[^>]*(srcid=)[^>]*>([\\s\\S]*?)(\xE5\xBF\xAB\xE7\x85\xA7)",
    "<td[^>]*>([\\s\\S]*?)</td>",
};

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  static zoqa::TRegExp re;  // compiled patterns are reused, as a crawler reuses them
  const bool utf8 = zoqa::IsValidUtf8(text);
  const std::string converted = zoqa::Cp936ToUtf8(text);
  for (const char* pattern : kPatterns) {
    try {
      for (const std::string& m : re.FindAllUtf8(pattern, text)) Check(text.find(m) != text.npos);
      Check(utf8);
    } catch (const zoqa::ERegExpError&) {
      Check(!utf8);
    }
    for (const std::string& m : re.FindAllUtf8(pattern, converted, 1000, true)) {
      Check(converted.find(m) != converted.npos);
    }
    re.FindAll(pattern, text);
    re.ReplaceAll(pattern, text, "");
  }
  return 0;
}
