// A fetched page through what a crawler does with it: decoding (UTF-8 into the code page, or
// the raw bytes taken as code page text), the contact-link search and the contact extraction,
// for each engine's rules. The first input byte picks the variant and the decoding.
#include <cstdint>
#include <string>
#include <string_view>

#include "harvest/sites/contactextract.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// A record worth reporting has a name and a number; any other comes back reset.
void CheckRecord(const zoqa::TCompany& record, bool worth) {
  if (worth) {
    Check(!zoqa::Trim(record.GetName()).empty());
    Check(!record.Tels.empty() || !record.Mobiles.empty());
  } else {
    Check(record.ComName.empty() && record.Tels.empty() && record.Mobiles.empty());
    Check(record.Emails.empty() && record.QQs.empty() && record.Addr.empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  using namespace zoqa;
  static TRegExp re;
  const auto variant = static_cast<TEngineVariant>(data[0] % 3);
  std::string_view raw(reinterpret_cast<const char*>(data) + 1, size - 1);
  TPageText page = (data[0] & 4) ? TPageText::FromUtf8(raw) : TPageText(Trim(raw));

  std::string link = FindContactLink(re, page, "www.example.cn", variant);
  Check(link.empty() || link.starts_with("http://") || link.starts_with("https://"));
  TCompany record;
  CheckRecord(record, ExtractContacts(re, record, page, variant));
  return 0;
}
