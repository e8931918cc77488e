#include "harvest/results/resultselectors.h"

#include <algorithm>

#include "util/textutil.h"

namespace zoqa {
namespace {

// An XPath test for a whole class name among the element's classes.
std::string HasClass(const std::string& name) {
  return "contains(concat(' ', normalize-space(@class), ' '), ' " + name + " ')";
}

TResultSelectors Baidu() {
  TResultSelectors s;
  s.Container = "content_left";
  s.Blocks =
      "//*[@id='content_left']/*[contains(@class, 'c-container') and "
      "contains(@class, 'result')]";
  s.Anchor = ".//h3//a[@href]";
  s.Title = ".//h3";
  s.Target = "@mu";
  s.AdMarks =
      "descendant-or-self::*[@data-tuiguang or contains(@class, 'tuiguang')] | "
      ".//*[normalize-space(text()) = '广告']";
  s.Redirectors = {"/link?url=", "/baidu.php?url="};
  return s;
}

TResultSelectors So360() {
  TResultSelectors s;
  s.Blocks = "//li[contains(@class, 'res-list')]";
  s.Anchor = ".//h3[contains(@class, 'res-title')]//a[@href]";
  s.Title = ".//h3";
  s.Target = ".//h3[contains(@class, 'res-title')]//a/@data-mdurl";
  s.Redirectors = {"/link?m="};
  s.CopyHosts = {"360webcache.com"};
  return s;
}

TResultSelectors Sogou() {
  TResultSelectors s;
  s.Blocks = "//div[(" + HasClass("vrwrap") + " or " + HasClass("rb") +
             ") and not(contains(@class, 'hint')) and not(contains(@class, 'special'))]";
  // Titles have been h3.vr-title, h3.vrTitle and h3.pt over the years: any h3 will do.
  s.Anchor = ".//h3//a[@href]";
  s.Title = ".//h3";
  s.Target = "descendant-or-self::*/@data-url";
  s.Redirectors = {"/link?url="};
  s.CopyHosts = {"snapshot.sogoucdn.com"};
  return s;
}

}  // namespace

const TResultSelectors& ResultSelectors(TEngine engine) {
  // Never destroyed: a worker still reading a page at process exit must not see them go.
  static const auto* baidu = new TResultSelectors(Baidu());
  static const auto* so360 = new TResultSelectors(So360());
  static const auto* sogou = new TResultSelectors(Sogou());
  switch (engine) {
    case egBaidu:
      return *baidu;
    case egSogou:
      return *sogou;
    case eg360:
      break;
  }
  return *so360;
}

}  // namespace zoqa

namespace zoqa {

bool IsEngineCopy(TEngine engine, const std::string& url) {
  std::size_t scheme = url.find("://");
  std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
  std::string host = AsciiLower(url.substr(start, url.find_first_of("/?#", start) - start));
  const auto& hosts = ResultSelectors(engine).CopyHosts;
  return std::any_of(hosts.begin(), hosts.end(),
                     [&](const std::string& h) { return host.ends_with(h); });
}

}  // namespace zoqa
