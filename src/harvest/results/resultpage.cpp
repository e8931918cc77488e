#include "harvest/results/resultpage.h"

#include "harvest/results/baiduresults.h"
#include "harvest/results/linkresults.h"

namespace zoqa {

std::vector<TResultLink> ReadResultPage(TEngine engine, TRegExp& re, const TPageText& page) {
  if (engine != egBaidu) return TLinkResults::ResultLinks(re, engine, page);
  TBaiduPage found = TBaiduResults::ReadPage(re, page);
  std::vector<TResultLink> links = std::move(found.Certified);
  links.insert(links.end(), found.Ordinary.begin(), found.Ordinary.end());
  links.insert(links.end(), found.Structural.begin(), found.Structural.end());
  return links;
}

}  // namespace zoqa
