// One download on its own thread, for the self-update and the companion-tool installer: GET
// with progress reports, written to a file, optionally checked against a CRC-32, unpacked as
// a zip archive into the file's own folder, and the program named like the file started.
// The download keeps itself alive while it runs and frees itself when it ends.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "harvest/net/workerthread.h"

namespace zoqa {

class TMainThreadPort;

// Outcome of a download.
enum TDownloadStatus : std::uint8_t { dsNotDone = 0, dsDone = 2, dsCrcMismatch = 255 };

struct TDownloadRequest {
  std::string Url;                // an http(s) address the service settings allow
  std::string TargetFile;         // full path the body is written to
  bool Unpack = false;            // unpack the zip into the target's folder, then delete it
  bool Run = false;               // then start the target with ".exe" for its last 4 characters
  std::string Arguments;          // the started program's arguments ("" none)
  std::uint32_t ExpectedCrc = 0;  // CRC-32 the file must have; 0: no check
  int MessageCode = 0;            // the window message of the progress reports
};

// Downloads above this size fail (status 0).
inline constexpr std::int64_t kMaxDownloadBytes = std::int64_t{512} << 20;

// The progress of `received` of `total` bytes in percent, rounded to the nearest integer
// (ties to even) and kept within 0 to 100; -1 when no total is known.
int ProgressPercent(std::int64_t received, std::int64_t total);

// The program a download starts: `target` with ".exe" for its last four characters, or, when
// that file does not exist but the same path without ".exe" does, that one (programs here
// carry no extension).
std::string ProgramToRun(const std::string& target);

class TDownloadThread : public TWorkerThread {
 public:
  // Receives (message code, wParam, lParam) on the port's thread: wParam 2 with the percent.
  using TMessageHandler = std::function<void(int code, int wParam, std::int64_t lParam)>;
  // Runs on the port's thread once the download has ended, with its status.
  using TDoneHandler = std::function<void(TDownloadStatus status)>;

  // Starts the download at once. `onMessage` may be empty (no progress reports). `onDone` is
  // dropped, like every report, when `port` has closed.
  static std::shared_ptr<TDownloadThread> Start(const TDownloadRequest& request,
                                                std::shared_ptr<TMainThreadPort> port,
                                                TMessageHandler onMessage, TDoneHandler onDone);

  TDownloadStatus Status() const { return status_.load(); }

 protected:
  TDownloadThread(const TDownloadRequest& request, std::shared_ptr<TMainThreadPort> port,
                  TMessageHandler onMessage, TDoneHandler onDone);
  void Execute() override;
  void Finished() override;

 private:
  TDownloadStatus Download();
  std::string Fetch();
  TDownloadStatus Install();
  void ReportProgress(std::int64_t received, std::int64_t total);
  static int OnProgress(void* self, std::int64_t total, std::int64_t received, std::int64_t,
                        std::int64_t);

  TDownloadRequest request_;
  std::shared_ptr<TMainThreadPort> port_;
  TMessageHandler onMessage_;
  TDoneHandler onDone_;
  std::atomic<TDownloadStatus> status_{dsNotDone};
  int lastPercent_ = -1;  // the last percent reported; the worker thread only
};

}  // namespace zoqa
