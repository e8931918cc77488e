// A result page read the way the engine's harvester reads it, for tools that look at a saved
// page: every result in crawl order, with the reader that gave it.
#pragma once

#include <vector>

#include "harvest/base/engine.h"
#include "harvest/results/resultlink.h"
#include "harvest/text/pagetext.h"
#include "harvest/text/regexp.h"

namespace zoqa {

std::vector<TResultLink> ReadResultPage(TEngine engine, TRegExp& re, const TPageText& page);

}  // namespace zoqa
