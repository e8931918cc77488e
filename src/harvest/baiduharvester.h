// The Baidu harvester: result pages cut to the result column, certified promoted blocks and
// ordinary result blocks, then what the structural reader adds; one crawler per usable
// result with its title and the cookies of the search requests.
#pragma once

#include <string>
#include <vector>

#include "harvest/harvester.h"
#include "harvest/results/resultlink.h"
#include "harvest/text/pagetext.h"

namespace zoqa {

class TBaiduHarvester : public THarvester {
 public:
  TBaiduHarvester(std::shared_ptr<THarvestLink> link, const std::string& keyWord, int startPage);

  // The search URL of `keyWord`'s page `pageIndex`.
  static std::string SearchUrl(const std::string& keyWord, int pageIndex);

  // Writes the last decoded result page to "2.txt" in the program directory, whole: a
  // reader never sees a mix of two harvesters' pages.
  static void SaveLastPage(const std::string& text);

 protected:
  bool Cycle() override;

 private:
  bool HarvestPage();
  bool FetchResultPage(std::string& body);
  // Starts a crawler per result; false when a stop ended the pass.
  bool StartCrawlers(const std::vector<TResultLink>& results);
  void StartCrawler(const TResultLink& result);

  std::string cookieText_;
};

}  // namespace zoqa
