// Throughput of the service link: deciphering a 1 MiB enciphered stream, the CRC-32 of a
// 64 MiB package file, and unpacking an archive of many small files.
#include <benchmark/benchmark.h>
#include <zip.h>

#include <filesystem>
#include <fstream>

#include <random>
#include <string>
#include <vector>

#include "service/desutil.h"
#include "service/filecrc.h"
#include "service/zipunpack.h"

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

// A scratch folder for the file benchmarks, removed at exit.
struct TScratch {
  TScratch() : dir(std::filesystem::temp_directory_path() / "zoqa_bench_service") {
    std::filesystem::create_directories(dir);
  }
  ~TScratch() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::filesystem::path dir;
};

TScratch& Scratch() {
  static TScratch scratch;
  return scratch;
}

void BM_FileCrc32(benchmark::State& state) {
  const std::string path = (Scratch().dir / "package.bin").string();
  constexpr std::size_t kSize = std::size_t{64} << 20;
  {
    std::mt19937 rng(2);
    std::string block(1 << 20, '\0');
    std::ofstream out(path, std::ios::binary);
    for (std::size_t done = 0; done < kSize; done += block.size()) {
      for (char& c : block) c = static_cast<char>(rng() & 0xFF);
      out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
  }
  for (auto _ : state) benchmark::DoNotOptimize(zoqa::FileCrc32(path));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kSize));
}
BENCHMARK(BM_FileCrc32)->Unit(benchmark::kMillisecond);

// 500 files of 16 KiB each, compressed, in 10 folders.
void BM_UnpackZip(benchmark::State& state) {
  const std::string archive = (Scratch().dir / "files.zip").string();
  std::vector<std::string> contents;
  std::mt19937 rng(3);
  int error = 0;
  zip_t* za = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  for (int i = 0; i < 500; ++i) {
    std::string data(16 << 10, '\0');
    for (char& c : data) c = static_cast<char>('a' + rng() % 8);
    contents.push_back(std::move(data));
  }
  for (int i = 0; i < 500; ++i) {
    std::string name = "dir" + std::to_string(i % 10) + "/file" + std::to_string(i) + ".txt";
    zip_source_t* src = zip_source_buffer(za, contents[i].data(), contents[i].size(), 0);
    zip_file_add(za, name.c_str(), src, ZIP_FL_OVERWRITE);
  }
  zip_close(za);
  const std::string target = (Scratch().dir / "out").string();
  for (auto _ : state) {
    zoqa::TUnpackResult r = zoqa::UnpackZip(archive, target);
    if (!r.Ok) state.SkipWithError(r.Error.c_str());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 500);
}
BENCHMARK(BM_UnpackZip)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
