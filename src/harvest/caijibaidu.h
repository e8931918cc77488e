// The Baidu harvester: result pages cut to the result column, certified promoted blocks and
// ordinary result blocks, then what the structural reader adds; one crawler per usable
// result with its title and the cookies of the search requests.
#pragma once

#include <string>
#include <vector>

#include "harvest/harvester.h"
#include "harvest/pagetext.h"
#include "harvest/resultlink.h"

namespace zoqa {

// The results of one Baidu result page, pass by pass, in crawl order.
struct TBaiduPage {
  std::vector<TResultLink> Certified;   // certified promoted blocks
  std::vector<TResultLink> Ordinary;    // result blocks
  std::vector<TResultLink> Structural;  // what the structural reader adds
  bool Empty() const { return Certified.empty() && Ordinary.empty() && Structural.empty(); }
};

class TCaijiBaidu : public THarvester {
 public:
  TCaijiBaidu(std::shared_ptr<THarvestLink> link, const std::string& keyWord, int startPage);

  // The search URL of `keyWord`'s page `pageIndex`.
  static std::string SearchUrl(const std::string& keyWord, int pageIndex);

  // The result column of a decoded result page.
  static TPageText ResultColumn(const TPageText& page);
  // The certified promoted blocks and the ordinary result blocks of a result column that
  // have what a crawler needs, in page order.
  static std::vector<TResultLink> CertifiedResults(TRegExp& re, const TPageText& column);
  static std::vector<TResultLink> OrdinaryResults(TRegExp& re, const TPageText& column);
  // Every reading of a decoded result page; the structural one when the settings enable it.
  static TBaiduPage ReadPage(TRegExp& re, const TPageText& page);

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
