#include "harvest/results/linkresults.h"

#include <unordered_set>

#include "harvest/base/enginesettings.h"
#include "harvest/results/crawlfilter.h"
#include "harvest/results/resultselectors.h"
#include "harvest/results/structuralreader.h"
#include "harvest/text/pagesearch.h"
#include "harvest/text/textscan.h"
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

std::string TLinkResults::MatchLink(const std::string& match) {
  std::size_t start = FindText(match, "http://");
  if (start == std::string::npos) return {};
  std::size_t quote = match.find('"', start);
  if (quote == std::string::npos) return {};
  return match.substr(start, quote - start);
}

std::vector<std::string> TLinkResults::PageLinks(TRegExp& re, TEngine engine,
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

std::vector<TResultLink> TLinkResults::ResultLinks(TRegExp& re, TEngine engine,
                                                   const TPageText& page) {
  std::vector<TResultLink> links;
  for (std::string& url : PageLinks(re, engine, page)) {
    if (!IsCrawlable(engine, url)) continue;
    TResultLink link;
    link.Paid = IsPaidLink(engine, url);
    link.Link = std::move(url);
    links.push_back(std::move(link));
  }
  TPageStructure structure;
  if (EngineSettings()->PageReader) structure = ReadPageStructure(engine, page, links);
  // Navigation is no result: on a page whose result list the structural reader recognises,
  // every link outside a result block, but the paid-click links; on any other page, the
  // links to well-known search and portal hosts.
  std::erase_if(links, [&](const TResultLink& link) {
    if (structure.Recognised) return !link.Paid && !structure.InResultBlock(link.Link);
    return IsPortalUrl(link.Link);
  });
  links.insert(links.end(), structure.Added.begin(), structure.Added.end());
  return links;
}

}  // namespace zoqa
