#include "harvest/net/fetchpage.h"

#include <functional>
#include <memory>

#include "harvest/net/curlsupport.h"
#include "harvest/net/httpclient.h"
#include "harvest/net/workerthread.h"

namespace zoqa {
namespace {

// Largest download taken by FetchToStream (update and tool archives).
constexpr std::size_t kMaxDownloadBytes = 512 * 1024 * 1024;
constexpr long kDefaultTimeoutSeconds = 90;
const char kDownloadUserAgent[] = "Mozilla/4.0 (compatible; Synapse)";

// One GET with a new handle: `configure` sets what the call adds to the shared options. True
// with the body in `out` when an HTTP exchange completed; `out` is untouched otherwise.
bool GetOnce(const std::string& url, std::size_t limit, std::string& out,
             const std::function<void(CURL*)>& configure, const TProxyRoute& route = {}) {
  if (url.empty()) return false;
  TCurlBody received;
  received.limit = limit;
  std::uint64_t epoch = StopEpoch();
  std::unique_ptr<CURL, void (*)(CURL*)> curl(NewCurlHandle(received, &epoch), curl_easy_cleanup);
  curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
  configure(curl.get());
  route.Apply(curl.get());
  CURLcode rc = curl_easy_perform(curl.get());
  route.Report(curl.get(), rc);
  if (rc != CURLE_OK) return false;
  out = std::move(received.data);
  return true;
}

// A site page as HTTP/1.0 with the browser identity, no redirect followed.
void SitePageOptions(CURL* c, long timeoutSeconds) {
  curl_easy_setopt(c, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
  std::string userAgent = BrowserUserAgent();
  curl_easy_setopt(c, CURLOPT_USERAGENT, userAgent.c_str());
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(c, CURLOPT_TIMEOUT,
                   timeoutSeconds > 0 ? timeoutSeconds : kDefaultTimeoutSeconds);
}

}  // namespace

bool FetchPage(const std::string& url, std::string& body, const std::string& proxyHost,
               const std::string& proxyPort, int timeoutSeconds) {
  std::string proxy = "http://" + proxyHost + ":" + proxyPort;
  return GetOnce(url, kMaxSitePageBytes, body, [&](CURL* c) {
    SitePageOptions(c, timeoutSeconds);
    if (!proxyHost.empty() && !proxyPort.empty()) curl_easy_setopt(c, CURLOPT_PROXY, proxy.c_str());
  });
}

bool FetchPage(const std::string& url, std::string& body, const TProxyRoute& route) {
  return GetOnce(
      url, kMaxSitePageBytes, body, [](CURL* c) { SitePageOptions(c, 0); }, route);
}

bool FetchToStream(const std::string& url, std::int64_t rangeStart, std::string& stream,
                   const std::vector<std::string>& cookieLines) {
  std::string range = std::to_string(rangeStart) + "-";
  std::string cookies;
  for (const std::string& line : cookieLines) {
    if (!line.empty()) cookies += (cookies.empty() ? "" : "; ") + line;
  }
  return GetOnce(url, kMaxDownloadBytes, stream, [&](CURL* c) {
    curl_easy_setopt(c, CURLOPT_USERAGENT, kDownloadUserAgent);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, 5000L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 5L);
    if (rangeStart > 0) curl_easy_setopt(c, CURLOPT_RANGE, range.c_str());
    if (!cookies.empty()) curl_easy_setopt(c, CURLOPT_COOKIE, cookies.c_str());
  });
}

}  // namespace zoqa
