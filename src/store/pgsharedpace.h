// The shared pace kept in the team store: one row per egress address and engine holds when
// the next result page and the next crawler start may go and until when a verification
// back-off holds the engine. Every reservation is one statement, so concurrent machines each
// get a slot of their own, spaced by the interval, in the server's clock.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "harvest/net/sharedpace.h"
#include "store/storeurl.h"

namespace zoqa {

class TPgConnection;

class TPgSharedPace : public TSharedPace {
 public:
  // Connects at the first use, and again after a lost connection.
  explicit TPgSharedPace(TStoreUrl url);
  ~TPgSharedPace() override;

  std::int64_t Reserve(const std::string& egress, TEngine engine, TPaceKind kind,
                       int intervalMs) override;
  void Hold(const std::string& egress, TEngine engine, int seconds) override;
  std::int64_t HeldForMs(const std::string& egress, TEngine engine) override;

 private:
  // Runs one statement returning a whole number of milliseconds; -1 when the store failed.
  std::int64_t Ask(const std::string& sql, const std::vector<std::string>& params);

  TStoreUrl url_;
  std::mutex mutex_;  // one statement at a time on the connection
  std::unique_ptr<TPgConnection> connection_;
};

}  // namespace zoqa
