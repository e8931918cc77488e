#include "harvest/fetchpage.h"

#include <memory>

#include "harvest/curlsupport.h"
#include "harvest/httpclient.h"
#include "harvest/workerthread.h"

namespace zoqa {
namespace {

// Largest download taken by FetchToStream (update and tool archives).
constexpr std::size_t kMaxDownloadBytes = 512 * 1024 * 1024;
constexpr long kDefaultTimeoutSeconds = 90;
const char kDownloadUserAgent[] = "Mozilla/4.0 (compatible; Synapse)";

struct TCurlDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using TCurlPtr = std::unique_ptr<CURL, TCurlDeleter>;

}  // namespace

bool FetchPage(const std::string& url, std::string& body, const std::string& proxyHost,
               const std::string& proxyPort, int timeoutSeconds) {
  if (url.empty()) return false;
  TCurlBody received;
  received.limit = kMaxPageBytes;
  std::uint64_t epoch = StopEpoch();
  TCurlPtr curl(NewCurlHandle(received, &epoch));
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
  curl_easy_setopt(c, CURLOPT_USERAGENT, kBrowserUserAgent);
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  long seconds = timeoutSeconds > 0 ? timeoutSeconds : kDefaultTimeoutSeconds;
  curl_easy_setopt(c, CURLOPT_TIMEOUT, seconds);
  if (!proxyHost.empty() && !proxyPort.empty()) {
    curl_easy_setopt(c, CURLOPT_PROXY, ("http://" + proxyHost + ":" + proxyPort).c_str());
  }
  if (curl_easy_perform(c) != CURLE_OK) return false;
  body = std::move(received.data);
  return true;
}

bool FetchToStream(const std::string& url, std::int64_t rangeStart, std::string& stream,
                   const std::vector<std::string>& cookieLines) {
  if (url.empty()) return false;
  TCurlBody received;
  received.limit = kMaxDownloadBytes;
  std::uint64_t epoch = StopEpoch();
  TCurlPtr curl(NewCurlHandle(received, &epoch));
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_USERAGENT, kDownloadUserAgent);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, 5000L);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 5L);
  std::string range = std::to_string(rangeStart) + "-";
  if (rangeStart > 0) curl_easy_setopt(c, CURLOPT_RANGE, range.c_str());
  std::string cookies;
  for (const std::string& line : cookieLines) {
    if (!line.empty()) cookies += (cookies.empty() ? "" : "; ") + line;
  }
  if (!cookies.empty()) curl_easy_setopt(c, CURLOPT_COOKIE, cookies.c_str());
  if (curl_easy_perform(c) != CURLE_OK) return false;
  stream = std::move(received.data);
  return true;
}

}  // namespace zoqa
