// Throughput of the service link's cipher: deciphering a 1 MiB enciphered stream.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "service/desutil.h"

namespace {

void BM_DecipherStream(benchmark::State& state) {
  std::mt19937 rng(1);
  std::string plain(1 << 20, '\0');
  for (char& c : plain) c = static_cast<char>(rng() & 0xFF);
  const std::string stream = zoqa::EncipherStream(plain, "qmv3k8rtw");
  std::string target;
  for (auto _ : state) {
    zoqa::DecipherStream(stream, target, "qmv3k8rtw");
    benchmark::DoNotOptimize(target.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(plain.size()));
}
BENCHMARK(BM_DecipherStream)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
