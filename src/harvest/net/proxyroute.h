// The way a harvester's requests and its crawlers' go: one proxy of the pool. A client on a
// route sends every request through that proxy and tells the pool whether it could reach it.
#pragma once

#include <curl/curl.h>

#include <memory>

#include "harvest/net/proxypool.h"

namespace zoqa {

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
  // Tells the pool how a transfer through the proxy went: connected, or failed to connect
  // to it or to get through its handshake.
  void Report(CURL* curl, CURLcode code) const;

 private:
  std::shared_ptr<TProxyPool> pool_;
  int index_ = -1;
};

// True when a finished transfer failed before the proxy took the request: no connection to
// it, or a failed proxy handshake (a refusal to reach the target is the proxy answering).
bool ProxyUnreachable(CURL* curl, CURLcode code);

}  // namespace zoqa
