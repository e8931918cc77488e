// The DES block cipher (FIPS 46-3) in electronic-codebook use: every 8-byte block on its own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zoqa {

// An 8-byte DES key; the low bit of every byte (the parity bit) is ignored.
using DesKey = std::array<std::uint8_t, 8>;

// One DES key schedule. The schedule is built once by the constructor and only read
// afterwards, so one object may serve many blocks and several threads at once; the
// substitution tables it uses are constant.
class Des {
 public:
  explicit Des(const DesKey& key);

  // A block as a 64-bit number: the first byte is the most significant one, so bit 1 of the
  // standard is the number's top bit.
  std::uint64_t Encipher(std::uint64_t block) const;
  std::uint64_t Decipher(std::uint64_t block) const;

  // `count` consecutive 8-byte blocks from `in` to `out`; `in` and `out` may be the same.
  void EncipherBlocks(const void* in, void* out, std::size_t count) const;
  void DecipherBlocks(const void* in, void* out, std::size_t count) const;

 private:
  // The 48-bit round key as eight 6-bit groups, one per substitution box.
  using RoundKey = std::array<std::uint8_t, 8>;

  std::uint64_t Crypt(std::uint64_t block, bool decipher) const;
  void CryptBlocks(const void* in, void* out, std::size_t count, bool decipher) const;

  std::array<RoundKey, 16> rounds_;
};

}  // namespace zoqa
