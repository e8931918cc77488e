// The subcommands of zoqa-cli. Each takes the arguments after its name (UTF-8) and returns
// the process exit status; a command throws UsageError when its arguments are wrong.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace zoqa::cli {

using Args = std::vector<std::string>;

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

int CmdExtract(const Args& args);
int CmdResults(const Args& args);

int CmdAdd(const Args& args);
int CmdList(const Args& args);
int CmdCompanies(const Args& args);
int CmdExport(const Args& args);
int CmdDelete(const Args& args);
int CmdClear(const Args& args);

int CmdStore(const Args& args);

int CmdStart(const Args& args);
int CmdPause(const Args& args);
int CmdStop(const Args& args);
int CmdTasks(const Args& args);
int CmdWorker(const Args& args);

int CmdRun(const Args& args);
int CmdProxies(const Args& args);

int CmdConfigPack(const Args& args);
int CmdConfigUnpack(const Args& args);
int CmdHexEncipher(const Args& args);
int CmdHexDecipher(const Args& args);

}  // namespace zoqa::cli
