#include "service/desutil.h"

#include <cstdint>

namespace zoqa {
namespace {

constexpr std::size_t kBlock = 8;
constexpr std::size_t kTrailer = 4;
constexpr std::uint32_t kMaxStreamLength = 0x7FFFFFFF;

const char kLastCharNull[] = "Error: the last char is NULL char.";
const char kNotHex[] = "Error: not a Hex String";
const char kEmptyKey[] = "Error: the key is empty.";
const char kTooLong[] = "Error: the text is too long.";

// `text` padded with zero bytes to whole blocks and enciphered.
std::string EncipherPadded(std::string_view text, const Des& des) {
  std::string out(text);
  out.resize((text.size() + kBlock - 1) / kBlock * kBlock, '\0');
  des.EncipherBlocks(out.data(), out.data(), out.size() / kBlock);
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string ToHex(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex(bytes.size() * 2, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    auto b = static_cast<unsigned char>(bytes[i]);
    hex[2 * i] = kDigits[b >> 4];
    hex[2 * i + 1] = kDigits[b & 15];
  }
  return hex;
}

std::string FromHex(std::string_view hex) {
  std::string bytes(hex.size() / 2, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    int high = HexValue(hex[2 * i]);
    int low = HexValue(hex[2 * i + 1]);
    if (high < 0 || low < 0) throw CipherError(kNotHex);
    bytes[i] = static_cast<char>(high << 4 | low);
  }
  return bytes;
}

std::uint32_t ReadTrailer(std::string_view source) {
  std::uint32_t length = 0;
  for (std::size_t i = kTrailer; i-- > 0;) {
    length = length << 8 | static_cast<unsigned char>(source[source.size() - kTrailer + i]);
  }
  return length;
}

void AppendTrailer(std::string& out, std::uint32_t length) {
  for (std::size_t i = 0; i < kTrailer; ++i, length >>= 8) out.push_back(static_cast<char>(length));
}

}  // namespace

DesKey TextKey(std::string_view key) {
  DesKey out{};
  for (std::size_t i = 0; i < out.size() && i < key.size(); ++i) {
    out[i] = static_cast<std::uint8_t>(key[i]);
  }
  return out;
}

DesKey StreamKey(std::string_view key) {
  DesKey out{};
  for (std::size_t i = 0; i < key.size(); ++i) {
    out[(i + 1) % out.size()] += static_cast<std::uint8_t>(key[i]);
  }
  return out;
}

std::string EncipherText(std::string_view plain, std::string_view key) {
  if (!plain.empty() && plain.back() == '\0') throw CipherError(kLastCharNull);
  return EncipherPadded(plain, Des(TextKey(key)));
}

std::string DecipherText(std::string_view cipher, std::string_view key) {
  std::string out(cipher.substr(0, cipher.size() / kBlock * kBlock));
  Des(TextKey(key)).DecipherBlocks(out.data(), out.data(), out.size() / kBlock);
  std::size_t end = out.find_last_not_of('\0');
  out.resize(end == std::string::npos ? 0 : end + 1);
  return out;
}

std::string EncipherToHex(std::string_view plain, std::string_view key) {
  return ToHex(EncipherText(plain, key));
}

std::string DecipherFromHex(std::string_view hex, std::string_view key) {
  return DecipherText(FromHex(hex), key);
}

bool IsEncipheredStream(std::string_view source) {
  if (source.size() < kTrailer) return false;
  std::size_t blocks = source.size() - kTrailer;
  std::uint32_t length = ReadTrailer(source);
  return blocks % kBlock == 0 && length <= kMaxStreamLength && length <= blocks;
}

void DecipherStream(std::string_view source, std::string& target, std::string_view key) {
  if (key.empty()) return;
  std::string out;
  try {
    if (IsEncipheredStream(source)) {
      std::uint32_t length = ReadTrailer(source);
      out.assign(source.substr(0, source.size() - kTrailer));
      Des(StreamKey(key)).DecipherBlocks(out.data(), out.data(), out.size() / kBlock);
      out.resize(length);
    }
  } catch (...) {
    // Only allocation can fail here; the caller sees an empty result, as for bad data.
    out.clear();
  }
  target.swap(out);
}

std::string EncipherStream(std::string_view plain, std::string_view key) {
  if (key.empty()) throw CipherError(kEmptyKey);
  if (plain.size() > kMaxStreamLength) throw CipherError(kTooLong);
  std::string out = EncipherPadded(plain, Des(StreamKey(key)));
  AppendTrailer(out, static_cast<std::uint32_t>(plain.size()));
  return out;
}

}  // namespace zoqa
