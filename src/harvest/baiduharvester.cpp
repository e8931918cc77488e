#include "harvest/baiduharvester.h"

#include <atomic>
#include <cstdio>
#include <fstream>

#include "harvest/base/enginesettings.h"
#include "harvest/results/baiduresults.h"
#include "harvest/text/bodytext.h"
#include "platform/appdir.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

constexpr int kPageAttempts = 3;
constexpr int kRetryPauseMs = 100;
// A response this short is an error or an interstitial page, not a result page.
constexpr std::size_t kMinResultBytes = 1500;

}  // namespace

TBaiduHarvester::TBaiduHarvester(std::shared_ptr<THarvestLink> link, const std::string& keyWord,
                                 int startPage)
    : THarvester(egBaidu, std::move(link), keyWord, startPage) {}

std::string TBaiduHarvester::SearchUrl(const std::string& keyWord, int pageIndex) {
  std::string url =
      "http://" + EngineSettings()->BaiduSearchHost + "/s?wd=" + UrlEncode(keyWord, false);
  if (pageIndex > 0) url += "&pn=" + std::to_string(10LL * pageIndex);
  return url;
}

bool TBaiduHarvester::Cycle() {
  if (HarvestPage()) PageDone();
  return true;
}

bool TBaiduHarvester::FetchResultPage(std::string& body) {
  for (int attempt = 0; attempt < kPageAttempts; ++attempt) {
    if (http_.Get(currentUrl_, body)) return true;
    RequestFailed();
    http_.Close();
    if (!Sleep(kRetryPauseMs)) return false;
  }
  return false;
}

// True when every result of the page got its crawler.
bool TBaiduHarvester::HarvestPage() {
  currentUrl_ = SearchUrl(info_.KeyWord, PageIndex());
  Status(Cp936("正在获取搜索结果..."));
  std::string body;
  bool fetched = FetchResultPage(body);
  if (Terminated() || !fetched) return false;
  TPageText page = DecodeBody(body, true);
  TBaiduPage found = TBaiduResults::ReadPage(re_, page);
  // A verification page is no result page, however long: the same page is asked again
  // once the engine's back-off has passed.
  if (VerificationAnswer(body, page, !found.Empty()) || body.size() <= kMinResultBytes) {
    return false;
  }
  body.clear();
  ResultPageArrived();
  SaveLastPage(page.Cp936());
  Status(Cp936("正在分析采集结果..."));
  // A stop while the crawlers are started leaves the page unfinished: it is asked again.
  if (!StartCrawlers(found.Certified)) return false;
  // The cookies handed to crawlers are those of the last search request, read once per page.
  cookieText_ = http_.LastCookieHeader();
  return StartCrawlers(found.Ordinary) && StartCrawlers(found.Structural);
}

void TBaiduHarvester::SaveLastPage(const std::string& text) {
  // Each writer fills a file of its own beside the final name and renames it over that name,
  // which replaces the file whole. The page is a plain dump: it is not synced to disk.
  static std::atomic<std::uint64_t> serial{0};
  std::string path = AppDir() + "2.txt";
  std::string temp = path + "." + std::to_string(serial.fetch_add(1)) + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out.flush()) {
      out.close();
      std::remove(temp.c_str());
      return;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) std::remove(temp.c_str());
}

bool TBaiduHarvester::StartCrawlers(const std::vector<TResultLink>& results) {
  for (const TResultLink& result : results) {
    Status(Cp936("正在进入企业网站..."));
    if (!WaitCrawlGate()) return false;
    StartCrawler(result);
  }
  return true;
}

void TBaiduHarvester::StartCrawler(const TResultLink& result) {
  TCrawlOrder para;
  para.WindowHandle = link_;
  para.Title = result.Title;
  para.LinkUrl = result.Link;
  para.CookieText = cookieText_;
  para.Certified = result.Certified;
  para.Paid = result.Paid;
  para.KeyWord = info_.KeyWord;
  para.Route = Route();
  try {
    AddCrawler(TSiteCrawler::CreateBaidu(para, CrawlerEnded()));
  } catch (...) {
    // A crawler that cannot be started loses this one result only.
  }
}

}  // namespace zoqa
