// The store's part of a team store shared with other machines: a light poll that takes in the
// keywords they add, and the companies they store under the keywords whose companies are in
// memory here.
#include <algorithm>
#include <cstdlib>
#include <unordered_set>

#include "store/keylist.h"

namespace zoqa {
namespace {

// Companies are stored with rising list ids, but another machine's row may commit after a
// later one of ours: the poll looks back this far and skips what it has.
constexpr std::int64_t kLookBack = 200;
constexpr std::size_t kRecentEntries = 1000;

}  // namespace

void TKeyListInfo::WatchOthers(int intervalMs) {
  if (!backend_->Shared()) return;
  QObject::connect(
      &watch_, &QTimer::timeout, &receiver_, [this] { PollOthers(); }, Qt::UniqueConnection);
  watch_.start(intervalMs);
}

void TKeyListInfo::PollOthers() {
  if (holding_) return;
  try {
    for (TStoredKey& row : backend_->LoadKeys()) {
      if (FindKey(row.KeyStr) != nullptr) continue;
      auto key = std::make_unique<TKeyData>();
      key->Id = std::move(row.Id);
      key->KeyStr = std::move(row.KeyStr);
      key->ListCount = row.ListCount;
      key->AddDate = row.AddDate;
      key->LastPage = row.LastPage;
      key->SgLastPage = row.SgLastPage;
      key->S360LastPage = row.S360LastPage;
      TKeyData& added = AppendKey(std::move(key));
      if (OnKeyAdded) OnKeyAdded(*this, added);
    }
    std::vector<std::uint64_t> serials;
    for (const auto& key : keys_) {
      if (key->Loaded && !key->loading_) serials.push_back(key->serial_);
    }
    // An event handler may remove keywords: each is looked up again by its serial.
    for (std::uint64_t serial : serials) {
      if (TKeyData* key = FindSerial(serial)) PollCompanies(*key);
    }
  } catch (...) {
    // An unreachable store is asked again at the next poll.
  }
}

void TKeyListInfo::PollCompanies(TKeyData& key) {
  std::unordered_set<std::string> recent;
  std::int64_t newest = 0;
  std::size_t count = key.Companies.Count();
  for (std::size_t i = count - std::min(count, kRecentEntries); i < count; ++i) {
    recent.insert(key.Companies.KeyAt(i));
    newest = std::max<std::int64_t>(newest, std::atoll(key.Companies.KeyAt(i).c_str()));
  }
  std::vector<std::unique_ptr<TCompany>> found;
  backend_->ReadCompaniesAfter(key.Id, std::max<std::int64_t>(0, newest - kLookBack),
                               [&](std::unique_ptr<TCompany> company) {
                                 if (!recent.count(company->ListId)) {
                                   found.push_back(std::move(company));
                                 }
                                 return true;
                               });
  std::uint64_t serial = key.serial_;
  std::string keyword = key.KeyStr;
  for (auto& company : found) {
    TKeyData* current = FindSerial(serial);
    if (current == nullptr) return;
    std::string listId = company->ListId;
    const TCompany& stored = current->Companies.Add(std::move(listId), std::move(company));
    current->ListCount = static_cast<std::int32_t>(current->Companies.Count());
    if (OnCompanyAdded) OnCompanyAdded(*this, keyword, stored);
  }
}

}  // namespace zoqa
