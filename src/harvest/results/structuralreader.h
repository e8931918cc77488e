// The structural reader of result pages: parses the page's markup leniently and takes the
// results where each engine's selectors say they are. It runs after the classic patterns on
// the same decoded page and adds what they missed.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "harvest/base/engine.h"
#include "harvest/results/resultlink.h"
#include "harvest/text/pagetext.h"

namespace zoqa {

// What the structural reader makes of a result page.
struct TPageStructure {
  // The page holds result blocks where the engine's selectors look for them: its result
  // list is recognised, and links outside the blocks are the page's navigation.
  bool Recognised = false;
  // The results the classic reading did not give: neither from the same block nor to the
  // same URL. In page order with promoted results first, none twice; links are absolute
  // and crawlable.
  std::vector<TResultLink> Added;
  // True when `link` is the value of an attribute of an anchor inside a result block (or
  // a block's target URL).
  bool InResultBlock(const std::string& link) const;

  std::unordered_set<std::string> blockLinks;
};

// Reads `engine`'s result `page`, given what the classic reading found there (`classic`).
TPageStructure ReadPageStructure(TEngine engine, const TPageText& page,
                                 const std::vector<TResultLink>& classic);

}  // namespace zoqa
