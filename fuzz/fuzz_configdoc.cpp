// The configuration document over arbitrary bytes: read as plaintext, deciphered first as the
// fetch delivers it, and enciphered and read back, which must find the same element. What the
// document asks for is worked out with an updater that exists in version 1.0.0.1.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "service/configdocument.h"
#include "service/desutil.h"
#include "util/textutil.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::string RootName(const zoqa::TConfigDocument& doc) {
  return doc.Root().empty() ? "(none)" : doc.Root().name();
}

void CheckText(const std::string& text) {
  Check(text == zoqa::Trim(text));
}

// Reads `doc` as the handler does and checks what comes out.
void Apply(const zoqa::TConfigDocument& doc) {
  zoqa::TUpdaterFiles files{[] { return true; }, [] { return std::string("1.0.0.1"); }, [] {},
                            [] { return true; }};
  zoqa::TConfigEffects e = zoqa::ApplyConfigDocument(doc.Root(), "2.1", zoqa::kFirstToolCode,
                                                     zoqa::kSecondToolCode, files);
  CheckText(e.FirstToolUrl);
  CheckText(e.SecondToolUrl);
  CheckText(e.Update.PackageUrl);
  CheckText(e.Update.UpdaterUrl);
  Check(e.Update.UpdateAvailable || (e.Update.PackageUrl.empty() && !e.Update.Forced));
}

// Two versions never are newer than each other.
void CheckVersions(std::string_view input) {
  std::size_t split = input.find('\n');
  if (split == std::string_view::npos) return;
  std::string_view a = input.substr(0, split), b = input.substr(split + 1);
  Check(!(zoqa::DecimalNewer(a, b) && zoqa::DecimalNewer(b, a)));
  Check(!(zoqa::DottedNewer(a, b) && zoqa::DottedNewer(b, a)));
  Check(!zoqa::DecimalNewer(a, a) && !zoqa::DottedNewer(a, a));
  zoqa::ReadCrc(a);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);

  zoqa::TConfigDocument plain;
  bool parsed = plain.Parse(input);
  Check(parsed == !plain.Root().empty());
  Apply(plain);

  zoqa::TConfigDocument fetched;
  Check(fetched.ParseStream(input) == !fetched.Root().empty());
  Apply(fetched);

  zoqa::TConfigDocument roundTrip;
  Check(roundTrip.ParseStream(zoqa::EncipherStream(input, zoqa::kConfigKey)) == parsed);
  Check(RootName(roundTrip) == RootName(plain));

  CheckVersions(input);
  return 0;
}
