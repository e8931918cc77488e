// The way a harvester's requests and its crawlers' go: one proxy of the pool. A client on a
// route sends every request through that proxy and tells the pool whether it could reach it.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

#include "harvest/net/proxypool.h"

namespace zoqa {

// What a transfer through a proxy tells about the proxy.
enum TProxyFault {
  tpfNone,         // the proxy took the request (or the transfer was cut by a stop)
  tpfUnreachable,  // no TCP connection to the proxy
  tpfRefused,      // the proxy refused the credentials (407, SOCKS authentication)
  tpfDropped,      // the proxy closed or reset the connection without an answer
  tpfHandshake,    // the SOCKS handshake failed
};

class TProxyRoute {
 public:
  TProxyRoute() = default;
  TProxyRoute(std::shared_ptr<TProxyPool> pool, int index)
      : pool_(std::move(pool)), index_(index) {}

  // False for the empty route: the one `[net] Proxy` of the settings.
  explicit operator bool() const { return pool_ && index_ >= 0; }
  bool operator==(const TProxyRoute& other) const {
    return pool_ == other.pool_ && index_ == other.index_;
  }

  TProxyPool* Pool() const { return pool_.get(); }
  int Index() const { return index_; }
  const TProxyEntry& Entry() const { return pool_->Entry(index_); }

  // Sends the handle's requests through the proxy (nothing for the empty route).
  void Apply(CURL* curl) const;
  // Tells the pool how a transfer through the proxy went and returns the proxy's fault in it
  // (tpfNone when the proxy did its part, whatever became of the target).
  TProxyFault Report(CURL* curl, CURLcode code) const;
  // The status line of a fault, naming the proxy: "代理 host:port 拒绝认证" and the like.
  std::string FaultText(TProxyFault fault) const;

 private:
  std::shared_ptr<TProxyPool> pool_;
  int index_ = -1;
};

// Judges a finished transfer through a proxy (`socks`: a SOCKS proxy, else an HTTP one) by
// whether the TCP connection to the proxy was made: without one the proxy is unreachable.
// After it, a refused authentication, an empty reply or a reset from the proxy itself, or a
// failed SOCKS handshake are the proxy's fault; a time-out, a refusal to reach the target and
// anything said from inside an established tunnel are the target's.
TProxyFault JudgeProxy(CURL* curl, CURLcode code, bool socks);

}  // namespace zoqa
