// A harvester's progress record: the payload of its status and page-done reports.
#pragma once

#include <cstdint>
#include <string>

namespace zoqa {

struct THarvestProgress {
  std::string KeyWord;
  std::string StatusText;      // the last status line
  std::int32_t PagesDone = 0;  // the page index after the last finished page
  std::string EngineName;      // "百度", "搜狗" or "360", as in TCompany::Source
};

}  // namespace zoqa
