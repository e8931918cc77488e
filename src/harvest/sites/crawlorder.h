// What a search-result harvester hands to each crawler it starts; the crawler copies it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "harvest/net/proxyroute.h"

namespace zoqa {

class THarvestLink;  // the way to the sink on the main thread that receives the reports

struct TCrawlOrder {
  std::shared_ptr<THarvestLink> WindowHandle;
  std::string CookieText;  // Cookie header for the crawler's first request
  std::string LinkUrl;     // the result's link (the engine's click link)
  std::string Title;       // the title taken from the result block
  std::uint8_t Certified = 0;
  bool Paid = false;  // the result block is promoted, whatever its link
  std::string KeyWord;
  TProxyRoute Route;  // the harvester's proxy, which the crawler goes through too
};

}  // namespace zoqa
