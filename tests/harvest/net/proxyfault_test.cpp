// Whose fault a failed request through a pool proxy is: a proxy that cannot be reached,
// refuses the credentials or drops the connection is blamed and named; a target that never
// answers behind a proxy that took the connection is not the proxy's fault.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "harvest/net/httpclient.h"
#include "harvest/net/proxypool.h"
#include "util/codepage.h"

namespace zoqa::test {
namespace {

// A proxy on 127.0.0.1 that reads each request and then closes the connection, answers 407,
// or holds the connection as a proxy does while it waits for a dead target.
class TFaultyProxy {
 public:
  enum TMode { kClose, kRefuse, kHold };

  explicit TFaultyProxy(TMode mode) : mode_(mode) {
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof addr;
    ::bind(listen_, reinterpret_cast<sockaddr*>(&addr), size);
    ::listen(listen_, 16);
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &size);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~TFaultyProxy() {
    stop_ = true;
    thread_.join();
    for (int fd : held_) ::close(fd);
    ::close(listen_);
  }

  std::string Label() const { return "127.0.0.1:" + std::to_string(port_); }
  int Accepted() const { return accepted_.load(); }

 private:
  void Serve() {
    while (!stop_) {
      pollfd p{listen_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      ++accepted_;
      ReadRequest(fd);
      if (mode_ == kHold) {
        held_.push_back(fd);
        continue;
      }
      if (mode_ == kRefuse) {
        static const char k407[] =
            "HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic "
            "realm=\"p\"\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        ssize_t sent = ::send(fd, k407, sizeof k407 - 1, MSG_NOSIGNAL);
        (void)sent;
      }
      ::close(fd);
    }
  }
  static void ReadRequest(int fd) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 8192) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 2000) <= 0) return;
      ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) return;
      request.append(buffer, static_cast<std::size_t>(n));
    }
  }

  TMode mode_;
  int listen_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> accepted_{0};
  std::vector<int> held_;  // used on the serving thread only, until it was joined
};

std::shared_ptr<TProxyPool> PoolOf(const std::string& url, int failuresToBench) {
  return std::make_shared<TProxyPool>(std::vector<TProxyEntry>{ParseProxy(url)},
                                      TProxyPoolTimes{60000, failuresToBench});
}

THttpOptions ShortWaits() {
  THttpOptions options;
  options.ConnectTimeoutMs = 500;
  options.ReadTimeoutMs = 1000;
  options.TotalTimeoutMs = 5000;
  return options;
}

TEST(ProxyFaultTest, AProxyThatRefusesOrDropsIsNamedAndBenched) {
  for (auto [mode, what] : {std::pair{TFaultyProxy::kRefuse, " 拒绝认证"},
                            std::pair{TFaultyProxy::kClose, " 断开了连接"}}) {
    for (const char* url : {"http://www.site.com/", "https://www.site.com/"}) {
      TFaultyProxy proxy(mode);
      auto pool = PoolOf("http://" + proxy.Label(), 2);
      THttpClient http(ShortWaits());
      http.SetRoute(TProxyRoute(pool, 0));
      std::string body;
      EXPECT_FALSE(http.Get(url, body));
      EXPECT_TRUE(http.ProxyFailed()) << url;
      EXPECT_EQ(Cp936ToUtf8(http.Error()), "代理 " + proxy.Label() + what) << url;
      EXPECT_FALSE(pool->Benched(0));
      EXPECT_FALSE(http.Get(url, body));
      EXPECT_TRUE(pool->Benched(0)) << url << what;
    }
  }
  auto pool = PoolOf("http://127.0.0.1:1", 1);
  THttpClient http(ShortWaits());
  http.SetRoute(TProxyRoute(pool, 0));
  std::string body;
  EXPECT_FALSE(http.Get("http://www.site.com/", body));
  EXPECT_EQ(Cp936ToUtf8(http.Error()), "代理 127.0.0.1:1 连接失败");
  EXPECT_TRUE(pool->Benched(0));
}

TEST(ProxyFaultTest, ATargetThatNeverAnswersBehindTheProxyIsNotItsFault) {
  TFaultyProxy proxy(TFaultyProxy::kHold);
  for (const std::string scheme : {"http://", "socks5h://"}) {
    auto pool = PoolOf(scheme + proxy.Label(), 1);
    for (const char* url : {"http://www.dead.com/", "https://www.dead.com/"}) {
      THttpClient http(ShortWaits());
      http.SetRoute(TProxyRoute(pool, 0));
      std::string body;
      EXPECT_FALSE(http.Get(url, body));
      EXPECT_FALSE(http.ProxyFailed()) << scheme << " " << url << ": " << http.Error();
      EXPECT_FALSE(pool->Benched(0)) << scheme << " " << url;
    }
  }
}

TEST(ProxyFaultTest, ARequestWithNoTimeLeftIsNotMadeNorCountedAgainstTheProxy) {
  TFaultyProxy proxy(TFaultyProxy::kClose);
  auto pool = PoolOf("http://" + proxy.Label(), 1);
  THttpOptions options;
  options.TotalTimeoutMs = 0;
  THttpClient http(options);
  http.SetRoute(TProxyRoute(pool, 0));
  std::string body;
  EXPECT_FALSE(http.Get("http://www.site.com/", body));
  EXPECT_FALSE(http.ProxyFailed());
  EXPECT_FALSE(pool->Benched(0));
  EXPECT_EQ(proxy.Accepted(), 0);
}

}  // namespace
}  // namespace zoqa::test
