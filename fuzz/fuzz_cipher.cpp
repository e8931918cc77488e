// The service link's cipher formats over arbitrary input: the enciphered stream check and
// decoding, hex tokens, and the round trips through the enciphering side. The first input
// byte chooses the key's length, the key follows, the rest is the data.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "service/desutil.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void FuzzStream(std::string_view data, std::string_view key) {
  std::string plain = "unchanged";
  zoqa::DecipherStream(data, plain, key);
  if (key.empty()) {
    Check(plain == "unchanged");
  } else if (!zoqa::IsEncipheredStream(data)) {
    Check(plain.empty());
  } else {
    Check(plain.size() + 4 <= data.size());
  }
  if (key.empty()) return;
  std::string back;
  zoqa::DecipherStream(zoqa::EncipherStream(data, key), back, key);
  Check(back == data);
}

void FuzzHex(std::string_view data, std::string_view key) {
  try {
    std::string plain = zoqa::DecipherFromHex(data, key);
    Check(plain.empty() || plain.back() != '\0');
  } catch (const zoqa::CipherError&) {
  }
  if (data.empty() || data.back() == '\0') return;
  Check(zoqa::DecipherFromHex(zoqa::EncipherToHex(data, key), key) == data);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) return 0;
  std::string_view input(reinterpret_cast<const char*>(bytes) + 1, size - 1);
  std::size_t keyLength = std::min<std::size_t>(bytes[0] % 24, input.size());
  std::string_view key = input.substr(0, keyLength);
  std::string_view data = input.substr(keyLength);
  FuzzStream(data, key);
  FuzzHex(data, key);
  return 0;
}
