#include "service/des.h"

namespace zoqa {
namespace {

// The tables as published in FIPS 46-3. Bit positions count from 1, the most significant bit
// of the input first.

// clang-format off
constexpr std::array<std::uint8_t, 64> kInitialPermutation = {
    58, 50, 42, 34, 26, 18, 10, 2,
    60, 52, 44, 36, 28, 20, 12, 4,
    62, 54, 46, 38, 30, 22, 14, 6,
    64, 56, 48, 40, 32, 24, 16, 8,
    57, 49, 41, 33, 25, 17,  9, 1,
    59, 51, 43, 35, 27, 19, 11, 3,
    61, 53, 45, 37, 29, 21, 13, 5,
    63, 55, 47, 39, 31, 23, 15, 7};

constexpr std::array<std::uint8_t, 64> kFinalPermutation = {
    40, 8, 48, 16, 56, 24, 64, 32,
    39, 7, 47, 15, 55, 23, 63, 31,
    38, 6, 46, 14, 54, 22, 62, 30,
    37, 5, 45, 13, 53, 21, 61, 29,
    36, 4, 44, 12, 52, 20, 60, 28,
    35, 3, 43, 11, 51, 19, 59, 27,
    34, 2, 42, 10, 50, 18, 58, 26,
    33, 1, 41,  9, 49, 17, 57, 25};

constexpr std::array<std::uint8_t, 48> kExpansion = {
    32,  1,  2,  3,  4,  5,
     4,  5,  6,  7,  8,  9,
     8,  9, 10, 11, 12, 13,
    12, 13, 14, 15, 16, 17,
    16, 17, 18, 19, 20, 21,
    20, 21, 22, 23, 24, 25,
    24, 25, 26, 27, 28, 29,
    28, 29, 30, 31, 32,  1};

constexpr std::array<std::uint8_t, 32> kPermutation = {
    16,  7, 20, 21,
    29, 12, 28, 17,
     1, 15, 23, 26,
     5, 18, 31, 10,
     2,  8, 24, 14,
    32, 27,  3,  9,
    19, 13, 30,  6,
    22, 11,  4, 25};
// clang-format on

// kSBoxes[box][row][column].
constexpr std::uint8_t kSBoxes[8][4][16] = {
    {{14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7},
     {0, 15, 7, 4, 14, 2, 13, 1, 10, 6, 12, 11, 9, 5, 3, 8},
     {4, 1, 14, 8, 13, 6, 2, 11, 15, 12, 9, 7, 3, 10, 5, 0},
     {15, 12, 8, 2, 4, 9, 1, 7, 5, 11, 3, 14, 10, 0, 6, 13}},
    {{15, 1, 8, 14, 6, 11, 3, 4, 9, 7, 2, 13, 12, 0, 5, 10},
     {3, 13, 4, 7, 15, 2, 8, 14, 12, 0, 1, 10, 6, 9, 11, 5},
     {0, 14, 7, 11, 10, 4, 13, 1, 5, 8, 12, 6, 9, 3, 2, 15},
     {13, 8, 10, 1, 3, 15, 4, 2, 11, 6, 7, 12, 0, 5, 14, 9}},
    {{10, 0, 9, 14, 6, 3, 15, 5, 1, 13, 12, 7, 11, 4, 2, 8},
     {13, 7, 0, 9, 3, 4, 6, 10, 2, 8, 5, 14, 12, 11, 15, 1},
     {13, 6, 4, 9, 8, 15, 3, 0, 11, 1, 2, 12, 5, 10, 14, 7},
     {1, 10, 13, 0, 6, 9, 8, 7, 4, 15, 14, 3, 11, 5, 2, 12}},
    {{7, 13, 14, 3, 0, 6, 9, 10, 1, 2, 8, 5, 11, 12, 4, 15},
     {13, 8, 11, 5, 6, 15, 0, 3, 4, 7, 2, 12, 1, 10, 14, 9},
     {10, 6, 9, 0, 12, 11, 7, 13, 15, 1, 3, 14, 5, 2, 8, 4},
     {3, 15, 0, 6, 10, 1, 13, 8, 9, 4, 5, 11, 12, 7, 2, 14}},
    {{2, 12, 4, 1, 7, 10, 11, 6, 8, 5, 3, 15, 13, 0, 14, 9},
     {14, 11, 2, 12, 4, 7, 13, 1, 5, 0, 15, 10, 3, 9, 8, 6},
     {4, 2, 1, 11, 10, 13, 7, 8, 15, 9, 12, 5, 6, 3, 0, 14},
     {11, 8, 12, 7, 1, 14, 2, 13, 6, 15, 0, 9, 10, 4, 5, 3}},
    {{12, 1, 10, 15, 9, 2, 6, 8, 0, 13, 3, 4, 14, 7, 5, 11},
     {10, 15, 4, 2, 7, 12, 9, 5, 6, 1, 13, 14, 0, 11, 3, 8},
     {9, 14, 15, 5, 2, 8, 12, 3, 7, 0, 4, 10, 1, 13, 11, 6},
     {4, 3, 2, 12, 9, 5, 15, 10, 11, 14, 1, 7, 6, 0, 8, 13}},
    {{4, 11, 2, 14, 15, 0, 8, 13, 3, 12, 9, 7, 5, 10, 6, 1},
     {13, 0, 11, 7, 4, 9, 1, 10, 14, 3, 5, 12, 2, 15, 8, 6},
     {1, 4, 11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5, 9, 2},
     {6, 11, 13, 8, 1, 4, 10, 7, 9, 5, 0, 15, 14, 2, 3, 12}},
    {{13, 2, 8, 4, 6, 15, 11, 1, 10, 9, 3, 14, 5, 0, 12, 7},
     {1, 15, 13, 8, 10, 3, 7, 4, 12, 5, 6, 11, 0, 14, 9, 2},
     {7, 11, 4, 1, 9, 12, 14, 2, 0, 6, 10, 13, 15, 3, 5, 8},
     {2, 1, 14, 7, 4, 10, 8, 13, 15, 12, 9, 0, 3, 5, 6, 11}}};

// clang-format off
constexpr std::array<std::uint8_t, 56> kPermutedChoice1 = {
    57, 49, 41, 33, 25, 17,  9,
     1, 58, 50, 42, 34, 26, 18,
    10,  2, 59, 51, 43, 35, 27,
    19, 11,  3, 60, 52, 44, 36,
    63, 55, 47, 39, 31, 23, 15,
     7, 62, 54, 46, 38, 30, 22,
    14,  6, 61, 53, 45, 37, 29,
    21, 13,  5, 28, 20, 12,  4};

constexpr std::array<std::uint8_t, 48> kPermutedChoice2 = {
    14, 17, 11, 24,  1,  5,
     3, 28, 15,  6, 21, 10,
    23, 19, 12,  4, 26,  8,
    16,  7, 27, 20, 13,  2,
    41, 52, 31, 37, 47, 55,
    30, 40, 51, 45, 33, 48,
    44, 49, 39, 56, 34, 53,
    46, 42, 50, 36, 29, 32};
// clang-format on

constexpr std::array<int, 16> kLeftShifts = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

// Output bit k (from the top) is input bit table[k] of an `inBits`-bit input.
template <std::size_t N>
constexpr std::uint64_t Permute(std::uint64_t in, int inBits,
                                const std::array<std::uint8_t, N>& table) {
  std::uint64_t out = 0;
  for (std::uint8_t from : table) out = (out << 1) | ((in >> (inBits - from)) & 1);
  return out;
}

// A 64-bit permutation split by input byte: the result is the OR of one entry per byte.
using ByteTables = std::array<std::array<std::uint64_t, 256>, 8>;

constexpr ByteTables MakeByteTables(const std::array<std::uint8_t, 64>& table) {
  ByteTables tables{};
  for (int byte = 0; byte < 8; ++byte) {
    for (std::uint64_t value = 0; value < 256; ++value) {
      tables[byte][value] = Permute(value << (56 - 8 * byte), 64, table);
    }
  }
  return tables;
}

// Substitution box `box` followed by the permutation P, indexed by the box's 6-bit input
// as it comes out of the expansion (row from the outer two bits, column from the inner four).
using SpTables = std::array<std::array<std::uint32_t, 64>, 8>;

constexpr SpTables MakeSpTables() {
  SpTables tables{};
  for (int box = 0; box < 8; ++box) {
    for (int in = 0; in < 64; ++in) {
      int row = ((in >> 4) & 2) | (in & 1);
      int column = (in >> 1) & 15;
      std::uint64_t word = std::uint64_t{kSBoxes[box][row][column]} << (28 - 4 * box);
      tables[box][in] = static_cast<std::uint32_t>(Permute(word, 32, kPermutation));
    }
  }
  return tables;
}

constexpr ByteTables kIpTables = MakeByteTables(kInitialPermutation);
constexpr ByteTables kFpTables = MakeByteTables(kFinalPermutation);
constexpr SpTables kSpTables = MakeSpTables();

// The round function reads the expansion's groups straight off the half block: group i is
// input bits 4i .. 4i+5, counted cyclically (bit 0 being bit 32). Check that the table says so.
constexpr bool ExpansionIsCyclicWindows() {
  for (int k = 0; k < 48; ++k) {
    if (kExpansion[k] != (4 * (k / 6) + k % 6 + 31) % 32 + 1) return false;
  }
  return true;
}
static_assert(ExpansionIsCyclicWindows());

constexpr bool FinalPermutationInvertsInitial() {
  for (int k = 0; k < 64; ++k) {
    if (kInitialPermutation[kFinalPermutation[k] - 1] != k + 1) return false;
  }
  return true;
}
static_assert(FinalPermutationInvertsInitial());

constexpr bool SBoxRowsArePermutations() {
  for (const auto& box : kSBoxes) {
    for (const auto& row : box) {
      unsigned seen = 0;
      for (std::uint8_t v : row) seen |= 1u << v;
      if (seen != 0xFFFF) return false;
    }
  }
  return true;
}
static_assert(SBoxRowsArePermutations());

std::uint64_t ApplyByteTables(const ByteTables& tables, std::uint64_t in) {
  std::uint64_t out = 0;
  for (int byte = 0; byte < 8; ++byte) out |= tables[byte][(in >> (56 - 8 * byte)) & 0xFF];
  return out;
}

template <typename RoundKey>
std::uint32_t RoundFunction(std::uint32_t half, const RoundKey& key) {
  // 34 bits: bit 32 of the half, the half itself, then its bit 1 again; the expansion's
  // eight 6-bit groups are the windows of this value at steps of 4 bits.
  std::uint64_t wrapped =
      (std::uint64_t{half & 1} << 33) | (std::uint64_t{half} << 1) | (half >> 31);
  std::uint32_t out = 0;
  for (int box = 0; box < 8; ++box) {
    out |= kSpTables[box][((wrapped >> (28 - 4 * box)) & 0x3F) ^ key[box]];
  }
  return out;
}

std::uint32_t Rotate28(std::uint32_t half, int shift) {
  return ((half << shift) | (half >> (28 - shift))) & 0x0FFFFFFF;
}

std::uint64_t LoadBlock(const unsigned char* in) {
  std::uint64_t block = 0;
  for (int i = 0; i < 8; ++i) block = (block << 8) | in[i];
  return block;
}

void StoreBlock(std::uint64_t block, unsigned char* out) {
  for (int i = 7; i >= 0; --i, block >>= 8) out[i] = static_cast<unsigned char>(block);
}

}  // namespace

Des::Des(const DesKey& key) {
  std::uint64_t cd = Permute(LoadBlock(key.data()), 64, kPermutedChoice1);
  auto c = static_cast<std::uint32_t>(cd >> 28);
  auto d = static_cast<std::uint32_t>(cd & 0x0FFFFFFF);
  for (int round = 0; round < 16; ++round) {
    c = Rotate28(c, kLeftShifts[round]);
    d = Rotate28(d, kLeftShifts[round]);
    std::uint64_t k = Permute((std::uint64_t{c} << 28) | d, 56, kPermutedChoice2);
    for (int box = 0; box < 8; ++box) {
      rounds_[round][box] = static_cast<std::uint8_t>((k >> (42 - 6 * box)) & 0x3F);
    }
  }
}

std::uint64_t Des::Encipher(std::uint64_t block) const {
  return Crypt(block, false);
}

std::uint64_t Des::Decipher(std::uint64_t block) const {
  return Crypt(block, true);
}

void Des::EncipherBlocks(const void* in, void* out, std::size_t count) const {
  CryptBlocks(in, out, count, false);
}

void Des::DecipherBlocks(const void* in, void* out, std::size_t count) const {
  CryptBlocks(in, out, count, true);
}

std::uint64_t Des::Crypt(std::uint64_t block, bool decipher) const {
  std::uint64_t x = ApplyByteTables(kIpTables, block);
  auto left = static_cast<std::uint32_t>(x >> 32);
  auto right = static_cast<std::uint32_t>(x);
  for (int round = 0; round < 16; ++round) {
    std::uint32_t next = left ^ RoundFunction(right, rounds_[decipher ? 15 - round : round]);
    left = right;
    right = next;
  }
  // The halves are not swapped after the last round.
  return ApplyByteTables(kFpTables, (std::uint64_t{right} << 32) | left);
}

void Des::CryptBlocks(const void* in, void* out, std::size_t count, bool decipher) const {
  auto src = static_cast<const unsigned char*>(in);
  auto dst = static_cast<unsigned char*>(out);
  for (std::size_t i = 0; i < count; ++i, src += 8, dst += 8) {
    StoreBlock(Crypt(LoadBlock(src), decipher), dst);
  }
}

}  // namespace zoqa
