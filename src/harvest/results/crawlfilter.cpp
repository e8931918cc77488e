#include "harvest/results/crawlfilter.h"

#include <algorithm>

#include "harvest/base/enginesettings.h"
#include "harvest/results/resultselectors.h"
#include "harvest/text/textscan.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

bool IsHttpUrl(const std::string& url) {
  std::string lower = AsciiLower(url.substr(0, 8));
  return lower.starts_with("http://") || lower.starts_with("https://");
}

// The part of a URL from the first "/" after its host.
std::string UrlPath(const std::string& url) {
  std::size_t host = url.find("://");
  std::size_t slash = url.find('/', host == std::string::npos ? 0 : host + 3);
  return slash == std::string::npos ? std::string() : url.substr(slash);
}

bool IsHostIn(const std::string& host, const std::vector<std::string>& domains) {
  return std::any_of(domains.begin(), domains.end(), [&](const std::string& d) {
    return !d.empty() && (host == d || host.ends_with("." + d));
  });
}

// The host of `url`, lower-cased, without user information or port.
std::string LinkHost(const std::string& url) {
  std::size_t scheme = url.find("://");
  std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
  std::string authority = url.substr(start, url.find_first_of("/?#", start) - start);
  std::size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  std::size_t colon = authority.find(':');
  if (colon != std::string::npos) authority.resize(colon);
  return AsciiLower(authority);
}

}  // namespace

bool IsCrawlable(TEngine engine, const std::string& url) {
  if (!IsHttpUrl(url) || IsEngineCopy(engine, url)) return false;
  if (!IsEngineUrl(url) || IsPaidLink(engine, url)) return true;
  std::string path = AsciiLower(UrlPath(url));
  const auto& redirectors = ResultSelectors(engine).Redirectors;
  return std::any_of(redirectors.begin(), redirectors.end(),
                     [&](const std::string& r) { return path.starts_with(r); });
}

bool IsPortalUrl(const std::string& url) {
  return IsHostIn(LinkHost(url), EngineSettings()->PortalDomains);
}

}  // namespace zoqa
