#include <cstdio>

#include "cli/commands.h"

namespace zoqa::cli {

int CmdConfigPack(const Args&) {
  std::fputs("not available yet\n", stderr);
  return 1;
}

int CmdConfigUnpack(const Args&) {
  std::fputs("not available yet\n", stderr);
  return 1;
}

int CmdHexEncipher(const Args&) {
  std::fputs("not available yet\n", stderr);
  return 1;
}

int CmdHexDecipher(const Args&) {
  std::fputs("not available yet\n", stderr);
  return 1;
}

}  // namespace zoqa::cli
