// The 360 and Sogou harvesters: every outbound link of a result page, the engine's paid-click
// links first, one crawler per link; the crawler tells from the link whether it was paid.
#pragma once

#include <string>
#include <vector>

#include "harvest/harvester.h"
#include "harvest/results/resultlink.h"
#include "harvest/text/pagetext.h"

namespace zoqa {

class TLinkHarvester : public THarvester {
 public:
  // The search URL of `keyWord`'s page `pageIndex` on `engine` (360 or Sogou).
  static std::string SearchUrl(TEngine engine, const std::string& keyWord, int pageIndex);

 protected:
  TLinkHarvester(TEngine engine, std::shared_ptr<THarvestLink> link, const std::string& keyWord,
                 int startPage);

  bool Cycle() override;

 private:
  enum class TPageOutcome { Failed, Verification, Links };
  // One request and the links of its page.
  TPageOutcome HarvestPage(std::vector<TResultLink>& links);
  void StartCrawlers(const std::vector<TResultLink>& links);
};

class T360Harvester : public TLinkHarvester {
 public:
  T360Harvester(std::shared_ptr<THarvestLink> link, const std::string& keyWord, int startPage)
      : TLinkHarvester(eg360, std::move(link), keyWord, startPage) {}
};

class TSogouHarvester : public TLinkHarvester {
 public:
  TSogouHarvester(std::shared_ptr<THarvestLink> link, const std::string& keyWord, int startPage)
      : TLinkHarvester(egSogou, std::move(link), keyWord, startPage) {}
};

}  // namespace zoqa
