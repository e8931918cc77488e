// Whole zoqa-cli processes over one keyword of 100,000 and of 1,000,000 companies: the .txt
// and .xlsx exports and `companies --json`, each with its wall time and peak resident memory
// (the child's maximum RSS). The keyword's companies are read through the store's cursor, so
// the memory should not grow with their number.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <chrono>
#include <string>
#include <vector>

#include "benchhome.h"

namespace {

using namespace zoqa;

// Runs zoqa-cli with `args` (stdout to /dev/null); returns the child's peak RSS in KiB, or -1
// when it failed.
long RunCli(const std::vector<std::string>& args) {
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    std::vector<char*> argv{const_cast<char*>("zoqa-cli")};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(ZOQA_CLI_PATH, argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return -1;
  }
  return usage.ru_maxrss;
}

// arg 0: companies; what the command is comes from the benchmark's own arguments.
void RunCommand(benchmark::State& state, std::vector<std::string> command) {
  std::string home = bench::KeywordHome(state.range(0)).string();
  std::vector<std::string> args{"--home", home};
  for (std::string& arg : command) {
    if (arg.starts_with("@")) arg = home + "/" + arg.substr(1);
    args.push_back(arg);
  }
  long peak = 0;
  for (auto _ : state) {
    long rss = RunCli(args);
    if (rss < 0) state.SkipWithError("zoqa-cli failed");
    peak = std::max(peak, rss);
  }
  state.counters["peak_MB"] = static_cast<double>(peak) / 1024.0;
}

void BM_ExportTxt(benchmark::State& state) {
  RunCommand(state, {"export", "k", "@out.txt", "--format", "txt"});
}
void BM_ExportXlsx(benchmark::State& state) {
  RunCommand(state, {"export", "k", "@out.xlsx", "--format", "xlsx"});
}
void BM_CompaniesJson(benchmark::State& state) {
  RunCommand(state, {"companies", "k", "--json"});
}

BENCHMARK(BM_ExportTxt)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_ExportXlsx)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(BM_CompaniesJson)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
