// The Baidu harvester: result pages cut to the result column, certified promoted blocks and
// ordinary result blocks, one crawler per usable block with the block's title and the
// cookies of the search requests.
#pragma once

#include <string>
#include <vector>

#include "harvest/harvester.h"
#include "harvest/pagetext.h"

namespace zoqa {

// A usable result block: what its crawler is started with.
struct TBaiduResult {
  std::string Title;
  std::string Link;
  std::uint8_t Certified = 0;
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
  static std::vector<TBaiduResult> CertifiedResults(TRegExp& re, const TPageText& column);
  static std::vector<TBaiduResult> OrdinaryResults(TRegExp& re, const TPageText& column);

 protected:
  bool Cycle() override;

 private:
  bool HarvestPage();
  bool FetchResultPage(std::string& body);
  // Starts a crawler per result; false when a stop ended the pass.
  bool StartCrawlers(const std::vector<TBaiduResult>& results);
  void StartCrawler(const TBaiduResult& result);
  void SaveLastPage(const std::string& text);

  std::string cookieText_;
};

}  // namespace zoqa
