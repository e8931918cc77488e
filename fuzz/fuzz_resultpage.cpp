// A search result page through the harvesters' passes: the page decoded as a harvester does,
// the Baidu result column with its certified and ordinary blocks, and the 360 and Sogou link
// passes, and the structural reader of each engine. Whatever the page holds, every result
// must carry what a crawler is started with.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "harvest/results/baiduresults.h"
#include "harvest/results/linkresults.h"
#include "harvest/results/resultpage.h"
#include "harvest/text/bodytext.h"
#include "util/textutil.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckLinks(const std::vector<std::string>& links) {
  std::unordered_set<std::string> seen;
  for (const std::string& link : links) {
    Check(link.starts_with("http://"));
    Check(link.find('"') == std::string::npos);
    Check(seen.insert(zoqa::AsciiLower(link)).second);  // no link twice, whatever its case
  }
}

void CheckResults(const std::vector<zoqa::TResultLink>& results) {
  for (const zoqa::TResultLink& r : results) {
    if (r.Reader == zoqa::TReader::Classic) continue;
    std::string lower = zoqa::AsciiLower(r.Link);
    Check(lower.starts_with("http://") || lower.starts_with("https://"));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zoqa;
  static TRegExp re;
  std::string_view body(reinterpret_cast<const char*>(data), size);
  // A harvester decodes UTF-8 only; the raw bytes as code page text reach the passes too.
  for (const TPageText& page : {DecodeBody(body, true), TPageText(Trim(body))}) {
    TPageText column = TBaiduResults::ResultColumn(page);
    for (const TResultLink& r : TBaiduResults::CertifiedResults(re, column)) {
      Check(r.Certified == 1);
      Check(r.Link.find('"') == std::string::npos && r.Link.find('\'') == std::string::npos);
    }
    for (const TResultLink& r : TBaiduResults::OrdinaryResults(re, column)) {
      Check(!r.Link.empty());
      Check(r.Certified <= 1);
    }
    CheckLinks(TLinkResults::PageLinks(re, eg360, page));
    CheckLinks(TLinkResults::PageLinks(re, egSogou, page));
    for (TEngine engine : {egBaidu, eg360, egSogou}) CheckResults(ReadResultPage(engine, re, page));
  }
  return 0;
}
