#include "harvest/net/curlsupport.h"

#include <mutex>
#include <new>

#include "harvest/base/enginesettings.h"
#include "harvest/net/workerthread.h"

namespace zoqa {
namespace {

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* body = static_cast<TCurlBody*>(user);
  std::size_t n = size * count;
  if (body->data.size() + n > body->limit) {
    body->overflow = true;
    return 0;  // fails the transfer with a write error
  }
  body->data.append(data, n);
  return n;
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto* epoch = static_cast<const std::uint64_t*>(user);
  return StopEpoch() != *epoch || CurrentWorkerStopped() ? 1 : 0;
}

}  // namespace

void ApplyCurlDefaults(CURL* curl, TCurlBody& body, const std::uint64_t* epoch) {
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(body.limit));
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::uint64_t*>(epoch));
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  std::string proxy = EngineSettings()->Proxy;
  if (!proxy.empty()) curl_easy_setopt(curl, CURLOPT_PROXY, ("http://" + proxy).c_str());
}

CURL* NewCurlHandle(TCurlBody& body, const std::uint64_t* epoch) {
  GlobalInit();
  CURL* curl = curl_easy_init();
  if (curl == nullptr) throw std::bad_alloc();
  ApplyCurlDefaults(curl, body, epoch);
  return curl;
}

std::string CurlErrorText(CURLcode code, const TCurlBody& body) {
  if (body.overflow || code == CURLE_FILESIZE_EXCEEDED) return "response body too large";
  return curl_easy_strerror(code);
}

}  // namespace zoqa
