// zoqa-cli started by the bench programs as a child process of their own.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace zoqa::bench {

// Starts zoqa-cli with `--home home` and `args`; its stderr is dropped and its stdout goes to
// `stdoutPath`. The argument list is built before the fork, so the child only redirects and
// executes.
inline pid_t SpawnCli(const std::string& home, std::vector<std::string> args,
                      const std::string& stdoutPath = "/dev/null") {
  args.insert(args.begin(), {"zoqa-cli", "--home", home});
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stderr);
    std::freopen(stdoutPath.c_str(), "w", stdout);
    execv(ZOQA_CLI_PATH, argv.data());
    _exit(127);
  }
  return pid;
}

}  // namespace zoqa::bench
