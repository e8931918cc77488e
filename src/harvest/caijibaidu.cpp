#include "harvest/caijibaidu.h"

#include <atomic>
#include <cstdio>
#include <fstream>

#include "harvest/bodytext.h"
#include "harvest/enginesettings.h"
#include "harvest/pagereader.h"
#include "harvest/pagesearch.h"
#include "harvest/textscan.h"
#include "platform/appdir.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

constexpr int kPageAttempts = 3;
constexpr int kRetryPauseMs = 100;
// A response this short is an error or an interstitial page, not a result page.
constexpr std::size_t kMinResultBytes = 1500;

const char kCertifiedBlock[] = "<div id=\"[^>]*(data-click=)[^>]*>([\\s\\S]*?)推广";
const char kResultBlock[] = "<div[^>]*(srcid=)[^>]*>([\\s\\S]*?)(快照)";
const char kResultBlockStart[] = "<div[^>]*srcid=[^>]*>";

// The value after `key` up to the next `quote`, as the result data attributes write it.
std::string QuotedValue(const std::string& data, const char* key, char quote) {
  return TextBetween(key, std::string(1, quote), data);
}

std::string RemoveQuotesAndColons(const std::string& text) {
  std::string out = ReplaceText(text, "'", "", false);
  out = ReplaceText(out, "\"", "", false);
  out = ReplaceText(out, Cp936("："), "", false);
  return Trim(out);
}

// The result blocks of a result column. A block that holds the start of another result block
// (a card without a snapshot link runs on into the next result) ends there, and the rest of
// the column is matched again, so the next result is not lost.
std::vector<std::string> ResultBlocks(TRegExp& re, const TPageText& column) {
  std::vector<std::string> blocks;
  std::string_view rest = column.Utf8();
  for (;;) {
    std::vector<std::string> first = re.FindAllUtf8(kResultBlock, rest, 1, true);
    if (first.empty()) break;
    std::string_view match = first.front();
    std::size_t at = rest.find(match);
    std::vector<std::string> inner = re.FindAllUtf8(kResultBlockStart, match.substr(1), 1, true);
    std::size_t length = inner.empty() ? match.size() : match.find(inner.front(), 1);
    blocks.push_back(Utf8ToCp936(match.substr(0, length)));
    rest.remove_prefix(at + length);
  }
  return blocks;
}

}  // namespace

TCaijiBaidu::TCaijiBaidu(std::shared_ptr<THarvestLink> link, const std::string& keyWord,
                         int startPage)
    : THarvester(egBaidu, std::move(link), keyWord, startPage) {}

std::string TCaijiBaidu::SearchUrl(const std::string& keyWord, int pageIndex) {
  std::string url =
      "http://" + EngineSettings()->BaiduSearchHost + "/s?wd=" + UrlEncode(keyWord, false);
  if (pageIndex > 0) url += "&pn=" + std::to_string(10LL * pageIndex);
  return url;
}

bool TCaijiBaidu::Cycle() {
  if (HarvestPage()) PageDone();
  return true;
}

bool TCaijiBaidu::FetchResultPage(std::string& body) {
  for (int attempt = 0; attempt < kPageAttempts; ++attempt) {
    if (http_.Get(currentUrl_, body)) return true;
    http_.Close();
    if (!Sleep(kRetryPauseMs)) return false;
  }
  return false;
}

// True when the page counts as finished.
bool TCaijiBaidu::HarvestPage() {
  currentUrl_ = SearchUrl(info_.KeyWord, PageIndex());
  Status(Cp936("正在获取搜索结果..."));
  std::string body;
  bool fetched = FetchResultPage(body);
  if (Terminated() || !fetched) return false;
  TPageText page = DecodeBody(body, true);
  TBaiduPage found = ReadPage(re_, page);
  // A verification page is no result page, however long: the same page is asked again
  // once the engine's back-off has passed.
  if (VerificationAnswer(body, page, !found.Empty()) || body.size() <= kMinResultBytes) {
    return false;
  }
  body.clear();
  ResultPageArrived();
  SaveLastPage(page.Cp936());
  Status(Cp936("正在分析采集结果..."));
  // A stop during the certified pass leaves the page to be asked again.
  if (!StartCrawlers(found.Certified)) return false;
  // From here on the page counts as finished, whatever the result blocks give. The cookies
  // handed to crawlers are those of the last search request, read once per page here.
  cookieText_ = http_.LastCookieHeader();
  if (StartCrawlers(found.Ordinary)) StartCrawlers(found.Structural);
  return true;
}

void TCaijiBaidu::SaveLastPage(const std::string& text) {
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

TBaiduPage TCaijiBaidu::ReadPage(TRegExp& re, const TPageText& page) {
  TBaiduPage found;
  TPageText column = ResultColumn(page);
  found.Certified = CertifiedResults(re, column);
  found.Ordinary = OrdinaryResults(re, column);
  if (EngineSettings()->PageReader) {
    std::vector<TResultLink> classic = found.Certified;
    classic.insert(classic.end(), found.Ordinary.begin(), found.Ordinary.end());
    found.Structural = ReadPageStructure(egBaidu, page, classic);
  }
  return found;
}

TPageText TCaijiBaidu::ResultColumn(const TPageText& page) {
  return TPageText(TextBetween("id=\"content_left\"", "id=\"page\"", page.Cp936()));
}

std::vector<TResultLink> TCaijiBaidu::CertifiedResults(TRegExp& re, const TPageText& column) {
  std::vector<TResultLink> results;
  std::string anchorPattern = Cp936ToUtf8("<a[^>]*" + EngineSettings()->BaiduDomain +
                                          "/baidu.php?[^>]*>(?:.|[\\r\\n])*?</a>");
  for (const std::string& match : FindInPage(re, kCertifiedBlock, column)) {
    std::string block = Trim(match);
    if (block.empty()) continue;
    std::string data = TextBetween("data-renzheng=", "}", block);
    if (data.empty()) continue;
    data = AfterMarker("{", data);
    std::string title = FindText(data, "\"") != std::string::npos
                            ? QuotedValue(data, "title\":\"", '"')
                            : QuotedValue(data, "title:'", '\'');
    std::vector<std::string> anchors = re.FindAll(anchorPattern, block);
    if (anchors.empty()) continue;
    std::string link = Trim(TextBetween("href=\"", "\"", anchors.front()));
    TResultLink result{RemoveQuotesAndColons(title), RemoveQuotesAndColons(link), 1};
    result.Paid = IsPaidLink(egBaidu, result.Link);
    results.push_back(std::move(result));
  }
  return results;
}

std::vector<TResultLink> TCaijiBaidu::OrdinaryResults(TRegExp& re, const TPageText& column) {
  std::vector<TResultLink> results;
  for (const std::string& match : ResultBlocks(re, column)) {
    std::string block = Trim(match);
    if (block.empty()) continue;
    std::string data = TextBetween("data-tools=", "}", block);
    if (data.empty()) continue;
    data = AfterMarker("{", data);
    bool doubleQuoted = FindText(data, "\"") != std::string::npos;
    TResultLink result;
    result.Title =
        doubleQuoted ? QuotedValue(data, "title\":\"", '"') : QuotedValue(data, "title:'", '\'');
    result.Link =
        doubleQuoted ? QuotedValue(data, "url\":\"", '"') : QuotedValue(data, "url:'", '\'');
    if (result.Link.empty()) continue;
    if (FindText(block, "hint-data=") != std::string::npos) {
      result.Title = QuotedValue(TextBetween("hint-data=", "}", block), "label\":\"", '"');
      result.Certified = 1;
    }
    result.Paid = IsPaidLink(egBaidu, result.Link);
    results.push_back(std::move(result));
  }
  return results;
}

bool TCaijiBaidu::StartCrawlers(const std::vector<TResultLink>& results) {
  for (const TResultLink& result : results) {
    Status(Cp936("正在进入企业网站..."));
    if (!WaitCrawlGate()) return false;
    StartCrawler(result);
  }
  return true;
}

void TCaijiBaidu::StartCrawler(const TResultLink& result) {
  TPagePara para;
  para.WindowHandle = link_;
  para.Title = result.Title;
  para.LinkUrl = result.Link;
  para.CookieText = cookieText_;
  para.Certified = result.Certified;
  para.Paid = result.Paid;
  para.KeyWord = info_.KeyWord;
  para.Route = Route();
  try {
    AddCrawler(TCaijiPageCon::CreateBaidu(para, CrawlerEnded()));
  } catch (...) {
    // A crawler that cannot be started loses this one result only.
  }
}

}  // namespace zoqa
