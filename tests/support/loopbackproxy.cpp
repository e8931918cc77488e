#include "support/loopbackproxy.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "support/loopbackworld.h"

namespace zoqa::test {
namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// Headers that describe one hop, not the message.
bool HopHeader(const std::string& name) {
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower == "content-length" || lower == "transfer-encoding" || lower == "connection" ||
         lower == "keep-alive" || lower == "proxy-authorization" || lower == "content-type";
}

void Forward(int worldPort, const httplib::Request& req, httplib::Response& res) {
  httplib::Client client("127.0.0.1", worldPort);
  client.set_url_encode(false);
  client.set_read_timeout(30, 0);
  httplib::Headers headers;
  for (const auto& [name, value] : req.headers) {
    if (!HopHeader(name)) headers.emplace(name, value);
  }
  auto answer = client.Get(req.target, headers);
  if (!answer) {
    res.status = 502;
    return;
  }
  res.status = answer->status;
  for (const auto& [name, value] : answer->headers) {
    if (!HopHeader(name)) res.set_header(name, value);
  }
  res.set_content(answer->body, answer->get_header_value("Content-Type"));
}

}  // namespace

TLoopbackProxy::TLoopbackProxy(int worldPort)
    : server_(std::make_unique<httplib::Server>()), worldPort_(worldPort) {
  server_->new_task_queue = [] { return new httplib::ThreadPool(16); };
  server_->set_keep_alive_timeout(1);
  server_->Get("[\\s\\S]*", [this](const httplib::Request& req, httplib::Response& res) {
    std::string body;
    bool itself = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      log_.push_back({SteadyMs(), req.target});
      authorization_ = req.get_header_value("Proxy-Authorization");
      for (const auto& [prefix, answer] : answers_) {
        if (StartsWith(req.target, prefix)) {
          body = answer;
          itself = true;
        }
      }
    }
    if (itself) {
      res.set_content(body, "text/html; charset=utf-8");
    } else {
      Forward(worldPort_, req, res);
    }
  });
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("the loopback proxy cannot bind a port");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TLoopbackProxy::~TLoopbackProxy() {
  Stop();
}

std::string TLoopbackProxy::Url() const {
  return "http://127.0.0.1:" + std::to_string(port_);
}

void TLoopbackProxy::AnswerItself(const std::string& urlPrefix, std::string body) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_[urlPrefix] = std::move(body);
}

std::vector<TProxyPassage> TLoopbackProxy::Passages(const std::string& urlPrefix,
                                                    std::int64_t sinceMs) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<TProxyPassage> out;
  for (const auto& p : log_) {
    if (p.AtMs >= sinceMs && StartsWith(p.Url, urlPrefix)) out.push_back(p);
  }
  return out;
}

int TLoopbackProxy::Count(const std::string& urlPrefix) const {
  return static_cast<int>(Passages(urlPrefix).size());
}

std::string TLoopbackProxy::LastAuthorization() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return authorization_;
}

void TLoopbackProxy::Stop() {
  server_->stop();
  if (thread_.joinable()) thread_.join();
}

}  // namespace zoqa::test
