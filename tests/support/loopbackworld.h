// A loopback imitation of the web for the harvesting tests: one HTTP server on 127.0.0.1 that
// serves many virtual hosts. The engine's clients use it as their HTTP proxy, so requests for
// www.baidu.com or a company site arrive here in absolute form and are answered from a route
// table that the test fills. Direct requests to the server's own address work as well.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httplib {
class Server;
}

namespace zoqa::test {

// Milliseconds on the steady clock (the clock the engine's gates use too).
std::int64_t SteadyMs();

// How the world answers one request.
struct TWorldResponse {
  int Status = 200;
  std::vector<std::pair<std::string, std::string>> Headers;  // Location, Set-Cookie, ...
  std::string Body;
  std::string ContentType = "text/html; charset=utf-8";
  int DelayMs = 0;           // wait this long before answering
  bool NeverAnswer = false;  // read the request, then hold the connection until reset or stop
  // Streams a body of this many bytes with a Content-Length (0 and less: off).
  std::int64_t StreamBytes = 0;
  // Streams chunks without end, until the client goes, the world resets or it stops.
  bool Endless = false;
  // With Endless: a few bytes every this many milliseconds instead of large chunks at once.
  int TrickleMs = 0;

  static TWorldResponse Page(std::string body, int status = 200);
  static TWorldResponse Redirect(std::string location, int status = 302);
  TWorldResponse& WithHeader(std::string name, std::string value);
};

// One request as it arrived.
struct TWorldRequest {
  std::int64_t AtMs = 0;  // SteadyMs() on arrival
  std::string Host;       // lower case, ":80" dropped
  std::string Target;     // path and query exactly as sent (not decoded)
  std::string Path;       // Target before "?"
  std::string Cookie;     // the header's value; "" when not sent
  bool HasCookie = false;
  std::string Referer;
  std::string UserAgent;
  std::string Range;
  bool HasRange = false;
  std::string Version;    // "HTTP/1.0" or "HTTP/1.1"
  bool ViaProxy = false;  // the request line held an absolute URL
};

// Which requests a count or a wait looks at: a host ("" any) and a target prefix ("" any).
struct TRequestFilter {
  std::string Host;
  std::string TargetPrefix;
  bool Matches(const TWorldRequest& r) const;
};

class TLoopbackWorld {
 public:
  using THandler = std::function<TWorldResponse(const TWorldRequest&)>;

  // Binds an ephemeral port on 127.0.0.1 and starts serving, with a thread per connection
  // up to `serverThreads` connections at once.
  explicit TLoopbackWorld(int serverThreads = 32);
  ~TLoopbackWorld();
  TLoopbackWorld(const TLoopbackWorld&) = delete;
  TLoopbackWorld& operator=(const TLoopbackWorld&) = delete;

  int Port() const { return port_; }
  // "127.0.0.1:port": the proxy setting that sends the engine's requests here.
  std::string ProxyAddress() const;
  // The host of direct requests, and a direct URL for `target` ("/path?query").
  std::string DirectHost() const { return ProxyAddress(); }
  std::string DirectUrl(const std::string& target) const;

  // Routes, looked up by host (case-insensitive; "*" any host): an exact target first, then
  // the longest matching target prefix. Unrouted requests get 404 with a short body.
  void Route(const std::string& host, const std::string& target, TWorldResponse response);
  void RoutePrefix(const std::string& host, const std::string& prefix, TWorldResponse response);
  void RouteFn(const std::string& host, const std::string& prefix, THandler handler);

  // Forgets routes and the log and lets go of held connections and endless streams.
  void Reset();
  // Lets go of held connections and endless streams only.
  void ReleaseHeld();

  std::vector<TWorldRequest> Requests(const TRequestFilter& filter = {}) const;
  int Count(const TRequestFilter& filter = {}) const;
  // Waits (without pumping any event loop) until `count` matching requests arrived.
  bool WaitForCount(const TRequestFilter& filter, int count, int timeoutMs) const;

  // Stops serving; held connections and streams end at once. Called by the destructor.
  void Stop();

 private:
  struct TRoute {
    std::string Host;
    std::string Target;
    bool Prefix = false;
    THandler Handler;
  };

  TWorldRequest Describe(const void* request) const;
  THandler Find(const TWorldRequest& request) const;
  void Answer(const TWorldResponse& response, void* out);
  // Sleeps up to `ms`; false when held connections were released or the world stops.
  bool Hold(std::uint64_t generation, int ms) const;
  bool Released(std::uint64_t generation) const;

  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<TRoute> routes_;
  std::vector<TWorldRequest> log_;
  std::uint64_t generation_ = 0;
  bool stopping_ = false;
};

}  // namespace zoqa::test
