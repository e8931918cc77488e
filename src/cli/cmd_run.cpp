#include <cstdio>

#include "cli/commands.h"

namespace zoqa::cli {

int CmdRun(const Args&) {
  std::fputs("not available yet\n", stderr);
  return 1;
}

}  // namespace zoqa::cli
