// The classic reading of 360 and Sogou result pages: every outbound link, the engine's
// paid-click links first, then what the structural reader adds.
#pragma once

#include <string>
#include <vector>

#include "harvest/base/engine.h"
#include "harvest/results/resultlink.h"
#include "harvest/text/pagetext.h"
#include "harvest/text/regexp.h"

namespace zoqa {

class TLinkResults {
 public:
  // The link of one anchor match: from its first "http://" up to the next double quote; ""
  // when there is no double quote after it.
  static std::string MatchLink(const std::string& match);

  // The links to crawl on a result page: paid-click links, then the other outbound links
  // that do not mention the engine's own domains; no two equal ignoring letter case.
  static std::vector<std::string> PageLinks(TRegExp& re, TEngine engine, const TPageText& page);

  // Every link a run crawls on a result page: those of PageLinks that are crawlable and no
  // navigation, then what the structural reader adds when the settings enable it.
  static std::vector<TResultLink> ResultLinks(TRegExp& re, TEngine engine, const TPageText& page);
};

}  // namespace zoqa
