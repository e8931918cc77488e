#include "service/downloadthread.h"

#include <curl/curl.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "harvest/net/curlsupport.h"
#include "platform/mainthreadport.h"
#include "platform/replacefile.h"
#include "platform/startprogram.h"
#include "service/filecrc.h"
#include "service/servicesettings.h"
#include "service/zipunpack.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

namespace fs = std::filesystem;

constexpr char kUserAgent[] = "Mozilla/3.0 (compatible; Indy Library)";
constexpr long kConnectTimeoutSeconds = 30;
constexpr long kStallSeconds = 60;  // a transfer that moves no byte this long fails
constexpr long kMaxRedirects = 10;
constexpr int kProgressWParam = 2;

struct TCurlCloser {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

// Writes `bytes` to `path`, replacing it (never what a link of that name points to) only once
// the whole body is on disk.
void WriteFile(const std::string& path, const std::string& bytes) {
  if (!ReplaceFile(path, bytes)) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int ProgressPercent(std::int64_t received, std::int64_t total) {
  if (total <= 0) return -1;
  if (received <= 0) return 0;
  if (received >= total) return 100;
  // 128 bits hold received * 100 for any 64-bit count.
  using U = unsigned __int128;
  U scaled = static_cast<U>(received) * 100;
  U quotient = scaled / static_cast<U>(total);
  U twice = (scaled % static_cast<U>(total)) * 2;
  if (twice > static_cast<U>(total) || (twice == static_cast<U>(total) && (quotient & 1) != 0)) {
    ++quotient;
  }
  return static_cast<int>(quotient);
}

std::string ProgramToRun(const std::string& target) {
  std::string base = target.size() >= 4 ? target.substr(0, target.size() - 4) : std::string();
  std::string withExe = base + ".exe";
  std::error_code ec;
  if (!fs::exists(withExe, ec) && fs::is_regular_file(base, ec)) return base;
  return withExe;
}

std::shared_ptr<TDownloadThread> TDownloadThread::Start(const TDownloadRequest& request,
                                                        std::shared_ptr<TMainThreadPort> port,
                                                        TMessageHandler onMessage,
                                                        TDoneHandler onDone) {
  std::shared_ptr<TDownloadThread> download(
      new TDownloadThread(request, std::move(port), std::move(onMessage), std::move(onDone)));
  download->StartThread();
  return download;
}

TDownloadThread::TDownloadThread(const TDownloadRequest& request,
                                 std::shared_ptr<TMainThreadPort> port, TMessageHandler onMessage,
                                 TDoneHandler onDone)
    : request_(request),
      port_(std::move(port)),
      onMessage_(std::move(onMessage)),
      onDone_(std::move(onDone)) {}

void TDownloadThread::Execute() {
  TDownloadStatus status = dsNotDone;
  try {
    status = Download();
  } catch (...) {
    status = dsNotDone;  // connection, HTTP, file or unpacking failure
  }
  status_.store(status);
}

void TDownloadThread::Finished() {
  if (!port_ || !onDone_) return;
  port_->Post([onDone = onDone_, status = status_.load()] { onDone(status); });
}

TDownloadStatus TDownloadThread::Download() {
  if (!ServiceSettings()->AllowsUrl(request_.Url)) return dsNotDone;
  std::string body = Fetch();
  if (Terminated()) return dsNotDone;
  WriteFile(request_.TargetFile, body);
  body.clear();
  body.shrink_to_fit();
  if (request_.ExpectedCrc != 0 && FileCrc32(request_.TargetFile) != request_.ExpectedCrc) {
    return dsCrcMismatch;  // the file stays for inspection
  }
  if (Terminated()) return dsNotDone;
  return Install();
}

// The body of a successful GET; throws on any failure, a stop included.
std::string TDownloadThread::Fetch() {
  TCurlBody body;
  body.limit = static_cast<std::size_t>(kMaxDownloadBytes);
  const std::uint64_t epoch = StartEpoch();
  std::unique_ptr<CURL, TCurlCloser> curl(NewCurlHandle(body, &epoch));
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, request_.Url.c_str());
  LimitServiceProtocols(c);
  curl_easy_setopt(c, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &TDownloadThread::OnProgress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, this);
  CURLcode code = curl_easy_perform(c);
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  if (code != CURLE_OK) throw std::runtime_error(CurlErrorText(code, body));
  if (status < 200 || status > 299)
    throw std::runtime_error("HTTP status " + std::to_string(status));
  return std::move(body.data);
}

// Steps after a checked download: unpack, start the program.
TDownloadStatus TDownloadThread::Install() {
  if (request_.Unpack) {
    TUnpackResult unpacked =
        UnpackZip(request_.TargetFile, fs::path(request_.TargetFile).parent_path().string());
    if (!unpacked.Ok) return dsNotDone;  // the archive stays as downloaded
    fs::remove(request_.TargetFile);     // throws on failure
  }
  if (Terminated()) return dsNotDone;
  if (request_.Run) StartProgram(ProgramToRun(request_.TargetFile), request_.Arguments);
  return dsDone;
}

int TDownloadThread::OnProgress(void* self, std::int64_t total, std::int64_t received, std::int64_t,
                                std::int64_t) {
  auto* download = static_cast<TDownloadThread*>(self);
  if (download->Terminated()) return 1;  // aborts the transfer
  download->ReportProgress(received, total);
  return 0;
}

// Posts the percent whenever a chunk changed it; nothing while no total is known.
void TDownloadThread::ReportProgress(std::int64_t received, std::int64_t total) {
  if (received <= 0) return;
  int percent = ProgressPercent(received, total);
  if (percent < 0 || percent == lastPercent_ || !port_ || !onMessage_) return;
  lastPercent_ = percent;
  port_->Post([onMessage = onMessage_, code = request_.MessageCode, percent] {
    onMessage(code, kProgressWParam, percent);
  });
}

}  // namespace zoqa
