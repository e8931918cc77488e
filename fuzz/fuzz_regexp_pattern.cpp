// The pattern facility over arbitrary pattern text: a pattern that does not compile, or a
// search that exceeds the engine's limits, raises ERegExpError; nothing else may go wrong.
// Matches must be pieces of the searched text.
#include <cstdint>
#include <string>
#include <string_view>

#include "harvest/text/regexp.h"

namespace {

// Short subjects keep pathological patterns from turning into timeouts; they still cover
// code page 936 text, line breaks and the ECMAScript white space.
const char* const kSubjects[] = {
    "<a href=\"/contact.html\">\xE8\x81\x94\xE7\xB3\xBB\xE6\x88\x91\xE4\xBB\xAC</a>",
    "tel 020-12345678\r\nmob 13812345678\xE2\x80\xA8 qq uin=12345&",
    "\xE5\x9C\xB0\xE5\x9D\x80\xEF\xBC\x9A \xE5\xB9\xBF\xE5\xB7\x9E\xC2\xA0\xE3\x80\x80x@y.com",
    "",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 512) return 0;
  std::string_view pattern(reinterpret_cast<const char*>(data), size);
  zoqa::TRegExp re;
  for (const char* subject : kSubjects) {
    try {
      for (const std::string& match : re.FindAllUtf8(pattern, subject)) {
        if (std::string_view(subject).find(match) == std::string_view::npos) __builtin_trap();
      }
      re.ReplaceAll(pattern, subject, "-");
    } catch (const zoqa::ERegExpError&) {
    }
  }
  return 0;
}
