// A small HTTP forward proxy on 127.0.0.1 for the proxies pool tests: it passes every request
// on to the loopback world (as that world's proxy client), notes what passed, and can answer
// some requests itself, as an engine answers one address differently from another.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace zoqa::test {

struct TProxyPassage {
  std::int64_t AtMs = 0;
  std::string Url;  // the absolute URL of the request line
};

class TLoopbackProxy {
 public:
  // Forwards to the loopback world listening on 127.0.0.1:`worldPort`.
  explicit TLoopbackProxy(int worldPort);
  ~TLoopbackProxy();
  TLoopbackProxy(const TLoopbackProxy&) = delete;
  TLoopbackProxy& operator=(const TLoopbackProxy&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:port", for the pool settings.
  std::string Url() const;

  // Requests whose URL starts with `urlPrefix` are answered here with `body` (status 200).
  void AnswerItself(const std::string& urlPrefix, std::string body);

  // What passed (answered here or forwarded) from `sinceMs` on, and how many URLs started
  // with `urlPrefix`.
  std::vector<TProxyPassage> Passages(const std::string& urlPrefix = "",
                                      std::int64_t sinceMs = 0) const;
  int Count(const std::string& urlPrefix = "") const;
  // The Proxy-Authorization value of the last request ("" when it had none).
  std::string LastAuthorization() const;

  void Stop();

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  int worldPort_;

  mutable std::mutex mutex_;
  std::vector<TProxyPassage> log_;
  std::map<std::string, std::string> answers_;
  std::string authorization_;
};

}  // namespace zoqa::test
