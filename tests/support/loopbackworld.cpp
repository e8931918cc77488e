#include "support/loopbackworld.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <stdexcept>

#if defined(__SANITIZE_THREAD__)
// The web server library is not built with ThreadSanitizer, so the ordering its thread pool
// gives between server threads is invisible and its own copies look like races. Only calls
// made from inside that library are exempt; the world's handlers are checked as usual.
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libcpp-httplib.so\n";
}
#endif

namespace zoqa::test {
namespace {

constexpr std::size_t kStreamChunk = 64 * 1024;
constexpr std::size_t kTrickleChunk = 8;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string DropDefaultPort(std::string host) {
  if (host.size() > 3 && host.compare(host.size() - 3, 3, ":80") == 0) host.resize(host.size() - 3);
  return host;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::int64_t SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

TWorldResponse TWorldResponse::Page(std::string body, int status) {
  TWorldResponse r;
  r.Status = status;
  r.Body = std::move(body);
  return r;
}

TWorldResponse TWorldResponse::Redirect(std::string location, int status) {
  TWorldResponse r;
  r.Status = status;
  r.Headers.emplace_back("Location", std::move(location));
  r.Body = "<html><body>moved</body></html>";
  return r;
}

TWorldResponse& TWorldResponse::WithHeader(std::string name, std::string value) {
  Headers.emplace_back(std::move(name), std::move(value));
  return *this;
}

bool TRequestFilter::Matches(const TWorldRequest& r) const {
  return (Host.empty() || Lower(Host) == r.Host) && StartsWith(r.Target, TargetPrefix);
}

TLoopbackWorld::TLoopbackWorld(int serverThreads) : server_(std::make_unique<httplib::Server>()) {
  server_->new_task_queue = [serverThreads] { return new httplib::ThreadPool(serverThreads); };
  // Idle kept-alive connections go after a second, so stopping never waits long for them.
  server_->set_keep_alive_timeout(1);
  server_->Get("[\\s\\S]*", [this](const httplib::Request& req, httplib::Response& res) {
    TWorldRequest request = Describe(&req);
    THandler handler = Find(request);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      log_.push_back(request);
    }
    changed_.notify_all();
    TWorldResponse response = handler ? handler(request) : TWorldResponse::Page("not found", 404);
    Answer(response, &res);
  });
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("the loopback world cannot bind a port");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // Stop() is only safe once the server runs.
  while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TLoopbackWorld::~TLoopbackWorld() {
  Stop();
}

std::string TLoopbackWorld::ProxyAddress() const {
  return "127.0.0.1:" + std::to_string(port_);
}

std::string TLoopbackWorld::DirectUrl(const std::string& target) const {
  return "http://" + ProxyAddress() + target;
}

void TLoopbackWorld::Route(const std::string& host, const std::string& target,
                           TWorldResponse response) {
  std::lock_guard<std::mutex> lock(mutex_);
  routes_.push_back({Lower(host), target, false,
                     [response = std::move(response)](const TWorldRequest&) { return response; }});
}

void TLoopbackWorld::RoutePrefix(const std::string& host, const std::string& prefix,
                                 TWorldResponse response) {
  std::lock_guard<std::mutex> lock(mutex_);
  routes_.push_back({Lower(host), prefix, true,
                     [response = std::move(response)](const TWorldRequest&) { return response; }});
}

void TLoopbackWorld::RouteFn(const std::string& host, const std::string& prefix, THandler handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  routes_.push_back({Lower(host), prefix, true, std::move(handler)});
}

void TLoopbackWorld::Reset() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    routes_.clear();
    log_.clear();
    ++generation_;
  }
  changed_.notify_all();
}

void TLoopbackWorld::ReleaseHeld() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++generation_;
  }
  changed_.notify_all();
}

std::vector<TWorldRequest> TLoopbackWorld::Requests(const TRequestFilter& filter) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<TWorldRequest> out;
  for (const auto& r : log_) {
    if (filter.Matches(r)) out.push_back(r);
  }
  return out;
}

int TLoopbackWorld::Count(const TRequestFilter& filter) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(
      std::count_if(log_.begin(), log_.end(), [&](const auto& r) { return filter.Matches(r); }));
}

bool TLoopbackWorld::WaitForCount(const TRequestFilter& filter, int count, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    return std::count_if(log_.begin(), log_.end(),
                         [&](const auto& r) { return filter.Matches(r); }) >= count;
  });
}

void TLoopbackWorld::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
  }
  changed_.notify_all();
  server_->stop();
  if (thread_.joinable()) thread_.join();
}

TWorldRequest TLoopbackWorld::Describe(const void* raw) const {
  const auto& req = *static_cast<const httplib::Request*>(raw);
  TWorldRequest r;
  r.AtMs = SteadyMs();
  r.Version = req.version;
  std::string target = req.target;
  if (StartsWith(Lower(target.substr(0, 7)), "http://")) {
    // A proxy request: "GET http://host[:port]/path?query HTTP/1.1".
    r.ViaProxy = true;
    std::size_t end = target.find_first_of("/?", 7);
    r.Host = target.substr(7, end == std::string::npos ? std::string::npos : end - 7);
    target = end == std::string::npos ? "/" : target.substr(end);
    if (target.front() == '?') target = "/" + target;
  } else {
    r.Host = req.get_header_value("Host");
  }
  r.Host = DropDefaultPort(Lower(r.Host));
  r.Target = target;
  r.Path = target.substr(0, target.find('?'));
  r.HasCookie = req.has_header("Cookie");
  r.Cookie = req.get_header_value("Cookie");
  r.Referer = req.get_header_value("Referer");
  r.UserAgent = req.get_header_value("User-Agent");
  r.HasRange = req.has_header("Range");
  r.Range = req.get_header_value("Range");
  return r;
}

TLoopbackWorld::THandler TLoopbackWorld::Find(const TWorldRequest& request) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const TRoute* best = nullptr;
  for (const auto& route : routes_) {
    if (route.Host != "*" && route.Host != request.Host) continue;
    if (!route.Prefix) {
      if (route.Target == request.Target) return route.Handler;
      continue;
    }
    if (StartsWith(request.Target, route.Target) &&
        (best == nullptr || route.Target.size() > best->Target.size())) {
      best = &route;
    }
  }
  return best != nullptr ? best->Handler : THandler();
}

bool TLoopbackWorld::Released(std::uint64_t generation) const {
  return stopping_ || generation_ != generation;
}

bool TLoopbackWorld::Hold(std::uint64_t generation, int ms) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return !changed_.wait_for(lock, std::chrono::milliseconds(ms),
                            [&] { return Released(generation); });
}

void TLoopbackWorld::Answer(const TWorldResponse& response, void* out) {
  auto& res = *static_cast<httplib::Response*>(out);
  std::uint64_t generation;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    generation = generation_;
  }
  if (response.NeverAnswer) {
    Hold(generation, INT_MAX / 2);
    res.status = 503;
    return;
  }
  if (response.DelayMs > 0) Hold(generation, response.DelayMs);
  res.status = response.Status;
  for (const auto& [name, value] : response.Headers) res.headers.emplace(name, value);
  if (response.Endless) {
    int trickle = response.TrickleMs;
    res.set_chunked_content_provider(
        response.ContentType, [this, generation, trickle](std::size_t, httplib::DataSink& sink) {
          static const std::string chunk(kStreamChunk, 'x');
          if (trickle > 0)
            return Hold(generation, trickle) && sink.write(chunk.data(), kTrickleChunk);
          {
            std::lock_guard<std::mutex> lock(mutex_);
            if (Released(generation)) return false;
          }
          return sink.write(chunk.data(), chunk.size());
        });
    return;
  }
  if (response.StreamBytes > 0) {
    res.set_content_provider(
        static_cast<std::size_t>(response.StreamBytes), response.ContentType,
        [this, generation](std::size_t, std::size_t length, httplib::DataSink& sink) {
          {
            std::lock_guard<std::mutex> lock(mutex_);
            if (Released(generation)) return false;
          }
          static const std::string chunk(kStreamChunk, 'x');
          return sink.write(chunk.data(), std::min(length, chunk.size()));
        });
    return;
  }
  res.set_content(response.Body, response.ContentType);
}

}  // namespace zoqa::test
