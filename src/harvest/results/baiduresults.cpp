#include "harvest/results/baiduresults.h"

#include "harvest/base/enginesettings.h"
#include "harvest/results/crawlfilter.h"
#include "harvest/results/structuralreader.h"
#include "harvest/text/pagesearch.h"
#include "harvest/text/textscan.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

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

// The results a crawler is started for: a link to the engine's own pages lands there.
std::vector<TResultLink> CrawlableOnly(std::vector<TResultLink> results) {
  std::erase_if(results, [](const TResultLink& r) { return !IsCrawlable(egBaidu, r.Link); });
  return results;
}

}  // namespace

TBaiduPage TBaiduResults::ReadPage(TRegExp& re, const TPageText& page) {
  TBaiduPage found;
  TPageText column = ResultColumn(page);
  found.Certified = CrawlableOnly(CertifiedResults(re, column));
  found.Ordinary = CrawlableOnly(OrdinaryResults(re, column));
  if (EngineSettings()->PageReader) {
    std::vector<TResultLink> classic = found.Certified;
    classic.insert(classic.end(), found.Ordinary.begin(), found.Ordinary.end());
    found.Structural = ReadPageStructure(egBaidu, page, classic).Added;
  }
  return found;
}

TPageText TBaiduResults::ResultColumn(const TPageText& page) {
  return TPageText(TextBetween("id=\"content_left\"", "id=\"page\"", page.Cp936()));
}

std::vector<TResultLink> TBaiduResults::CertifiedResults(TRegExp& re, const TPageText& column) {
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

std::vector<TResultLink> TBaiduResults::OrdinaryResults(TRegExp& re, const TPageText& column) {
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

}  // namespace zoqa
