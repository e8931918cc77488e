#include "service/des.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace zoqa {
namespace {

DesKey KeyOf(std::uint64_t value) {
  DesKey key;
  for (int i = 7; i >= 0; --i, value >>= 8) key[i] = static_cast<std::uint8_t>(value);
  return key;
}

struct Vector {
  std::uint64_t key, plain, cipher;
};

// Single-block known answers. Sources: the worked example of FIPS 81 ("Now is t"); the
// textbook example with key 133457799BBCDFF1; entries of the NBS SP 500-20 validation sets
// (variable plaintext and variable key under the all-zero key, substitution set); the weak
// keys 0101..01, FEFE..FE, 1F1F1F1F0E0E0E0E and the semi-weak key E0FEE0FEF1FEF1FE. Every
// entry was also checked by hand against OpenSSL 3.0:
//   openssl enc -des-ecb -nopad -K <key> -provider legacy -provider default
const Vector kKnownAnswers[] = {
    {0x0123456789ABCDEF, 0x4E6F772069732074, 0x3FA40E8A984D4815},
    {0x133457799BBCDFF1, 0x0123456789ABCDEF, 0x85E813540F0AB405},
    {0x0101010101010101, 0x8000000000000000, 0x95F8A5E5DD31D900},
    {0x0101010101010101, 0x4000000000000000, 0xDD7F121CA5015619},
    {0x0101010101010101, 0x0000000000000001, 0x166B40B44ABA4BD6},
    {0x8001010101010101, 0x0000000000000000, 0x95A8D72813DAA94D},
    {0x0101010101010180, 0x0000000000000000, 0x9CC62DF43B6EED74},
    {0x0E329232EA6D0D73, 0x8787878787878787, 0x0000000000000000},
    {0x7CA110454A1A6E57, 0x01A1D6D039776742, 0x690F5B0D9A26939B},
    {0x0131D9619DC1376E, 0x5CD54CA83DEF57DA, 0x7A389D10354BD271},
    {0x0101010101010101, 0x0000000000000000, 0x8CA64DE9C1B123A7},
    {0xFEFEFEFEFEFEFEFE, 0xFFFFFFFFFFFFFFFF, 0x7359B2163E4EDC58},
    {0x1F1F1F1F0E0E0E0E, 0x0123456789ABCDEF, 0xDB958605F8C8C606},
    {0xE0FEE0FEF1FEF1FE, 0x0123456789ABCDEF, 0xEDBFD1C66C29CCC7},
};

TEST(Des, KnownAnswersBothWays) {
  for (const Vector& v : kKnownAnswers) {
    Des des(KeyOf(v.key));
    EXPECT_EQ(des.Encipher(v.plain), v.cipher) << std::hex << v.key;
    EXPECT_EQ(des.Decipher(v.cipher), v.plain) << std::hex << v.key;
  }
}

// Rivest's test ("Testing implementations of DES", 1985): sixteen steps that encipher (even
// steps) or decipher (odd steps) the block with itself as key exercise every table entry
// that matters. The end value was reproduced with OpenSSL 3.0 as above.
TEST(Des, RivestChain) {
  std::uint64_t x = 0x9474B8E8C73BCA7D;
  for (int i = 0; i < 16; ++i) {
    Des des(KeyOf(x));
    x = i % 2 == 0 ? des.Encipher(x) : des.Decipher(x);
  }
  EXPECT_EQ(x, 0x1B1A2DDB4C642438u);
}

TEST(Des, WeakKeysAreTheirOwnInverse) {
  for (std::uint64_t key :
       {0x0101010101010101u, 0xFEFEFEFEFEFEFEFEu, 0xE0E0E0E0F1F1F1F1u, 0x1F1F1F1F0E0E0E0Eu}) {
    Des des(KeyOf(key));
    EXPECT_EQ(des.Encipher(des.Encipher(0x0123456789ABCDEF)), 0x0123456789ABCDEFu);
  }
}

TEST(Des, ParityBitsAndComplementProperty) {
  std::mt19937_64 rng(7);
  for (int i = 0; i < 50; ++i) {
    std::uint64_t key = rng(), block = rng();
    std::uint64_t cipher = Des(KeyOf(key)).Encipher(block);
    EXPECT_EQ(Des(KeyOf(key ^ 0x0101010101010101)).Encipher(block), cipher);
    EXPECT_EQ(Des(KeyOf(~key)).Encipher(~block), ~cipher);
  }
}

TEST(Des, BlockRunsMatchSingleBlocksAndWorkInPlace) {
  Des des(KeyOf(0x133457799BBCDFF1));
  std::string plain =
      "\x01\x23\x45\x67\x89\xAB\xCD\xEF"
      "abcdefgh";
  std::string cipher(plain.size(), '\0');
  des.EncipherBlocks(plain.data(), cipher.data(), 2);
  EXPECT_EQ(cipher.substr(0, 8), "\x85\xE8\x13\x54\x0F\x0A\xB4\x05");
  std::string second(8, '\0');
  des.EncipherBlocks(plain.data() + 8, second.data(), 1);
  EXPECT_EQ(cipher.substr(8), second);
  des.DecipherBlocks(cipher.data(), cipher.data(), 2);
  EXPECT_EQ(cipher, plain);
}

TEST(Des, IndependentSchedulesOnSeveralThreads) {
  auto work = [](std::uint64_t seed, std::uint64_t* out) {
    std::uint64_t x = seed;
    for (int i = 0; i < 2000; ++i) x = Des(KeyOf(x)).Encipher(x);
    *out = x;
  };
  std::vector<std::uint64_t> serial(4), parallel(4);
  for (int t = 0; t < 4; ++t) work(t + 1, &serial[t]);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) threads.emplace_back(work, t + 1, &parallel[t]);
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(parallel, serial);
}

}  // namespace
}  // namespace zoqa
