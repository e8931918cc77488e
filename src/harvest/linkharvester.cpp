#include "harvest/linkharvester.h"

#include "harvest/base/enginesettings.h"
#include "harvest/results/linkresults.h"
#include "harvest/text/bodytext.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
TLinkHarvester::TLinkHarvester(TEngine engine, std::shared_ptr<THarvestLink> link,
                               const std::string& keyWord, int startPage)
    : THarvester(engine, std::move(link), keyWord, startPage) {}

std::string TLinkHarvester::SearchUrl(TEngine engine, const std::string& keyWord, int pageIndex) {
  auto settings = EngineSettings();
  std::string url;
  if (engine == eg360) {
    url = "http://" + settings->So360SearchHost + "/s?q=" + UrlEncode(Cp936ToUtf8(keyWord), false);
    if (pageIndex > 0) url += "&pn=" + std::to_string(pageIndex + 1LL);
  } else {
    url = "http://" + settings->SogouSearchHost + "/web?query=" + UrlEncode(keyWord, false);
    if (pageIndex > 0) url += "&page=" + std::to_string(pageIndex + 1LL);
  }
  return url;
}

bool TLinkHarvester::Cycle() {
  std::vector<TResultLink> links;
  switch (HarvestPage(links)) {
    case TPageOutcome::Failed:
      // 360 asks for the same page again after the gate; Sogou gives up.
      return engine_ == eg360;
    case TPageOutcome::Verification:
      return true;  // the same page again, once the back-off has passed
    case TPageOutcome::Links:
      break;
  }
  // A page fetched but not analysed because of a stop is asked again next time; one whose
  // crawlers were not all started stays unfinished.
  if (Terminated()) return false;
  StartCrawlers(links);
  PageDone();
  return true;
}

TLinkHarvester::TPageOutcome TLinkHarvester::HarvestPage(std::vector<TResultLink>& links) {
  currentUrl_ = SearchUrl(engine_, info_.KeyWord, PageIndex());
  Status(Cp936("正在获取搜索结果..."));
  std::string body;
  if (!http_.Get(currentUrl_, body)) {
    RequestFailed();
    return TPageOutcome::Failed;
  }
  if (Terminated()) return TPageOutcome::Links;
  TPageText page = DecodeBody(body, true);
  if (!body.empty()) links = TLinkResults::ResultLinks(re_, engine_, page);
  if (VerificationAnswer(body, page, !links.empty())) {
    links.clear();
    return TPageOutcome::Verification;
  }
  ResultPageArrived();
  if (body.empty()) return TPageOutcome::Links;
  body.clear();
  Status(Cp936("正在分析采集结果..."));
  return TPageOutcome::Links;
}

void TLinkHarvester::StartCrawlers(const std::vector<TResultLink>& links) {
  try {
    for (const TResultLink& link : links) {
      if (Terminated()) return;
      Status(Cp936("正在进入企业网站..."));
      if (!WaitCrawlGate()) return;
      AddCrawler(
          TSiteCrawler::Create(engine_, link_, info_.KeyWord, link.Link, CrawlerEnded(), Route()));
    }
  } catch (...) {
    // A crawler that cannot be started ends the starting for this page only.
  }
}

}  // namespace zoqa
