// Arbitrary bytes unpacked as a zip archive into a scratch folder: whatever the archive
// holds, nothing may land beside the folder, no link may appear inside it, and a failed
// unpack must leave the folder empty.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "service/zipunpack.h"

namespace {

namespace fs = std::filesystem;

void Check(bool condition) {
  if (!condition) std::abort();
}

const fs::path& Scratch() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("fuzz_zipunpack." + std::to_string(getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path root = Scratch();
  const fs::path archive = root / "in.zip";
  const fs::path out = root / "out";
  fs::create_directories(out);
  {
    std::ofstream file(archive, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  zoqa::TUnpackResult result = zoqa::UnpackZip(archive.string(), out.string());
  Check(result.Ok || !result.Error.empty());
  for (const auto& entry : fs::directory_iterator(root)) {
    Check(entry.path() == archive || entry.path() == out);
  }
  bool empty = true;
  for (const auto& entry : fs::recursive_directory_iterator(out)) {
    Check(!entry.is_symlink());
    if (!entry.is_directory()) empty = false;
  }
  Check(result.Ok || empty);
  fs::remove_all(out);
  return 0;
}
