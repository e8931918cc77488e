#include <cstdio>

#include "cli/commands.h"

namespace zoqa::cli {

int CmdExtract(const Args&) {
  std::fputs("not available yet\n", stderr);
  return 1;
}

}  // namespace zoqa::cli
