// The company-site crawler: follows one search result to the advertiser's site, names the
// company, reads the contact page (or the home page) and reports the record. One thread per
// result; the engines' crawlers differ in a few steps, chosen by the engine.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "harvest/net/crawlerslots.h"
#include "harvest/net/enginegate.h"
#include "harvest/net/httpclient.h"
#include "harvest/net/workerthread.h"
#include "harvest/report/company.h"
#include "harvest/report/harvestsink.h"
#include "harvest/sites/crawlorder.h"
#include "harvest/sites/filinglookup.h"
#include "harvest/text/pagetext.h"
#include "harvest/text/regexp.h"

namespace zoqa {

class TSiteCrawler : public TWorkerThread {
 public:
  // Runs on the crawler's thread when it ends, unless detached first.
  using TEndHandler = std::function<void(TSiteCrawler&)>;

  // A Baidu crawler: link, title, certified flag and the harvester's cookies from `para`.
  // Crawlers are created first and then launched, so that the harvester can register one
  // before its thread can end.
  static std::shared_ptr<TSiteCrawler> CreateBaidu(const TCrawlOrder& para, TEndHandler onEnd);
  // A 360 or Sogou crawler for `linkUrl`, going through `route`'s proxy.
  static std::shared_ptr<TSiteCrawler> Create(TEngine engine, std::shared_ptr<THarvestLink> link,
                                              const std::string& keyWord,
                                              const std::string& linkUrl, TEndHandler onEnd,
                                              const TProxyRoute& route = {});
  // Starts the crawler's thread.
  void Launch() { StartThread(); }

  // Detaches the end handler; it will not run once this returns.
  void DetachEndHandler();

  // Keeps the process's crawler slot taken while the thread runs; set before Launch.
  void HoldSlot(TCrawlerSlot slot) { slot_ = std::move(slot); }

  const std::string& LinkUrl() const { return linkUrl_; }
  // In the end handler: true unless a stop cut the crawl short before its record was
  // delivered (a failing site ends the crawl complete, with nothing to deliver).
  bool Complete() const { return complete_; }

 private:
  TSiteCrawler(TEngine engine, std::shared_ptr<THarvestLink> link, const std::string& keyWord,
               const std::string& linkUrl, TEndHandler onEnd, const TProxyRoute& route);

  void Execute() override;
  void Finished() override;

  bool FetchLink(std::string& body);
  bool FetchLanding(std::string& body);
  bool PrepareRecord();
  void PrepareBaidu();
  void PrepareOther();
  void ReadContacts(const TPageText& page);
  void ExtractFrom(const std::string& url);
  void CrawlStatus(const std::string& text);

  TEngine engine_;
  std::shared_ptr<THarvestLink> link_;
  std::string linkUrl_;
  std::string title_;
  std::uint8_t certified_ = 0;
  bool paid_ = false;  // the harvester saw the result promoted
  TCompany record_;
  std::string status_;
  THttpClient http_;
  TRegExp re_;
  TFilingLookup filingLookup_;
  TCrawlerSlot slot_;
  TProxyRoute route_;
  bool delivered_ = false;  // a record went to the sink
  bool complete_ = false;

  std::mutex endMutex_;  // guards onEnd_ between the harvester's end pass and our end
  TEndHandler onEnd_;
};

}  // namespace zoqa
