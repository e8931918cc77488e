// One GET of a service page on its own thread: the texts of the description and contact
// windows, and the notice window's HTML. The thread keeps itself alive while it runs and
// frees itself when it ends; its reply reaches the owner's thread through a port, so a reply
// that arrives after the owner closed its port (its window went) is dropped.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "harvest/net/workerthread.h"

namespace zoqa {

class TMainThreadPort;

// User agent of the service-page requests.
extern const char kServiceUserAgent[];

// What one GET brought: the body of a successful response (status below 400 after the
// redirects) and its Content-Type header; Ok false on any failure.
struct TGetResult {
  bool Ok = false;
  std::string Body;
  std::string ContentType;
};

// The blocking GET behind TServicePageFetch: cookies accepted for the request's redirects,
// redirects followed, only http and https URLs, a size limit on the body, short time-outs.
TGetResult GetServicePage(const std::string& url, std::uint64_t epoch);

// A reply body as text in code page 936: decoded from UTF-8 (a leading byte-order mark
// dropped); empty when the body is not valid UTF-8.
std::string ReplyText(std::string_view body);

class TServicePageFetch : public TWorkerThread {
 public:
  // Receives the reply text in code page 936: the body decoded from UTF-8, empty on any
  // failure and for a body that is not valid UTF-8.
  using TTextHandler = std::function<void(const std::string& replyCp936)>;
  // Receives the raw outcome (the notice window lets the HTML engine decode the bytes).
  using TRawHandler = std::function<void(const TGetResult& result)>;

  // Start the request at once. The handler runs on the port's thread, exactly once unless the
  // port closed first.
  static std::shared_ptr<TServicePageFetch> Start(const std::string& url,
                                                  std::shared_ptr<TMainThreadPort> port,
                                                  TTextHandler onReply);
  static std::shared_ptr<TServicePageFetch> StartRaw(const std::string& url,
                                                     std::shared_ptr<TMainThreadPort> port,
                                                     TRawHandler onResult);

 protected:
  TServicePageFetch(const std::string& url, std::shared_ptr<TMainThreadPort> port,
                    TRawHandler onResult);
  void Execute() override;
  void Finished() override;

 private:
  std::string url_;
  std::shared_ptr<TMainThreadPort> port_;
  TRawHandler onResult_;
  TGetResult result_;  // the worker thread's until Finished hands it over
};

}  // namespace zoqa
