#include "harvest/net/proxyroute.h"

#include "util/codepage.h"

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

bool SocksAuthError(long proxyError) {
  return proxyError == CURLPX_USER_REJECTED || proxyError == CURLPX_NO_AUTH ||
         proxyError == CURLPX_REQUEST_FAILED;
}

bool ProxyConnected(CURL* curl) {
  char* ip = nullptr;
  curl_easy_getinfo(curl, CURLINFO_PRIMARY_IP, &ip);
  return ip != nullptr && *ip != '\0';
}

TProxyFault SocksFault(CURL* curl) {
  long proxyError = CURLPX_OK;
  curl_easy_getinfo(curl, CURLINFO_PROXY_ERROR, &proxyError);
  if (TargetReply(proxyError)) return tpfNone;
  return SocksAuthError(proxyError) ? tpfRefused : tpfHandshake;
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

TProxyFault TProxyRoute::Report(CURL* curl, CURLcode code) const {
  if (!*this || code == CURLE_ABORTED_BY_CALLBACK) return tpfNone;
  TProxyFault fault = JudgeProxy(curl, code, Entry().Scheme != "http");
  if (fault != tpfNone) {
    pool_->ConnectFailed(index_);
  } else {
    pool_->Connected(index_);
  }
  return fault;
}

std::string TProxyRoute::FaultText(TProxyFault fault) const {
  std::string what;
  switch (fault) {
    case tpfNone:
      return {};
    case tpfUnreachable:
      what = Cp936(" 连接失败");
      break;
    case tpfRefused:
      what = Cp936(" 拒绝认证");
      break;
    case tpfDropped:
      what = Cp936(" 断开了连接");
      break;
    case tpfHandshake:
      what = Cp936(" 握手失败");
      break;
  }
  return Cp936("代理 ") + (*this ? Entry().Label() : std::string()) + what;
}

TProxyFault JudgeProxy(CURL* curl, CURLcode code, bool socks) {
  if (code == CURLE_OK || code == CURLE_ABORTED_BY_CALLBACK) return tpfNone;
  if (!ProxyConnected(curl)) {
    bool proxyStep = code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_PROXY ||
                     code == CURLE_OPERATION_TIMEDOUT || code == CURLE_PROXY;
    return proxyStep ? tpfUnreachable : tpfNone;
  }
  if (code == CURLE_PROXY) return SocksFault(curl);
  if (socks) return tpfNone;  // past the handshake every answer comes from the target
  long connectCode = 0;
  long responseCode = 0;
  curl_easy_getinfo(curl, CURLINFO_HTTP_CONNECTCODE, &connectCode);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &responseCode);
  if (connectCode == 407 || (connectCode == 0 && responseCode == 407)) return tpfRefused;
  // Without an established tunnel, an empty reply or a reset comes from the proxy: one that
  // works answers for a target it cannot reach.
  bool silent = code == CURLE_GOT_NOTHING || code == CURLE_RECV_ERROR || code == CURLE_SEND_ERROR;
  if (silent && connectCode == 0) return tpfDropped;
  return tpfNone;
}

}  // namespace zoqa
