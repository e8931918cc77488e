// A program directory holding one keyword "k" of a given number of harvested-looking
// companies, kept between runs under the system's temporary directory (building a million
// rows takes a while).
#pragma once

#include <filesystem>
#include <string>

#include "platform/appdir.h"
#include "store/keylist.h"
#include "store/storefile.h"

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
  {
    TKeyListInfo store;
    store.AddKey("k");
    store.Manager().Database().Execute(
        "insert into tbl_list(ComName, Addr, weburl, EMail, Tel, mob, qq, source, ispay, "
        "renzheng, stat, keyid) with recursive n(i) as (select 1 union all select i + 1 from n "
        "where i < " +
        std::to_string(count) +
        ") select '广州市天河区某某电子科技有限公司' || i, '广州市天河区天河路' || i || '号', "
        "'http://www.company' || i || '.cn/contact.html', 'sales' || i || '@example.cn' || "
        "char(13,10), '020-8' || (1000000 + i) || char(13,10), '138' || (10000000 + i) || "
        "char(13,10) || '139' || (10000000 + i) || char(13,10), (100000 + i) || char(13,10), "
        "'百度', i % 7 = 0, i % 5 = 0, 0, 1 from n");
  }
  // A second opening builds the indexes of the sort orders over the rows now there.
  { TKeyListInfo store; }
  SetAppDirOverride("");
  std::filesystem::create_directory(ready);
  return home;
}

}  // namespace zoqa::bench
