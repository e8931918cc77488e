// The background fetch of the configuration document: one GET on its own thread, whose
// result, the response body or nothing at all, goes to a callback on the main thread. The
// fetch keeps itself alive while it runs and frees itself when it ends.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "harvest/net/workerthread.h"

namespace zoqa {

class TMainThreadPort;

class THttpCreate : public TWorkerThread {
 public:
  // Receives the body, empty when no response came (network failure, time-out, empty body).
  using TCallback = std::function<void(const std::string& stream)>;

  // Starts the fetch of `url` at once. `callback` runs exactly once, on the port's thread,
  // while the fetch waits for it; it is dropped when the port has closed.
  static std::shared_ptr<THttpCreate> Start(const std::string& url,
                                            std::shared_ptr<TMainThreadPort> port,
                                            TCallback callback);

 private:
  THttpCreate(const std::string& url, std::shared_ptr<TMainThreadPort> port, TCallback callback);
  void Execute() override;

  std::string url_;
  std::shared_ptr<TMainThreadPort> port_;
  TCallback callback_;
  std::string stream_;  // the body; read by the callback while this thread waits
};

}  // namespace zoqa
