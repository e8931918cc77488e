#include "harvest/net/httpclient.h"

#include <curl/curl.h>

#include <chrono>

#include "harvest/base/enginesettings.h"
#include "harvest/net/curlsupport.h"
#include "harvest/net/workerthread.h"
#include "util/textutil.h"

namespace zoqa {

std::string BrowserUserAgent() {
  return EngineSettings()->BrowserUserAgent;
}

namespace {

// The value of the last "Cookie:" line of a request header block; "" when it has none.
std::string CookieLine(std::string_view headers) {
  std::string value;
  std::size_t pos = 0;
  while (pos < headers.size()) {
    std::size_t end = headers.find('\n', pos);
    if (end == std::string_view::npos) end = headers.size();
    std::string_view line = headers.substr(pos, end - pos);
    if (line.size() > 7 && SameText(line.substr(0, 7), "cookie:")) value = Trim(line.substr(7));
    pos = end + 1;
  }
  return value;
}

bool IsRedirectStatus(long code) {
  return code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
}

}  // namespace

struct THttpClient::Impl {
  using TClock = std::chrono::steady_clock;

  CURL* curl = nullptr;
  TCurlBody body;
  std::uint64_t epoch = StopEpoch();
  THttpOptions options;
  std::string cookie;
  std::string cookieDomain;
  std::string referer;
  std::string sentCookie;  // Cookie value of the request being made
  bool fresh = false;
  TProxyRoute route;
  TProxyFault fault = tpfNone;  // of the last request

  // Watches the request headers as they go out, to learn the Cookie value each one carried.
  static int Debug(CURL*, curl_infotype type, char* data, std::size_t size, void* user) {
    if (type == CURLINFO_HEADER_OUT) {
      static_cast<Impl*>(user)->sentCookie = CookieLine(std::string_view(data, size));
    }
    return 0;
  }

  void Setup() {
    curl_easy_setopt(curl, CURLOPT_USERAGENT, options.UserAgent.c_str());
    curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");  // in-memory cookie store
    // Redirects are followed here hop by hop, so each hop's Cookie header fits its host.
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_AUTOREFERER, 0L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, options.ConnectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, (options.ReadTimeoutMs + 999) / 1000);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, Debug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, this);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
  }

  // One request of a Get, within what is left of the Get's whole time-out. A chain of
  // redirects that used that time up makes no further request, and the proxy is not blamed.
  CURLcode Perform(const std::string& url, TClock::time_point deadline) {
    body.data.clear();
    body.overflow = false;
    sentCookie.clear();
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now());
    if (left.count() <= 0) return CURLE_OPERATION_TIMEDOUT;
    bool sendCookie = !cookie.empty() && (cookieDomain.empty() || UrlOnDomain(url, cookieDomain));
    curl_easy_setopt(curl, CURLOPT_COOKIE, sendCookie ? cookie.c_str() : nullptr);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(left.count()));
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    CURLcode rc = curl_easy_perform(curl);
    fault = route.Report(curl, rc);
    return rc;
  }

  // Where the last response sends the client: "" when it is no redirect, `error` set when it
  // is one that cannot be followed.
  std::string RedirectTarget(std::string& error) {
    long code = 0;
    char* location = nullptr;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
    if (!IsRedirectStatus(code)) return {};
    curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &location);
    if (location == nullptr) error = "redirect without a usable location";
    return location == nullptr ? std::string() : std::string(location);
  }
};

THttpClient::THttpClient(THttpOptions options) : impl_(new Impl) {
  impl_->options = std::move(options);
  impl_->body.limit = impl_->options.MaxBodyBytes;
  try {
    impl_->curl = NewCurlHandle(impl_->body, &impl_->epoch);
  } catch (...) {
    delete impl_;
    throw;
  }
  impl_->Setup();
}

THttpClient::~THttpClient() {
  curl_easy_cleanup(impl_->curl);
  delete impl_;
}

void THttpClient::SetCookieHeader(const std::string& value, const std::string& domain) {
  impl_->cookie = value;
  impl_->cookieDomain = domain;
}

void THttpClient::SetReferer(const std::string& value) {
  impl_->referer = value;
  curl_easy_setopt(impl_->curl, CURLOPT_REFERER, value.empty() ? nullptr : impl_->referer.c_str());
}

void THttpClient::Close() {
  impl_->fresh = true;
}

void THttpClient::SetRoute(const TProxyRoute& route) {
  if (route == impl_->route) return;
  impl_->route = route;
  route.Apply(impl_->curl);
  curl_easy_setopt(impl_->curl, CURLOPT_COOKIELIST, "ALL");
  impl_->fresh = true;
}

bool THttpClient::Get(const std::string& url, std::string& body) {
  auto deadline = Impl::TClock::now() + std::chrono::milliseconds(impl_->options.TotalTimeoutMs);
  error_.clear();
  impl_->fault = tpfNone;
  curl_easy_setopt(impl_->curl, CURLOPT_FRESH_CONNECT, impl_->fresh ? 1L : 0L);
  impl_->fresh = false;
  // The URL of each request as it was asked for, user information and fragment included.
  lastUrl_ = url;
  for (long hop = 0;; ++hop) {
    CURLcode rc = impl_->Perform(lastUrl_, deadline);
    lastCookie_ = impl_->sentCookie;
    if (rc != CURLE_OK) {
      error_ = impl_->fault != tpfNone ? impl_->route.FaultText(impl_->fault)
                                       : CurlErrorText(rc, impl_->body);
      return false;
    }
    std::string next = impl_->RedirectTarget(error_);
    if (!error_.empty()) return false;
    if (next.empty()) break;
    if (hop == impl_->options.MaxRedirects) {
      error_ = "too many redirects";
      return false;
    }
    lastUrl_ = std::move(next);
    curl_easy_setopt(impl_->curl, CURLOPT_FRESH_CONNECT, 0L);
  }
  body = std::move(impl_->body.data);
  impl_->body.data.clear();
  return true;
}

bool THttpClient::ProxyFailed() const {
  return impl_->fault != tpfNone;
}

std::string THttpClient::LastHost() const {
  return UrlHost(lastUrl_);
}

// GCC 12 at -O2 and above reports a -Wrestrict overlap in the std::string code inlined into
// `"literal" + std::string` below; the copy cannot overlap (a known false positive of that
// compiler), so the warning is silenced for this function only. Clang has no such warning.
#ifndef __clang__
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
std::string UrlHost(const std::string& url) {
  CURLU* u = curl_url();
  if (u == nullptr) return {};
  std::string host;
  if (curl_url_set(u, CURLUPART_URL, url.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK) {
    char* part = nullptr;
    if (curl_url_get(u, CURLUPART_HOST, &part, 0) == CURLUE_OK) host = part;
    curl_free(part);
    part = nullptr;
    if (!host.empty() && curl_url_get(u, CURLUPART_PORT, &part, 0) == CURLUE_OK) {
      host += ":" + std::string(part);
    }
    curl_free(part);
  }
  curl_url_cleanup(u);
  return AsciiLower(host);
}
#ifndef __clang__
#pragma GCC diagnostic pop
#endif

bool UrlOnDomain(const std::string& url, const std::string& domain) {
  std::string host = UrlHost(url);
  host = host.substr(0, host.find(':'));
  std::string lower = AsciiLower(domain);
  if (lower.empty() || host.size() < lower.size()) return false;
  if (host.size() == lower.size()) return host == lower;
  return host.compare(host.size() - lower.size(), lower.size(), lower) == 0 &&
         host[host.size() - lower.size() - 1] == '.';
}

}  // namespace zoqa
