// A look through one proxy of the pool: the engine's home page asked once, after the proxy's
// page gate for that engine granted.
#pragma once

#include <memory>
#include <string>

#include "harvest/base/engine.h"
#include "harvest/net/proxypool.h"

namespace zoqa {

// "OK, N bytes", or why the request failed (never with the proxy's password).
std::string CheckProxy(const std::shared_ptr<TProxyPool>& pool, int index, TEngine engine);

}  // namespace zoqa
