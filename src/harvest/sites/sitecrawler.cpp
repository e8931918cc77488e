#include "harvest/sites/sitecrawler.h"

#include "harvest/base/enginesettings.h"
#include "harvest/net/fetchpage.h"
#include "harvest/results/pageredirect.h"
#include "harvest/results/verifypage.h"
#include "harvest/sites/contactextract.h"
#include "harvest/sites/titlename.h"
#include "harvest/text/bodytext.h"
#include "harvest/text/textscan.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

constexpr int kBaiduLinkAttempts = 4;
constexpr int kRetryPauseMs = 100;
// Redirector pages that move on by a meta refresh or a script, followed one after another:
// small pages on an engine's sites (its full result pages are far larger).
constexpr int kMaxPageHops = 3;
constexpr std::size_t kMaxRedirectorBytes = 32 * 1024;

THttpOptions SitePageOptions() {
  THttpOptions options;
  options.MaxBodyBytes = kMaxSitePageBytes;
  return options;
}

TEngineVariant Variant(TEngine engine) {
  switch (engine) {
    case egBaidu:
      return TEngineVariant::Baidu;
    case egSogou:
      return TEngineVariant::Sogou;
    case eg360:
      break;
  }
  return TEngineVariant::So360;
}

}  // namespace

std::shared_ptr<TSiteCrawler> TSiteCrawler::CreateBaidu(const TCrawlOrder& para,
                                                        TEndHandler onEnd) {
  std::shared_ptr<TSiteCrawler> crawler(new TSiteCrawler(
      egBaidu, para.WindowHandle, para.KeyWord, para.LinkUrl, std::move(onEnd), para.Route));
  crawler->title_ = para.Title;
  crawler->certified_ = para.Certified;
  crawler->paid_ = para.Paid;
  // The engine's cookies are for the engine's hosts, not for the sites its links lead to.
  crawler->http_.SetCookieHeader(para.CookieText, EngineSettings()->BaiduDomain);
  return crawler;
}

std::shared_ptr<TSiteCrawler> TSiteCrawler::Create(TEngine engine,
                                                   std::shared_ptr<THarvestLink> link,
                                                   const std::string& keyWord,
                                                   const std::string& linkUrl, TEndHandler onEnd,
                                                   const TProxyRoute& route) {
  return std::shared_ptr<TSiteCrawler>(
      new TSiteCrawler(engine, std::move(link), keyWord, linkUrl, std::move(onEnd), route));
}

TSiteCrawler::TSiteCrawler(TEngine engine, std::shared_ptr<THarvestLink> link,
                           const std::string& keyWord, const std::string& linkUrl,
                           TEndHandler onEnd, const TProxyRoute& route)
    : engine_(engine),
      link_(std::move(link)),
      linkUrl_(linkUrl),
      http_(SitePageOptions()),
      route_(route),
      onEnd_(std::move(onEnd)) {
  record_.KeyWord = keyWord;
  if (route_) {
    http_.SetRoute(route_);
    filingLookup_.SetRoute(route_);
  }
}

void TSiteCrawler::DetachEndHandler() {
  std::lock_guard<std::mutex> lock(endMutex_);
  onEnd_ = nullptr;
}

void TSiteCrawler::Finished() {
  slot_.reset();
  complete_ = delivered_ || !Terminated();
  TEndHandler onEnd;
  {
    std::lock_guard<std::mutex> lock(endMutex_);
    onEnd.swap(onEnd_);
  }
  if (onEnd) onEnd(*this);
}

void TSiteCrawler::CrawlStatus(const std::string& text) {
  if (Terminated()) return;
  status_ = text;
  THarvestMessage message;
  message.Kind = hkCrawlStatus;
  message.Text = &status_;
  link_->Send(message);
}

void TSiteCrawler::Execute() {
  CrawlStatus(Cp936("正在进入企业网站:") + linkUrl_);
  std::string body;
  // A stop cuts the request under way and ends the crawl without a record.
  if (!FetchLink(body) || body.empty() || Terminated()) return;
  TPageText page = DecodeSitePage(body, true);
  body.clear();
  if (!PrepareRecord()) return;
  std::string site = record_.WebUrl;
  CrawlStatus(Cp936("正在分析企业详细信息:") + site);
  if (Terminated()) return;
  ReadContacts(page);
  // Names the site (the record may be spent by now): the status line outlives this crawler
  // while the task goes on.
  if (engine_ == egBaidu) CrawlStatus(Cp936("企业信息采集完成:") + site);
}

bool TSiteCrawler::FetchLink(std::string& body) {
  int attempts = engine_ == egBaidu ? kBaiduLinkAttempts : 1;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (FetchLanding(body)) return true;
    if (attempt + 1 == attempts) break;
    http_.Close();
    if (!Sleep(kRetryPauseMs)) return false;
  }
  return false;
}

// Requests the link and follows the engine's redirector pages to where they lead: the
// company's site is where the link lands.
bool TSiteCrawler::FetchLanding(std::string& body) {
  if (!http_.Get(linkUrl_, body)) return false;
  for (int hop = 0; hop < kMaxPageHops; ++hop) {
    if (body.size() > kMaxRedirectorBytes || !IsEngineUrl(http_.LastUrl())) break;
    std::string next = PageRedirectTarget(http_.LastUrl(), body);
    if (next.empty()) break;
    if (Terminated() || !http_.Get(next, body)) return false;
  }
  return true;
}

// Names the record and notes where it came from; false when the result stayed on an
// engine's own sites.
bool TSiteCrawler::PrepareRecord() {
  record_.Reset();
  if (engine_ == egBaidu) {
    record_.WebUrl = http_.LastUrl();
    if (IsEngineUrl(record_.WebUrl)) return false;
    PrepareBaidu();
    return true;
  }
  record_.Source = EngineName(engine_);
  record_.IsPay = IsPaidLink(engine_, linkUrl_) ? 1 : 0;
  record_.WebUrl = http_.LastUrl();
  if (IsEngineUrl(record_.WebUrl)) return false;
  record_.SetName(filingLookup_.LookupIcp(record_.WebUrl));
  return true;
}

void TSiteCrawler::PrepareBaidu() {
  if (certified_ != 1) {
    std::string registered = filingLookup_.LookupIcp(record_.WebUrl);
    if (!registered.empty()) title_ = registered;
  }
  record_.RenZheng = certified_;
  record_.Source = EngineName(engine_);
  record_.SetName(WithoutDecorations(title_));
  record_.IsPay = paid_ || IsPaidLink(engine_, linkUrl_) ? 1 : 0;
}

void TSiteCrawler::ReadContacts(const TPageText& page) {
  std::string contact = FindContactLink(re_, page, http_.LastHost(), Variant(engine_));
  if (!contact.empty()) {
    CrawlStatus(Cp936("正在提取联系方式:") + contact);
    ExtractFrom(contact);
  }
  if (Terminated()) return;
  bool noTels = record_.Tels.empty();
  bool noMobiles = record_.Mobiles.empty();
  // The Baidu crawler reads the home page when the record has no number at all; the others
  // also when one of the two kinds is missing.
  bool readHome = engine_ == egBaidu ? (noTels && noMobiles) : (noTels || noMobiles);
  if (readHome) ExtractFrom(record_.WebUrl);
}

void TSiteCrawler::ExtractFrom(const std::string& url) {
  CrawlStatus(Cp936("开始获取企业详细信息..."));
  std::string body;
  if (!FetchPage(url, body, route_)) return;
  TPageText page = DecodeSitePage(body, false);
  body.clear();
  bool worth = ExtractContacts(re_, record_, page, Variant(engine_),
                               [this](const std::string& text) { CrawlStatus(text); });
  // A record read in full is delivered even after a stop: the stop only cuts transfers.
  if (!worth) return;
  THarvestMessage message;
  message.Kind = hkCompany;
  message.Company = &record_;
  delivered_ = link_->Send(message) || delivered_;
}

}  // namespace zoqa
