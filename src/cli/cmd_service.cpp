// The service-link tools: the enciphered stream format (stdin to stdout, raw bytes) and the
// hex tokens (UTF-8 on the terminal, code page 936 bytes inside).
#include <cstdio>
#include <stdexcept>
#include <string>

#include "cli/argtext.h"
#include "cli/commands.h"
#include "service/desutil.h"
#include "util/codepage.h"

namespace zoqa::cli {
namespace {

// The key of a stream command: one non-empty argument.
std::string StreamKeyArgument(const Args& args) {
  if (args.size() != 1) throw UsageError("");
  if (args[0].empty()) throw UsageError("KEY must not be empty");
  return Cp936Argument(args[0], "KEY");
}

std::string ReadStdin() {
  std::string data;
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) data.append(buffer, n);
  if (std::ferror(stdin)) throw std::runtime_error("cannot read the standard input");
  return data;
}

void WriteStdout(const std::string& data) {
  if (std::fwrite(data.data(), 1, data.size(), stdout) != data.size() || std::fflush(stdout)) {
    throw std::runtime_error("cannot write the standard output");
  }
}

}  // namespace

int CmdConfigPack(const Args& args) {
  std::string key = StreamKeyArgument(args);
  WriteStdout(EncipherStream(ReadStdin(), key));
  return 0;
}

int CmdConfigUnpack(const Args& args) {
  std::string key = StreamKeyArgument(args);
  std::string stream = ReadStdin(), plain;
  // Invalid data gives an empty result and still succeeds, as for the program itself.
  if (!IsEncipheredStream(stream)) std::fputs("not a valid enciphered stream\n", stderr);
  DecipherStream(stream, plain, key);
  WriteStdout(plain);
  return 0;
}

int CmdHexEncipher(const Args& args) {
  if (args.size() != 2) throw UsageError("");
  std::string hex = EncipherToHex(Cp936Argument(args[1], "TEXT"), Cp936Argument(args[0], "KEY"));
  WriteStdout(hex + "\n");
  return 0;
}

int CmdHexDecipher(const Args& args) {
  if (args.size() != 2) throw UsageError("");
  std::string plain = DecipherFromHex(args[1], Cp936Argument(args[0], "KEY"));
  WriteStdout(Cp936ToUtf8(plain) + "\n");
  return 0;
}

}  // namespace zoqa::cli
