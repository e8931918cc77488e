#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/testsupport.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

using namespace std::string_literals;
using test::RunCli;
using ::testing::HasSubstr;

TEST(CliService, ConfigPackAndUnpackAreBinarySafe) {
  std::string plain = "<cfg>\r\n\0\x1A\xFF\xB9\xE3</cfg>"s;
  auto packed = RunCli({"config-pack", "qmv3k8rtw"}, plain);
  ASSERT_EQ(packed.exitCode, 0) << packed.err;
  // DES-ECB of the zero-padded text under the folded key 74E86D76336B3872, then the length.
  EXPECT_EQ(packed.out,
            "\x3C\x30\x11\xC7\x5B\x6D\x50\x17\x0E\x8C\x50\xC0\x42\x53\x1B\x68"
            "\x58\x96\x3A\x57\x25\x1E\xEC\xB8\x12\x00\x00\x00"s);
  auto unpacked = RunCli({"config-unpack", "qmv3k8rtw"}, packed.out);
  EXPECT_EQ(unpacked.exitCode, 0);
  EXPECT_EQ(unpacked.out, plain);
  EXPECT_EQ(unpacked.err, "");
}

TEST(CliService, ConfigUnpackOfInvalidDataIsEmptyButSucceeds) {
  auto result = RunCli({"config-unpack", "qmv3k8rtw"}, "<html>404</html>");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("not a valid enciphered stream"), std::string::npos);
}

TEST(CliService, BadArgumentsPrintUsage) {
  EXPECT_EQ(RunCli({"config-pack"}).exitCode, 2);
  EXPECT_EQ(RunCli({"config-unpack", ""}).exitCode, 2);
  EXPECT_EQ(RunCli({"hex-encipher", "key"}).exitCode, 2);
  EXPECT_EQ(RunCli({"hex-decipher", "key", "00", "extra"}).exitCode, 2);
}

TEST(CliService, HexTokensConvertBetweenUtf8AndCodePage936) {
  auto enciphered = RunCli({"hex-encipher", "4hnxwqpe", "广州 电子公司"});
  ASSERT_EQ(enciphered.exitCode, 0) << enciphered.err;
  // DES-ECB of B9E3D6DD20B5E7D7D3B9ABCBBE (the code page bytes), zero-padded to two blocks.
  const std::string hex = "871E3554691120E00AD36468D2BDF033";
  EXPECT_EQ(enciphered.out, hex + "\n");
  auto deciphered = RunCli({"hex-decipher", "4hnxwqpe", AsciiLower(hex)});
  EXPECT_EQ(deciphered.exitCode, 0);
  EXPECT_EQ(deciphered.out, "广州 电子公司\n");
}

TEST(CliService, TextsAndKeysTheCodePageCannotHoldAreRefused) {
  // "✓" would become "?", giving the token of another text.
  auto text = RunCli({"hex-encipher", "4hnxwqpe", "\xE2\x9C\x93"});
  EXPECT_EQ(text.exitCode, 2);
  EXPECT_THAT(text.err, HasSubstr("\xE2\x9C\x93"));
  EXPECT_THAT(text.err, HasSubstr("U+2713"));
  EXPECT_EQ(text.out, "");
  EXPECT_EQ(RunCli({"hex-encipher", "\xF0\x9F\x98\x80", "abc"}).exitCode, 2);
  EXPECT_EQ(RunCli({"hex-decipher", "\xE2\x9C\x93", "00"}).exitCode, 2);
  EXPECT_EQ(RunCli({"config-pack", "k\xE2\x9C\x93"}, "x").exitCode, 2);
  EXPECT_EQ(RunCli({"hex-encipher", "4hnxwqpe", "?"}).exitCode, 0);
}

TEST(CliService, HexErrorsExitWithStatusOne) {
  auto result = RunCli({"hex-decipher", "key", "0G"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Error: not a Hex String\n");
  EXPECT_EQ(result.out, "");
}

}  // namespace
}  // namespace zoqa
