// The service's delimited replies over arbitrary input: splitting never fails, and a version
// reply offers a package only with a URL taken from an item that names "http://" or
// "https://".
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "service/replyitems.h"
#include "service/updatethread.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t total = 0;
  for (char separator : {'`', '|', ','}) {
    for (const std::string& item : zoqa::SplitReplyItems(text, separator)) total += item.size();
  }
  Check(total <= 3 * size);
  if (auto info = zoqa::ParseVersionReply(text)) {
    Check(!info->PackageUrl.empty());
    Check(text.find("http://") != std::string_view::npos ||
          text.find("https://") != std::string_view::npos);
  }
  return 0;
}
