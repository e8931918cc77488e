// The periodic version check: asks the service's version endpoint every ten minutes whether a
// newer client or updater exists and tells the main window what it offers.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "harvest/net/workerthread.h"

namespace zoqa {

class TMainThreadPort;

// What a version reply offers.
struct TGetUpInfo {
  std::string PackageUrl;
  std::string UpdaterUrl;
};

// The offer of a version reply: items split at "`", each URL the part of its item after the
// first "=" when the item contains "http://" or "https://". None when the reply has fewer than
// two items or no package URL.
std::optional<TGetUpInfo> ParseVersionReply(std::string_view reply);

// The version of the updater at `path` as the query sends it: the first two numbers of its
// file version, "" when the file does not exist.
std::string UpdaterVersionText(const std::string& path);

// "http://" (with RequireHttps "https://") host "/version.aspx?sign=zoqa," client "|eupdate,"
// updater.
std::string VersionQueryUrl(const std::string& host, const std::string& clientVersion,
                            const std::string& updaterVersion);

class TUpdateThread : public TWorkerThread {
 public:
  // The version notice (wParam 0 and the offer), run on the port's thread while the check
  // waits for it.
  using TNoticeHandler = std::function<void(int wParam, const TGetUpInfo& info)>;

  static constexpr int kDefaultIntervalMs = 600000;

  // Starts the check at once; it asks the host of ServiceSettings()->VersionHost, then every
  // `intervalMs`, until stopped.
  static std::shared_ptr<TUpdateThread> Start(std::shared_ptr<TMainThreadPort> port,
                                              TNoticeHandler onNotice, std::string clientVersion,
                                              int intervalMs = kDefaultIntervalMs);

 protected:
  TUpdateThread(std::shared_ptr<TMainThreadPort> port, TNoticeHandler onNotice,
                std::string clientVersion, int intervalMs);
  void Execute() override;

 private:
  void CheckOnce();
  bool Get(const std::string& url, std::string& reply) const;

  std::shared_ptr<TMainThreadPort> port_;
  TNoticeHandler onNotice_;
  std::string clientVersion_;
  int intervalMs_;
};

}  // namespace zoqa
