// The main window's link to the maker's service configuration: at start it fetches the
// enciphered configuration document in the background, applies it on the main thread (the
// service pages' base address, the companion tools' download addresses, the version check, an
// offered update) and arms the deferred start-up. A fetch that brings no usable document is
// retried three times, one second after each failure; then the user is told and the program
// ends. Everything the window shows or does goes through a TServiceView. Lives on the main
// thread, which must run a Qt event loop.
#pragma once

#include <QTimer>

#include <memory>
#include <string>

#include "app/serviceview.h"
#include "service/configdocument.h"

namespace zoqa {

class TMainThreadPort;

class TServiceLink {
 public:
  // Retries after the first attempt, and the wait before each.
  static constexpr int kMaxRetries = 3;
  static constexpr int kRetryIntervalMs = 1000;

  // `files` is the updater program the document may replace.
  explicit TServiceLink(TServiceView& view, TUpdaterFiles files = DefaultUpdaterFiles());
  // A fetch still running then drops its result.
  ~TServiceLink();
  TServiceLink(const TServiceLink&) = delete;
  TServiceLink& operator=(const TServiceLink&) = delete;

  // Starts the first fetch and cancels a pending retry. False when the service link is off
  // (no ConfigHost): then nothing at all happens, and the caller must not start the version
  // check either.
  bool Start();

  // The configuration handler: applies a fetched body (empty when nothing came), or takes
  // the failure path. Fetches call it; tests may too.
  void HandleConfig(const std::string& stream);

  // "http://" (with RequireHttps "https://") + ServiceHost + "/" once a document with a
  // `system` element was applied; empty before. Every service page's address starts with it.
  const std::string& ServiceBaseUrl() const { return serviceBaseUrl_; }
  // The download address of the first (0) or second (1) companion tool; empty otherwise.
  const std::string& ToolUrl(int index) const;
  // Where the document is fetched from: "http://" (with RequireHttps "https://") +
  // ConfigHost + "/soft/kwrt/config.txt".
  std::string ConfigUrl() const;
  // Retries started so far (0 to 3).
  int RetriesMade() const { return retries_; }
  // True while a retry waits for its timer.
  bool RetryPending() const { return retryTimer_.isActive(); }
  // True once the failure path has ended the program.
  bool Ended() const { return ended_; }

 private:
  void Fetch();
  void RetryTimerFired();
  void Fail();
  void Apply(const TConfigDocument& document);
  void OfferUpdate(const TUpdateInfo& info);

  TServiceView& view_;
  TUpdaterFiles files_;
  std::shared_ptr<TMainThreadPort> port_;
  QTimer retryTimer_;
  int retries_ = 0;
  bool ended_ = false;
  bool updateRefused_ = false;  // the status bar said an update cannot be installed
  std::string serviceBaseUrl_;
  std::string toolUrls_[2];
};

}  // namespace zoqa
