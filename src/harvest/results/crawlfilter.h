// Which links of a result page are worth a crawler: what every reader's results pass before
// a harvester starts crawlers for them, so that a saved page shows what a run would crawl.
#pragma once

#include <string>

#include "harvest/base/engine.h"

namespace zoqa {

// True for a web link that leads off the engines: no copy the engine keeps, and on an
// engine's domains only its paid-click links and redirectors. Any other link to an engine
// would land on the engine's own site, where the crawler finds no company.
bool IsCrawlable(TEngine engine, const std::string& url);

// True when the link's host is one of the well-known search and portal hosts of the
// settings (PortalDomains) or below one: the links of a page's navigation, never a company.
bool IsPortalUrl(const std::string& url);

}  // namespace zoqa
