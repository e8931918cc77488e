// The filing registry's answer: the cell walk that picks the organisation's name from any page,
// and the registrable domain of any host.
#include <cstdint>
#include <string>
#include <string_view>

#include "harvest/sites/filinglookup.h"
#include "util/textutil.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zoqa;
  static TFilingLookup lookup;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string name = lookup.NameFromPage(TPageText::FromUtf8(input));
  // A name is long enough to be a company's and has no blanks at its ends.
  Check(name.empty() || (name.size() > 10 && name == Trim(name)));

  std::string host(input.substr(0, input.find('/')));
  std::string domain = RegistrableDomain(host);
  // The domain is the tail of the host: a label and a known suffix at least.
  Check(domain.empty() || (host.ends_with(domain) && domain.find('.') != std::string::npos));
  return 0;
}
