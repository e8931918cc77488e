// The code page converters over arbitrary bytes. Valid UTF-8 must convert exactly as iconv
// does wherever iconv can convert it, and then survive the round trip back; the one-pass
// conversion must agree with the two separate ones; every result back in UTF-8 must be valid.
#include <iconv.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "util/codepage.h"

namespace {

// `in` converted by iconv, or false when iconv cannot convert all of it. glibc's converter
// drops the tag characters U+E0000..U+E007F without a word, where ours marks them lost:
// text holding one is not compared.
bool IconvToCp936(std::string_view in, std::string& out) {
  if (in.find("\xF3\xA0\x80") != in.npos || in.find("\xF3\xA0\x81") != in.npos) return false;
  static iconv_t cd = iconv_open("CP936", "UTF-8");
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out.assign(in.size() * 2 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  char* dst = out.data();
  std::size_t left = in.size(), room = out.size();
  if (iconv(cd, &src, &left, &dst, &room) == static_cast<std::size_t>(-1) || left != 0) {
    return false;
  }
  out.resize(out.size() - room);
  return true;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  using namespace zoqa;

  // Any bytes taken as code page text give valid UTF-8.
  std::string utf8 = Cp936ToUtf8(bytes);
  Check(IsValidUtf8(utf8));

  std::string cp936, roundTrip;
  bool valid = Utf8ToCp936AndUtf8(bytes, cp936, roundTrip);
  Check(valid == IsValidUtf8(bytes));
  Check(cp936 == Utf8ToCp936(bytes));
  if (!valid) {
    Check(cp936.empty() && roundTrip.empty());
    return 0;
  }
  Check(roundTrip == Cp936ToUtf8(cp936));
  Check(LostCharacter(bytes).empty() == (roundTrip == bytes));

  std::string expected;
  if (IconvToCp936(bytes, expected)) {
    Check(cp936 == expected);
    Check(roundTrip == bytes);  // what the code page holds comes back unchanged
  }
  return 0;
}
