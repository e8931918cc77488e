// The classic reading of Baidu result pages: the result column, certified promoted blocks
// and ordinary result blocks, then what the structural reader adds.
#pragma once

#include <vector>

#include "harvest/results/resultlink.h"
#include "harvest/text/pagetext.h"
#include "harvest/text/regexp.h"

namespace zoqa {

// The results of one Baidu result page, pass by pass, in crawl order.
struct TBaiduPage {
  std::vector<TResultLink> Certified;   // certified promoted blocks
  std::vector<TResultLink> Ordinary;    // result blocks
  std::vector<TResultLink> Structural;  // what the structural reader adds
  bool Empty() const { return Certified.empty() && Ordinary.empty() && Structural.empty(); }
};

class TBaiduResults {
 public:
  // The result column of a decoded result page.
  static TPageText ResultColumn(const TPageText& page);
  // The certified promoted blocks and the ordinary result blocks of a result column that
  // have what a crawler needs, in page order.
  static std::vector<TResultLink> CertifiedResults(TRegExp& re, const TPageText& column);
  static std::vector<TResultLink> OrdinaryResults(TRegExp& re, const TPageText& column);
  // Every reading of a decoded result page; the structural one when the settings enable it.
  static TBaiduPage ReadPage(TRegExp& re, const TPageText& page);
};

}  // namespace zoqa
