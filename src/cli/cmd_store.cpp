#include <cstdio>

#include "cli/commands.h"

namespace zoqa::cli {

int CmdAdd(const Args&) {
  std::fputs("not available yet\n", stderr);
  return 1;
}

int CmdList(const Args&) {
  std::fputs("not available yet\n", stderr);
  return 1;
}

int CmdCompanies(const Args&) {
  std::fputs("not available yet\n", stderr);
  return 1;
}

int CmdExport(const Args&) {
  std::fputs("not available yet\n", stderr);
  return 1;
}

int CmdDelete(const Args&) {
  std::fputs("not available yet\n", stderr);
  return 1;
}

int CmdClear(const Args&) {
  std::fputs("not available yet\n", stderr);
  return 1;
}

}  // namespace zoqa::cli
