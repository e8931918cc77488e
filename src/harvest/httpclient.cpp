#include "harvest/httpclient.h"

#include <curl/curl.h>

#include "harvest/curlsupport.h"
#include "harvest/enginesettings.h"
#include "harvest/workerthread.h"
#include "util/textutil.h"

namespace zoqa {

const char kBrowserUserAgent[] = "Mozilla/5.0 (Windows NT 6.1; rv:2.0) Gecko/20100101 Firefox/4.0";

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

}  // namespace

struct THttpClient::Impl {
  CURL* curl = nullptr;
  TCurlBody body;
  std::uint64_t epoch = StopEpoch();
  THttpOptions options;
  std::string cookie;
  std::string referer;
  std::string sentCookie;  // Cookie value of the request being made
  bool fresh = false;

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
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, options.MaxRedirects);
    curl_easy_setopt(curl, CURLOPT_AUTOREFERER, 0L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, options.ConnectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, (options.ReadTimeoutMs + 999) / 1000);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, options.TotalTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, Debug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, this);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
  }
};

THttpClient::THttpClient(THttpOptions options) : impl_(new Impl) {
  impl_->options = std::move(options);
  impl_->body.limit = kMaxPageBytes;
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

void THttpClient::SetCookieHeader(const std::string& value) {
  impl_->cookie = value;
  curl_easy_setopt(impl_->curl, CURLOPT_COOKIE, value.empty() ? nullptr : impl_->cookie.c_str());
}

void THttpClient::SetReferer(const std::string& value) {
  impl_->referer = value;
  curl_easy_setopt(impl_->curl, CURLOPT_REFERER, value.empty() ? nullptr : impl_->referer.c_str());
}

void THttpClient::Close() {
  impl_->fresh = true;
}

bool THttpClient::Get(const std::string& url, std::string& body) {
  CURL* curl = impl_->curl;
  impl_->body.data.clear();
  impl_->body.overflow = false;
  impl_->sentCookie.clear();
  error_.clear();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, impl_->fresh ? 1L : 0L);
  impl_->fresh = false;
  CURLcode rc = curl_easy_perform(curl);

  long redirects = 0;
  char* effective = nullptr;
  curl_easy_getinfo(curl, CURLINFO_REDIRECT_COUNT, &redirects);
  curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective);
  // Without a redirect the URL is the one asked for, user information and fragment included.
  lastUrl_ = redirects == 0 || effective == nullptr ? url : std::string(effective);
  lastCookie_ = impl_->sentCookie;
  if (rc != CURLE_OK) {
    error_ = CurlErrorText(rc, impl_->body);
    return false;
  }
  body = std::move(impl_->body.data);
  impl_->body.data.clear();
  return true;
}

std::string THttpClient::LastHost() const {
  return UrlHost(lastUrl_);
}

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

}  // namespace zoqa
