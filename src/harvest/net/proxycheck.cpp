#include "harvest/net/proxycheck.h"

#include <chrono>
#include <thread>

#include "harvest/base/enginesettings.h"
#include "harvest/net/httpclient.h"

namespace zoqa {
namespace {

constexpr int kGatePollMs = 100;

std::string HomePage(TEngine engine) {
  auto settings = EngineSettings();
  switch (engine) {
    case egBaidu:
      return "http://" + settings->BaiduSearchHost + "/";
    case egSogou:
      return "http://" + settings->SogouSearchHost + "/";
    case eg360:
      break;
  }
  return "http://" + settings->So360SearchHost + "/";
}

}  // namespace

std::string CheckProxy(const std::shared_ptr<TProxyPool>& pool, int index, TEngine engine) {
  while (!pool->Gate(index, engine).AskPage()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kGatePollMs));
  }
  THttpClient http;
  http.SetRoute(TProxyRoute(pool, index));
  std::string body;
  if (!http.Get(HomePage(engine), body)) return http.Error();
  return "OK, " + std::to_string(body.size()) + " bytes";
}

}  // namespace zoqa
