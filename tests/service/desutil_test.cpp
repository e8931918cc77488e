#include "service/desutil.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "util/codepage.h"

namespace zoqa {
namespace {

using namespace std::string_literals;

std::string RandomBytes(std::mt19937& rng, std::size_t n) {
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng() & 0xFF);
  return s;
}

std::string ExpectCipherError(auto operation) {
  try {
    operation();
  } catch (const CipherError& e) {
    return e.what();
  }
  return "no error";
}

TEST(CipherKeys, TextKeyIsTheFirstEightBytesPaddedWithZeros) {
  EXPECT_EQ(TextKey("abc"), (DesKey{'a', 'b', 'c', 0, 0, 0, 0, 0}));
  EXPECT_EQ(TextKey(""), DesKey{});
  EXPECT_EQ(TextKey("qmv3k8rtw"), TextKey("qmv3k8rtXYZ"));
  EXPECT_EQ(EncipherToHex("x", "ab"), EncipherToHex("x", "ab\0\0\0"s));
}

TEST(CipherKeys, StreamKeyAddsEveryByteAtPositionModEight) {
  EXPECT_EQ(StreamKey("abc"), (DesKey{0, 'a', 'b', 'c', 0, 0, 0, 0}));
  // The configuration key: the eighth byte lands in key byte 0, the ninth adds to byte 1.
  EXPECT_EQ(StreamKey("qmv3k8rtw"),
            (DesKey{0x74, 0x71 + 0x77, 0x6D, 0x76, 0x33, 0x6B, 0x38, 0x72}));
  EXPECT_NE(StreamKey("abcdefgh"), StreamKey("habcdefg"));
  DesKey eight = StreamKey("abcdefgh"), nine = StreamKey("abcdefghZ");
  for (int i = 0; i < 8; ++i) EXPECT_EQ(nine[i] - eight[i], i == 1 ? 'Z' : 0) << i;
  EXPECT_EQ(StreamKey(std::string(17, '\xFF'))[1], 0xFD);  // three bytes, wrapped mod 256
}

// Expected hex computed with OpenSSL 3.0 from the derived key and the zero-padded text:
//   printf 'abc\0\0\0\0\0' | openssl enc -des-ecb -nopad -K 6B65790000000000
//     -provider legacy -provider default | xxd -p -u
TEST(CipherText, KnownAnswersAndLengths) {
  EXPECT_EQ(EncipherToHex("abc", "key"), "C44C70EADC715A3D");
  EXPECT_EQ(EncipherToHex("zoqa|2.1", "4hnxwqpe"), "BF0ED479AC933DAF");  // 8 bytes, 16 digits
  std::string nine = Cp936("广州abcde");
  EXPECT_EQ(EncipherToHex(nine, "qmv3k8rtw"), "9EC0EDCE0B0C416EE379F2C4FB9A8CDA");
  EXPECT_EQ(DecipherFromHex("9ec0edce0b0c416ee379f2c4fb9a8cda", "qmv3k8rtw"), nine);
  EXPECT_EQ(EncipherToHex("", "key"), "");
  EXPECT_EQ(DecipherFromHex("", "key"), "");
}

TEST(CipherText, ZeroBytes) {
  EXPECT_EQ(ExpectCipherError([] { EncipherText("ab\0"s, "k"); }),
            "Error: the last char is NULL char.");
  EXPECT_EQ(ExpectCipherError([] { EncipherToHex("\0"s, "k"); }),
            "Error: the last char is NULL char.");
  EXPECT_EQ(DecipherFromHex(EncipherToHex("a\0b"s, "k"), "k"), "a\0b"s);
  // Every trailing zero goes, also a whole zero block, and a partial last block is ignored.
  std::string blocks = "abc\0\0\0\0\0"s + std::string(8, '\0');
  Des(TextKey("k")).EncipherBlocks(blocks.data(), blocks.data(), 2);
  EXPECT_EQ(DecipherText(blocks, "k"), "abc");
  EXPECT_EQ(DecipherText(blocks + "xyz", "k"), "abc");
  EXPECT_EQ(DecipherText("short", "k"), "");
}

TEST(CipherText, HexDigits) {
  std::string hex = EncipherToHex("hello", "k");
  EXPECT_EQ(DecipherFromHex(hex + "F", "k"), "hello");  // an unpaired digit is ignored
  EXPECT_EQ(ExpectCipherError([] { DecipherFromHex("0G", "k"); }), "Error: not a Hex String");
  EXPECT_EQ(ExpectCipherError([&] { DecipherFromHex(hex + " 1", "k"); }),
            "Error: not a Hex String");
  EXPECT_EQ(ExpectCipherError([] { DecipherFromHex("0g1", "k"); }), "Error: not a Hex String");
}

TEST(CipherText, RandomRoundTrips) {
  std::mt19937 rng(1);
  for (std::size_t keyLength = 0; keyLength <= 20; ++keyLength) {
    for (std::size_t n : {1u, 7u, 8u, 9u, 16u, 33u}) {
      std::string key = RandomBytes(rng, keyLength), plain = RandomBytes(rng, n);
      if (plain.back() == '\0') plain.back() = '\x01';
      std::string hex = EncipherToHex(plain, key);
      EXPECT_EQ(hex.size(), (n + 7) / 8 * 16);
      EXPECT_EQ(DecipherFromHex(hex, key), plain);
    }
  }
}

// Stream produced with OpenSSL 3.0 under StreamKey("qmv3k8rtw") = 74E86D76336B3872:
//   printf '<c/>\0\0\0\0' | openssl enc -des-ecb -nopad -K 74E86D76336B3872 ...
TEST(CipherStream, KnownAnswer) {
  std::string stream = "\xEE\x94\x87\x12\xBD\x06\xA5\xEE\x04\0\0\0"s;
  EXPECT_EQ(EncipherStream("<c/>", "qmv3k8rtw"), stream);
  std::string target;
  DecipherStream(stream, target, "qmv3k8rtw");
  EXPECT_EQ(target, "<c/>");
}

TEST(CipherStream, RandomRoundTrips) {
  std::mt19937 rng(2);
  for (std::size_t keyLength = 1; keyLength <= 20; ++keyLength) {
    for (std::size_t n : {0u, 1u, 8u, 15u, 64u, 1000u}) {
      std::string key = RandomBytes(rng, keyLength), plain = RandomBytes(rng, n);
      std::string stream = EncipherStream(plain, key), target;
      EXPECT_EQ(stream.size(), (n + 7) / 8 * 8 + 4);
      DecipherStream(stream, target, key);
      EXPECT_EQ(target, plain);
    }
  }
}

TEST(CipherStream, MalformedStreamsGiveAnEmptyTarget) {
  std::string body = EncipherStream("0123456789", "key").substr(0, 16);
  auto withTrailer = [&](std::string trailer) { return body + trailer; };
  const std::string bad[] = {
      "",
      "\x01\0\0"s,                         // shorter than the trailer
      body.substr(0, 15) + "\x02\0\0\0"s,  // not whole blocks
      withTrailer("\x11\0\0\0"s),          // longer than the deciphered bytes
      withTrailer("\0\0\0\x80"s),          // negative
      withTrailer("\xFF\xFF\xFF\xFF"s),
  };
  for (const std::string& stream : bad) {
    std::string target = "previous";
    DecipherStream(stream, target, "key");
    EXPECT_EQ(target, "") << stream.size();
    EXPECT_FALSE(IsEncipheredStream(stream));
  }
}

TEST(CipherStream, TrailerDecidesTheLength) {
  std::string body = EncipherStream("0123456789ABCDEF", "key").substr(0, 16), target = "x";
  DecipherStream(body + "\x03\0\0\0"s, target, "key");
  EXPECT_EQ(target, "012");
  DecipherStream(body + "\x10\0\0\0"s, target, "key");
  EXPECT_EQ(target, "0123456789ABCDEF");
  DecipherStream("\0\0\0\0"s, target, "key");  // no blocks, length 0: valid and empty
  EXPECT_EQ(target, "");
  EXPECT_TRUE(IsEncipheredStream("\0\0\0\0"s));
}

TEST(CipherStream, EmptyKey) {
  std::string target = "untouched";
  DecipherStream(EncipherStream("abc", "k"), target, "");
  EXPECT_EQ(target, "untouched");
  EXPECT_EQ(ExpectCipherError([] { EncipherStream("abc", ""); }), "Error: the key is empty.");
}

}  // namespace
}  // namespace zoqa
