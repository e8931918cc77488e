#include "harvest/linkharvester.h"

#include <unordered_set>

#include "harvest/bodytext.h"
#include "harvest/enginesettings.h"
#include "harvest/pagereader.h"
#include "harvest/pagesearch.h"
#include "harvest/resultselectors.h"
#include "harvest/textscan.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

const char kOutboundLink[] = "<a[^>]*http://[^>]*>(?:.|[\\r\\n])*?</a>";

std::string PaidLinkPattern(TEngine engine) {
  auto settings = EngineSettings();
  std::string pattern =
      engine == eg360
          ? "<a[^>]*http://" + settings->So360ClickHost + "/search/eclk?[^>]*>(?:.|[\\r\\n])*?</a>"
          : "<a[^>]*http://" + settings->SogouSearchHost + "/bill_cpc?[^>]*>(?:.|[\\r\\n])*?</a>";
  return Cp936ToUtf8(pattern);
}

std::vector<std::string> OwnDomains(TEngine engine) {
  auto settings = EngineSettings();
  if (engine == eg360) return settings->So360Domains;
  return {settings->SogouDomain};
}

// Letter case is ignored: a link written in capitals still belongs to the engine.
bool MentionsAny(const std::string& text, const std::vector<std::string>& domains) {
  std::string lower = AsciiLower(text);
  for (const std::string& domain : domains) {
    if (FindText(lower, AsciiLower(domain)) != std::string::npos) return true;
  }
  return false;
}

// The page's links in order of addition, none twice ignoring letter case.
class TLinkList {
 public:
  void Add(const std::string& link) {
    if (link.empty() || !seen_.insert(AsciiLower(link)).second) return;
    links_.push_back(link);
  }
  std::vector<std::string> Take() { return std::move(links_); }

 private:
  std::vector<std::string> links_;
  std::unordered_set<std::string> seen_;
};

}  // namespace

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

std::string TLinkHarvester::MatchLink(const std::string& match) {
  std::size_t start = FindText(match, "http://");
  if (start == std::string::npos) return {};
  std::size_t quote = match.find('"', start);
  if (quote == std::string::npos) return {};
  return match.substr(start, quote - start);
}

std::vector<std::string> TLinkHarvester::PageLinks(TRegExp& re, TEngine engine,
                                                   const TPageText& page) {
  TLinkList links;
  std::string paid = PaidLinkPattern(engine);
  for (const std::string& match : FindInPage(re, paid.c_str(), page)) links.Add(MatchLink(match));
  std::vector<std::string> own = OwnDomains(engine);
  for (const std::string& match : FindInPage(re, kOutboundLink, page)) {
    if (MentionsAny(match, own)) continue;
    // The engine's cached copies of pages are its own site: crawled, they would give the
    // engine's registered name with a stale copy's numbers.
    std::string link = MatchLink(match);
    if (!IsEngineCopy(engine, link)) links.Add(link);
  }
  return links.Take();
}

std::vector<TResultLink> TLinkHarvester::ResultLinks(TRegExp& re, TEngine engine,
                                                     const TPageText& page) {
  std::vector<TResultLink> links;
  for (std::string& url : PageLinks(re, engine, page)) {
    TResultLink link;
    link.Paid = IsPaidLink(engine, url);
    link.Link = std::move(url);
    links.push_back(std::move(link));
  }
  if (!EngineSettings()->PageReader) return links;
  std::vector<TResultLink> added = ReadPageStructure(engine, page, links);
  links.insert(links.end(), added.begin(), added.end());
  return links;
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
  // A page fetched but not analysed because of a stop is asked again next time.
  if (Terminated()) return false;
  StartCrawlers(links);
  PageDone();
  return true;
}

TLinkHarvester::TPageOutcome TLinkHarvester::HarvestPage(std::vector<TResultLink>& links) {
  currentUrl_ = SearchUrl(engine_, info_.KeyWord, PageIndex());
  Status(Cp936("正在获取搜索结果..."));
  std::string body;
  if (!http_.Get(currentUrl_, body)) return TPageOutcome::Failed;
  if (Terminated()) return TPageOutcome::Links;
  TPageText page = DecodeBody(body, true);
  if (!body.empty()) links = ResultLinks(re_, engine_, page);
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
          TCaijiPageCon::Create(engine_, link_, info_.KeyWord, link.Link, CrawlerEnded(), Route()));
    }
  } catch (...) {
    // A crawler that cannot be started ends the starting for this page only.
  }
}

}  // namespace zoqa
