#include "harvest/net/proxyroute.h"

namespace zoqa {
namespace {

// The SOCKS replies that tell about the target, given by a proxy that works.
bool TargetReply(long proxyError) {
  switch (proxyError) {
    case CURLPX_REPLY_ADDRESS_TYPE_NOT_SUPPORTED:
    case CURLPX_REPLY_COMMAND_NOT_SUPPORTED:
    case CURLPX_REPLY_CONNECTION_REFUSED:
    case CURLPX_REPLY_GENERAL_SERVER_FAILURE:
    case CURLPX_REPLY_HOST_UNREACHABLE:
    case CURLPX_REPLY_NETWORK_UNREACHABLE:
    case CURLPX_REPLY_NOT_ALLOWED:
    case CURLPX_REPLY_TTL_EXPIRED:
    case CURLPX_REPLY_UNASSIGNED:
    case CURLPX_RESOLVE_HOST:
      return true;
    default:
      return false;
  }
}

}  // namespace

void TProxyRoute::Apply(CURL* curl) const {
  if (!*this) return;
  const TProxyEntry& entry = Entry();
  curl_easy_setopt(curl, CURLOPT_PROXY, entry.Address().c_str());
  // The pool's proxy takes every request, whatever no_proxy says.
  curl_easy_setopt(curl, CURLOPT_NOPROXY, "");
  bool credentials = !entry.User.empty();
  curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, credentials ? entry.User.c_str() : nullptr);
  curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, credentials ? entry.Password.c_str() : nullptr);
}

void TProxyRoute::Report(CURL* curl, CURLcode code) const {
  if (!*this) return;
  if (ProxyUnreachable(curl, code)) {
    pool_->ConnectFailed(index_);
  } else if (code != CURLE_ABORTED_BY_CALLBACK) {
    pool_->Connected(index_);
  }
}

bool ProxyUnreachable(CURL* curl, CURLcode code) {
  long connectCode = 0;
  curl_easy_getinfo(curl, CURLINFO_HTTP_CONNECTCODE, &connectCode);
  if (connectCode != 0) return false;  // the proxy answered a tunnel request
  if (code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_PROXY) return true;
  if (code == CURLE_OPERATION_TIMEDOUT) {
    curl_off_t connected = 0;
    curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connected);
    return connected == 0;
  }
  if (code != CURLE_PROXY) return false;
  long proxyError = CURLPX_OK;
  curl_easy_getinfo(curl, CURLINFO_PROXY_ERROR, &proxyError);
  return !TargetReply(proxyError);
}

}  // namespace zoqa
