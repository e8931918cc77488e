#include "service/autoupdate.h"

#include "platform/mainthreadport.h"
#include "service/windowmessages.h"

namespace zoqa {
namespace {

constexpr int kHandOverWParam = 5;
constexpr char kPackageFile[] = "update.zip";
constexpr char kUpdaterFile[] = "up.zip";

}  // namespace

TAutoUpdate::TAutoUpdate(std::shared_ptr<TMainThreadPort> port, TWindowHandler handler,
                         std::unique_ptr<TUpdateInfo> info, std::string folder)
    : port_(std::move(port)),
      handler_(std::move(handler)),
      info_(info ? std::move(info) : std::make_unique<TUpdateInfo>()),
      folder_(std::move(folder)) {}

TAutoUpdate::~TAutoUpdate() {
  alive_.reset();
  if (auto running = download_.lock()) running->Terminate();
}

void TAutoUpdate::Start() {
  if (!info_->UpdateAvailable) return;
  Download(info_->PackageUrl, kPackageFile, false, info_->PackageCrc, &TAutoUpdate::PackageDone);
}

void TAutoUpdate::PackageDone(TDownloadStatus status) {
  if (status != dsDone) {
    PostToWindow(status);  // the main window ignores it: the update ends here
  } else if (info_->UpdaterNeeded) {
    Download(info_->UpdaterUrl, kUpdaterFile, true, info_->UpdaterCrc, &TAutoUpdate::UpdaterDone);
  } else {
    PostToWindow(kHandOverWParam);
  }
}

void TAutoUpdate::UpdaterDone(TDownloadStatus) {
  // An old updater, or none, still gets the package: hand over whatever happened.
  PostToWindow(kHandOverWParam);
}

void TAutoUpdate::Download(const std::string& url, const std::string& fileName, bool unpack,
                           std::uint32_t crc, void (TAutoUpdate::*done)(TDownloadStatus)) {
  TDownloadRequest request;
  request.Url = url;
  request.TargetFile = folder_ + fileName;
  request.Unpack = unpack;
  request.ExpectedCrc = crc;
  request.MessageCode = kUpdateWindowMessage;
  TDownloadThread::TMessageHandler onMessage;
  if (handler_) {
    onMessage = [handler = handler_](int, int wParam, std::int64_t lParam) {
      handler(wParam, lParam);
    };
  }
  std::weak_ptr<int> alive = alive_;
  download_ = TDownloadThread::Start(request, port_, std::move(onMessage),
                                     [this, alive, done](TDownloadStatus status) {
                                       if (alive.expired()) return;  // the installer is gone
                                       (this->*done)(status);
                                     });
}

void TAutoUpdate::PostToWindow(int wParam) {
  if (!port_ || !handler_) return;
  port_->Post([handler = handler_, wParam] { handler(wParam, 0); });
}

}  // namespace zoqa
