// The store's part of a lost team store connection: harvesters start no new crawl, companies
// read meanwhile wait in memory (up to kMaxHeld), pages are not saved before the companies
// read on them are written, and the connection is tried again with a growing pause until what
// waits is written. A try never blocks the main thread: it is stepped by the retry timer.
#include "store/keylist.h"

namespace zoqa {
namespace {

constexpr int kFirstRetryMs = 1000;
constexpr int kLongestRetryMs = 30000;
// How often a try under way is stepped on.
constexpr int kReconnectStepMs = 50;

}  // namespace

void TKeyListInfo::Hold(const std::string& keyword, std::unique_ptr<TCompany> copy) {
  TKeyData* key = FindKey(keyword);
  if (held_.size() >= kMaxHeld) {
    // Beyond the bound the company is let go; its keyword's pages are then not saved in this
    // run, so the next run reads those pages again and finds it.
    if (key != nullptr) unsavedPages_.insert(key->Id);
  } else {
    held_.push_back(THeldCompany{keyword, std::move(copy)});
  }
  StoreLost();
}

void TKeyListInfo::StoreLost() {
  if (holding_) return;
  holding_ = true;
  crawlHold_.Set(true);
  retryMs_ = kFirstRetryMs;
  retry_.start(retryMs_);
  if (OnStoreLost) OnStoreLost(*this, true);
}

// True when the page is not written now: kept until the held companies are written, or not
// saved at all in this run.
bool TKeyListInfo::HoldPage(const TKeyData& key, int engine, std::int32_t page) {
  if (unsavedPages_.count(key.Id)) return true;
  if (!holding_) return false;
  heldPages_[{key.Id, engine}] = page;
  return true;
}

void TKeyListInfo::RetryHeld() {
  if (!holding_) return;
  if (!reconnecting_) backend_->StartReconnect();
  reconnecting_ = true;
  TReconnect state = backend_->PollReconnect();
  if (state == TReconnect::Pending) {
    retry_.start(kReconnectStepMs);
    return;
  }
  reconnecting_ = false;
  if (state == TReconnect::Up && WriteHeld()) {
    StoreBack();
    return;
  }
  retryMs_ = std::min(retryMs_ * 2, kLongestRetryMs);
  retry_.start(retryMs_);
}

void TKeyListInfo::StoreBack() {
  holding_ = false;
  crawlHold_.Set(false);
  for (const auto& [place, page] : heldPages_) {
    if (!unsavedPages_.count(place.first)) backend_->SaveLastPage(place.first, place.second, page);
  }
  heldPages_.clear();
  if (OnStoreLost) OnStoreLost(*this, false);
}

// Writes the held companies in the order they came; false when the connection is lost again
// (what is left stays held).
bool TKeyListInfo::WriteHeld() {
  while (!held_.empty()) {
    THeldCompany& next = held_.front();
    TKeyData* key = FindKey(next.Keyword);
    try {
      if (key != nullptr && !WriteNew(*key, next.Keyword, next.Company)) return false;
    } catch (...) {
      // Any other failure drops the company, as a failed write of the local store does.
      if (backend_->Lost()) return false;
    }
    held_.pop_front();
  }
  return true;
}

}  // namespace zoqa
