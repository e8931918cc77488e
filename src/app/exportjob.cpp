#include "app/exportjob.h"

#include <memory>
#include <stdexcept>
#include <utility>

#include "export/exportwriter.h"

namespace zoqa {
namespace {

// Reads through `inner` until `stop` is set, then raises, which makes the writer give up and
// drop its staged file.
class TStoppableCursor : public TCompanyCursor {
 public:
  TStoppableCursor(std::unique_ptr<TCompanyCursor> inner, const std::atomic<bool>& stop)
      : inner_(std::move(inner)), stop_(stop) {}

  bool Next(TCompany& company) override {
    if (stop_.load(std::memory_order_relaxed)) throw std::runtime_error("export stopped");
    inner_->Only(parts_);
    return inner_->Next(company);
  }

 private:
  std::unique_ptr<TCompanyCursor> inner_;
  const std::atomic<bool>& stop_;
};

}  // namespace

TExportJob::TExportJob(TSourceOpener openStore, TExportRequest request, TDone done, QObject* parent)
    : THandOffReceiver(parent), request_(std::move(request)), done_(std::move(done)) {
  thread_ = std::thread([this, openStore = std::move(openStore)] {
    bool written = Write(openStore);
    HandOff(this, [this, written] { Finish(written); });
  });
}

TExportJob::~TExportJob() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

// On the job's thread. The store connection is closed before the outcome is handed over.
bool TExportJob::Write(const TSourceOpener& openStore) const {
  try {
    // A quit while the team store is still being reached gives the connect up.
    std::unique_ptr<TCompanySource> store =
        openStore([this] { return stop_.load(std::memory_order_relaxed); });
    if (store == nullptr || store->CountCompanies(request_.keyword) == 0) return false;
    auto open = [&]() -> std::unique_ptr<TCompanyCursor> {
      return std::make_unique<TStoppableCursor>(
          store->OpenCompanies(request_.keyword, request_.order), stop_);
    };
    return WriteExportFile(open, request_.fileName, request_.fields, request_.format);
  } catch (...) {
    return false;
  }
}

void TExportJob::Finish(bool written) {
  running_ = false;
  // A copy: the call may end with this job scheduled for deletion.
  TDone done = done_;
  done(written);
}

}  // namespace zoqa
