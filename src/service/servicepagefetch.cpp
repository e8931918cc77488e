#include "service/servicepagefetch.h"

#include <memory>
#include <utility>

#include "harvest/net/curlsupport.h"
#include "harvest/net/httpclient.h"
#include "platform/mainthreadport.h"
#include "service/servicesettings.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {

const char kServiceUserAgent[] = "Mozilla/3.0 (compatible; Indy Library)";

namespace {

constexpr long kConnectTimeoutMs = 10000;
constexpr long kTotalTimeoutMs = 60000;
constexpr long kMaxRedirects = 10;

}  // namespace

std::string ReplyText(std::string_view body) {
  // A byte-order mark says only that the text is UTF-8; it is not part of the text.
  if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
  return Utf8ToCp936(body);
}

TGetResult GetServicePage(const std::string& url, std::uint64_t epoch) {
  TGetResult result;
  // Only absolute http(s) addresses are requested: a page address without its host (the
  // service's base address not yet known) must not be guessed into some other request.
  if (!ServiceSettings()->AllowsUrl(url)) return result;
  TCurlBody body;
  body.limit = kMaxPageBytes;
  std::unique_ptr<CURL, void (*)(CURL*)> curl(NewCurlHandle(body, &epoch), curl_easy_cleanup);
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  LimitServiceProtocols(c);
  curl_easy_setopt(c, CURLOPT_USERAGENT, kServiceUserAgent);
  curl_easy_setopt(c, CURLOPT_COOKIEFILE, "");  // cookies kept across the redirects
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, kTotalTimeoutMs);
  curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "");
  if (curl_easy_perform(c) != CURLE_OK) return result;
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  if (status < 200 || status >= 400) return result;
  const char* type = nullptr;
  curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &type);
  result.Ok = true;
  result.Body = std::move(body.data);
  if (type != nullptr) result.ContentType = type;
  return result;
}

std::shared_ptr<TServicePageFetch> TServicePageFetch::Start(const std::string& url,
                                                            std::shared_ptr<TMainThreadPort> port,
                                                            TTextHandler onReply) {
  return StartRaw(url, std::move(port), [onReply = std::move(onReply)](const TGetResult& r) {
    onReply(r.Ok ? ReplyText(r.Body) : std::string());
  });
}

std::shared_ptr<TServicePageFetch> TServicePageFetch::StartRaw(
    const std::string& url, std::shared_ptr<TMainThreadPort> port, TRawHandler onResult) {
  std::shared_ptr<TServicePageFetch> get(
      new TServicePageFetch(url, std::move(port), std::move(onResult)));
  get->StartThread();
  return get;
}

TServicePageFetch::TServicePageFetch(const std::string& url, std::shared_ptr<TMainThreadPort> port,
                                     TRawHandler onResult)
    : url_(url), port_(std::move(port)), onResult_(std::move(onResult)) {}

void TServicePageFetch::Execute() {
  result_ = GetServicePage(url_, StartEpoch());
}

void TServicePageFetch::Finished() {
  if (!port_ || !onResult_) return;
  if (Terminated()) result_ = TGetResult();
  port_->Post([onResult = std::move(onResult_), result = std::move(result_)] { onResult(result); });
}

}  // namespace zoqa
