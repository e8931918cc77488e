// The update installer: downloads the client package offered by the configuration and, when
// needed, a new updater, then tells the main window to hand over to the updater.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "service/downloadthread.h"
#include "service/updateinfo.h"

namespace zoqa {

class TMainThreadPort;

class TAutoUpdate {
 public:
  // Receives the update window message (wParam, lParam) on the port's thread: 2 with the
  // download's percent, 5 to hand over, the failed package download's status otherwise. It
  // is copied into the downloads and may be destroyed on their threads.
  using TWindowHandler = std::function<void(int wParam, std::int64_t lParam)>;

  // Lives on the port's thread, which runs every step of the chain. The files go to `folder`
  // (with a trailing "/"), the folder of the executable the update replaces.
  TAutoUpdate(std::shared_ptr<TMainThreadPort> port, TWindowHandler handler,
              std::unique_ptr<TUpdateInfo> info, std::string folder);
  // Asks a download still running to stop; its completion no longer reaches this object.
  ~TAutoUpdate();
  TAutoUpdate(const TAutoUpdate&) = delete;
  TAutoUpdate& operator=(const TAutoUpdate&) = delete;

  // Begins the chain: the package to "update.zip" in the folder, then the updater archive
  // "up.zip", unpacked there.
  void Start();

  const TUpdateInfo& Info() const { return *info_; }

 private:
  void PackageDone(TDownloadStatus status);
  void UpdaterDone(TDownloadStatus status);
  void Download(const std::string& url, const std::string& fileName, bool unpack, std::uint32_t crc,
                void (TAutoUpdate::*done)(TDownloadStatus));
  void PostToWindow(int wParam);

  std::shared_ptr<TMainThreadPort> port_;
  TWindowHandler handler_;
  std::unique_ptr<TUpdateInfo> info_;
  std::string folder_;
  std::weak_ptr<TDownloadThread> download_;                // the download running now, if any
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // expires with this object
};

}  // namespace zoqa
