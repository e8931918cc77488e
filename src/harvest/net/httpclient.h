// The long-lived HTTP client of a harvester, a crawler or a filing lookup: one connection
// cache and one in-memory cookie store for the object's life, redirects followed hop by hop,
// connect and read time-outs. Only http and https URLs are requested, also when redirected, and a
// body over the size limit fails the request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "harvest/net/proxyroute.h"

namespace zoqa {

// The browser identity of the settings, which every client but the filing lookup's sends.
std::string BrowserUserAgent();
// Largest response body taken from a web page.
constexpr std::size_t kMaxPageBytes = 16 * 1024 * 1024;
// Largest page taken from a company's site: contact data is never that far down a page, and
// every running crawler may hold a page or two.
constexpr std::size_t kMaxSitePageBytes = 4 * 1024 * 1024;

struct THttpOptions {
  std::string UserAgent = BrowserUserAgent();
  long ConnectTimeoutMs = 5000;
  long ReadTimeoutMs = 5000;  // no byte for this long fails the request
  long TotalTimeoutMs = 90000;
  long MaxRedirects = 15;
  std::size_t MaxBodyBytes = kMaxPageBytes;
};

class THttpClient {
 public:
  explicit THttpClient(THttpOptions options = {});
  ~THttpClient();
  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;

  // GET of `url` with redirects followed; true with the final response's body in `body`.
  // False on a failed connection, a time-out, an error status (400 and up) after the
  // redirects, a scheme other than http and https, or an oversized body; `Error` says why.
  bool Get(const std::string& url, std::string& body);

  // Extra request headers for every later request (the Cookie value handed from a harvester
  // to its crawlers; the filing registry's Referer). Empty values send no header. The Cookie
  // value goes only to hosts on `domain` (the domain itself or a subdomain) when one is given,
  // also along redirects.
  void SetCookieHeader(const std::string& value, const std::string& domain = "");
  void SetReferer(const std::string& value);

  // Drops the connection, so the next request opens a new one.
  void Close();

  // Sends every later request through the route's proxy and reports to its pool whether the
  // proxy was reached. Moving to another proxy drops the connection and the cookies: cookies
  // belong to the address that got them.
  void SetRoute(const TProxyRoute& route);

  // After a request: the URL of the last request made (after redirects), its host (with the
  // port when the URL names one), and the Cookie header value sent with it ("" when none).
  const std::string& LastUrl() const { return lastUrl_; }
  std::string LastHost() const;
  const std::string& LastCookieHeader() const { return lastCookie_; }
  // Why the last Get failed; the proxy's fault names the proxy ("代理 host:port 拒绝认证").
  const std::string& Error() const { return error_; }
  // True when the last Get failed through the fault of its route's proxy.
  bool ProxyFailed() const;

 private:
  struct Impl;
  Impl* impl_;
  std::string lastUrl_;
  std::string lastCookie_;
  std::string error_;
};

// The host of `url` (lower case, with ":port" when the URL names a port); "" when it has none.
std::string UrlHost(const std::string& url);

// True when the host of `url` (port aside) is `domain` or one of its subdomains.
bool UrlOnDomain(const std::string& url, const std::string& domain);

}  // namespace zoqa
