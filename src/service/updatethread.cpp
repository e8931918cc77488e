#include "service/updatethread.h"

#include <curl/curl.h>

#include <filesystem>
#include <memory>

#include "harvest/net/curlsupport.h"
#include "platform/appdir.h"
#include "platform/fileversion.h"
#include "platform/mainthreadport.h"
#include "service/replyitems.h"
#include "service/servicesettings.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

constexpr char kUserAgent[] = "Mozilla/3.0 (compatible; Indy Library)";
constexpr std::size_t kMaxReplyBytes = 1 << 20;
constexpr long kTimeoutSeconds = 30;
constexpr char kItemSeparator = '`';

struct TCurlCloser {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

// The URL an item carries: what follows its first "=", when it contains "http://" or
// "https://".
std::string ItemUrl(const std::string& item) {
  if (item.find("http://") == std::string::npos && item.find("https://") == std::string::npos) {
    return {};
  }
  std::string left;
  std::string right;
  SplitFirst(item, "=", left, right);
  return right;
}

}  // namespace

std::optional<TGetUpInfo> ParseVersionReply(std::string_view reply) {
  std::string trimmed = Trim(reply);
  if (trimmed.empty()) return std::nullopt;
  std::vector<std::string> items = SplitReplyItems(trimmed, kItemSeparator);
  if (items.size() < 2) return std::nullopt;
  TGetUpInfo info{ItemUrl(items[0]), ItemUrl(items[1])};
  if (info.PackageUrl.empty()) return std::nullopt;
  return info;
}

std::string UpdaterVersionText(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return {};
  std::string version = GetFileVersion(path);  // "1.0.0.0" without a version record
  std::size_t first = version.find('.');
  std::size_t second = first == std::string::npos ? first : version.find('.', first + 1);
  return version.substr(0, second);
}

std::string VersionQueryUrl(const std::string& host, const std::string& clientVersion,
                            const std::string& updaterVersion) {
  return ServiceSettings()->Scheme() + host + "/version.aspx?sign=zoqa," + clientVersion +
         "|eupdate," + updaterVersion;
}

std::shared_ptr<TUpdateThread> TUpdateThread::Start(std::shared_ptr<TMainThreadPort> port,
                                                    TNoticeHandler onNotice,
                                                    std::string clientVersion, int intervalMs) {
  std::shared_ptr<TUpdateThread> thread(new TUpdateThread(std::move(port), std::move(onNotice),
                                                          std::move(clientVersion), intervalMs));
  thread->StartThread();
  return thread;
}

TUpdateThread::TUpdateThread(std::shared_ptr<TMainThreadPort> port, TNoticeHandler onNotice,
                             std::string clientVersion, int intervalMs)
    : port_(std::move(port)),
      onNotice_(std::move(onNotice)),
      clientVersion_(std::move(clientVersion)),
      intervalMs_(intervalMs) {}

void TUpdateThread::Execute() {
  while (!Terminated()) {
    try {
      CheckOnce();
    } catch (...) {
      // Nothing happens until the next request.
    }
    if (!Sleep(intervalMs_)) break;
  }
}

void TUpdateThread::CheckOnce() {
  std::string url = VersionQueryUrl(ServiceSettings()->VersionHost, clientVersion_,
                                    UpdaterVersionText(AppDir() + "update.exe"));
  std::string reply;
  if (!Get(url, reply)) return;
  std::optional<TGetUpInfo> info = ParseVersionReply(reply);
  if (!info || !port_ || !onNotice_) return;
  port_->Send([this, &info] { onNotice_(0, *info); });
}

// A GET of `url` that succeeds only with a 2xx answer.
bool TUpdateThread::Get(const std::string& url, std::string& reply) const {
  TCurlBody body;
  body.limit = kMaxReplyBytes;
  const std::uint64_t epoch = StartEpoch();
  std::unique_ptr<CURL, TCurlCloser> curl(NewCurlHandle(body, &epoch));
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  LimitServiceProtocols(c);
  curl_easy_setopt(c, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(c, CURLOPT_TIMEOUT, kTimeoutSeconds);
  if (curl_easy_perform(c) != CURLE_OK) return false;
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  if (status < 200 || status > 299) return false;
  reply = std::move(body.data);
  return true;
}

}  // namespace zoqa
