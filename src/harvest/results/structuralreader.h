// The structural reader of result pages: parses the page's markup leniently and takes the
// results where each engine's selectors say they are. It runs after the classic patterns on
// the same decoded page and adds what they missed.
#pragma once

#include <string>
#include <vector>

#include "harvest/base/engine.h"
#include "harvest/results/resultlink.h"
#include "harvest/text/pagetext.h"

namespace zoqa {

// The results of `engine`'s result `page` that the classic reading (`classic`) did not give:
// neither from the same block nor to the same URL. In page order with promoted results
// first, none twice; links are absolute. Cache copies and the engine's own navigation are
// never among them.
std::vector<TResultLink> ReadPageStructure(TEngine engine, const TPageText& page,
                                           const std::vector<TResultLink>& classic);

}  // namespace zoqa
