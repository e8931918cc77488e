// The process's crawler slots: at most `[net] MaxCrawlers` company-site crawlers run at
// once, whatever the number of keywords and engines, so threads and the pages they hold
// stay bounded when sites answer slowly.
#pragma once

#include <memory>

namespace zoqa {

// A taken slot; the slot is free again once the last copy is gone. Empty when none was free.
using TCrawlerSlot = std::shared_ptr<void>;

// Takes a slot when fewer than the configured limit are taken.
TCrawlerSlot TakeCrawlerSlot();

// Slots taken now.
int CrawlerSlotsTaken();

}  // namespace zoqa
