// A keyword's export written on a thread of its own, so that the window stays responsive and a
// running search keeps storing while a large file is written. The thread reads through its own
// connection to the store; the outcome comes back to the thread that started the job.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "export/exportfields.h"
#include "platform/handoff.h"
#include "store/companycursor.h"
#include "store/storebackend.h"

namespace zoqa {

// What to write: the keyword's companies in `order`, with `fields`, to `fileName` (UTF-8 path).
struct TExportRequest {
  std::string keyword;
  std::string fileName;
  TExportFields fields;
  TExportFormat format = TExportFormat::Text;
  TSortOrder order;
};

class TExportJob : public THandOffReceiver {
 public:
  // Told whether a complete file was written: false when the keyword has no companies, or
  // anything failed while opening the store, reading, building or writing.
  using TDone = std::function<void(bool written)>;

  // Starts writing at once. `openStore` is called on the job's thread. `done` is called on the
  // starting thread once the writing has ended, unless the job is destroyed before.
  TExportJob(TSourceOpener openStore, TExportRequest request, TDone done,
             QObject* parent = nullptr);
  // Stops a writing still under way, which then leaves an existing target as it was, and waits
  // for the thread. `done` is not called any more.
  ~TExportJob() override;
  TExportJob(const TExportJob&) = delete;
  TExportJob& operator=(const TExportJob&) = delete;

  // True until `done` has been called.
  bool Running() const { return running_; }

 private:
  bool Write(const TSourceOpener& openStore) const;
  void Finish(bool written);

  const TExportRequest request_;
  TDone done_;
  bool running_ = true;  // read and written on the starting thread only
  std::atomic<bool> stop_{false};
  std::thread thread_;  // last: it starts once everything above is set
};

}  // namespace zoqa
