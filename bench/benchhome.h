// A program directory holding one keyword "k" of a given number of harvested-looking
// companies, kept between runs under the system's temporary directory (building a million
// rows takes a while).
#pragma once

#include <filesystem>
#include <string>

#include "platform/appdir.h"
#include "store/keylist.h"
#include "store/storefile.h"
#include "support/storeseed.h"

namespace zoqa::bench {

inline std::filesystem::path KeywordHome(long count) {
  namespace fs = std::filesystem;
  fs::path home = fs::temp_directory_path() / ("zoqa-bench-keyword-" + std::to_string(count));
  fs::path ready = home / "ready";
  if (fs::exists(ready)) return home;
  fs::remove_all(home);
  fs::create_directories(home);
  SetAppDirOverride(home.string());
  ProvisionStoreFile();
  test::SeedGeneratedKeyword(count);
  // A second opening builds the indexes of the sort orders over the rows now there.
  { TKeyListInfo store; }
  SetAppDirOverride("");
  std::filesystem::create_directory(ready);
  return home;
}

}  // namespace zoqa::bench
