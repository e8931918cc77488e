#include <gtest/gtest.h>

#include <string>

#include "service/desutil.h"
#include "support/testsupport.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

using namespace std::string_literals;
using test::RunCli;

TEST(CliService, ConfigPackAndUnpackAreBinarySafe) {
  std::string plain = "<cfg>\r\n\0\x1A\xFF\xB9\xE3</cfg>"s;
  auto packed = RunCli({"config-pack", "qmv3k8rtw"}, plain);
  ASSERT_EQ(packed.exitCode, 0) << packed.err;
  EXPECT_EQ(packed.out, EncipherStream(plain, "qmv3k8rtw"));
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
  std::string hex = EncipherToHex(Cp936("广州 电子公司"), "4hnxwqpe");
  EXPECT_EQ(enciphered.out, hex + "\n");
  auto deciphered = RunCli({"hex-decipher", "4hnxwqpe", AsciiLower(hex)});
  EXPECT_EQ(deciphered.exitCode, 0);
  EXPECT_EQ(deciphered.out, "广州 电子公司\n");
}

TEST(CliService, HexErrorsExitWithStatusOne) {
  auto result = RunCli({"hex-decipher", "key", "0G"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Error: not a Hex String\n");
  EXPECT_EQ(result.out, "");
}

}  // namespace
}  // namespace zoqa
