#include "service/httpcreate.h"

#include "harvest/net/fetchpage.h"
#include "platform/mainthreadport.h"

namespace zoqa {

std::shared_ptr<THttpCreate> THttpCreate::Start(const std::string& url,
                                                std::shared_ptr<TMainThreadPort> port,
                                                TCallback callback) {
  std::shared_ptr<THttpCreate> fetch(new THttpCreate(url, std::move(port), std::move(callback)));
  fetch->StartThread();
  return fetch;
}

THttpCreate::THttpCreate(const std::string& url, std::shared_ptr<TMainThreadPort> port,
                         TCallback callback)
    : url_(url), port_(std::move(port)), callback_(std::move(callback)) {}

void THttpCreate::Execute() {
  try {
    if (!FetchToStream(url_, 0, stream_)) stream_.clear();
  } catch (...) {
    stream_.clear();  // any failure counts as no response
  }
  // Sent, not posted: the stream stays ours until the callback has returned.
  port_->Send([this] {
    if (callback_) callback_(stream_);
  });
  stream_.clear();
  stream_.shrink_to_fit();
}

}  // namespace zoqa
