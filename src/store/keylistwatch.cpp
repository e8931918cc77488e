// The store's part of a team store shared with other machines: a light poll that takes in the
// keywords they add and delete, the companies they store under the keywords asked for here,
// and the counts their deletes change.
#include <algorithm>
#include <cstdlib>
#include <set>

#include "store/keylist.h"

namespace zoqa {
namespace {

// Companies are stored with rising list ids, but another machine's row may commit after a
// later one of ours: the poll looks back this far and skips the ids it has taken in.
constexpr std::int64_t kLookBack = 200;

}  // namespace

void TKeyListInfo::WatchOthers(int intervalMs) {
  if (backend_->Shared()) watch_.start(intervalMs);
}

void TKeyListInfo::PollOthers() {
  if (holding_) return;
  try {
    std::vector<std::string> asked;
    for (const auto& key : keys_) {
      if (key->Loaded) asked.push_back(key->KeyStr);
    }
    // An event handler may remove keywords: each is looked up again.
    for (const std::string& keyword : asked) {
      if (TKeyData* key = FindKey(keyword)) PollCompanies(*key);
    }
    // The keywords are read after the companies, so that a count differs from the one known
    // here only when companies went, or more came than one look takes in.
    TakeInKeys(backend_->LoadKeys());
  } catch (...) {
    // A lost connection holds harvesting and is made again; anything else is asked again at
    // the next poll.
    if (backend_->Lost()) StoreLost();
  }
}

void TKeyListInfo::TakeInKeys(std::vector<TStoredKey> rows) {
  std::set<std::string> stored;
  for (const TStoredKey& row : rows) stored.insert(row.Id);
  std::vector<std::string> gone;
  for (const auto& key : keys_) {
    if (key->Id != "0" && stored.count(key->Id) == 0) gone.push_back(key->KeyStr);
  }
  for (const std::string& keyword : gone) {
    if (FindKey(keyword) != nullptr && OnKeyRemoved) OnKeyRemoved(*this, keyword);
    if (TKeyData* key = FindKey(keyword)) RemoveKey(*key);
  }
  for (TStoredKey& row : rows) {
    TKeyData* key = FindKey(row.KeyStr);
    if (key == nullptr) {
      TKeyData& added = AppendStored(std::move(row));
      if (OnKeyAdded) OnKeyAdded(*this, added);
    } else if (key->Id == row.Id) {
      TakeInCount(*key, row.ListCount);
    }
  }
}

// The store's count differs: the companies on show are read anew, and the watch starts over
// from the keyword's last company.
void TKeyListInfo::TakeInCount(TKeyData& key, std::int32_t stored) {
  if (key.ListCount == stored) return;
  key.ListCount = stored;
  key.watchedTo_ = -1;
  key.watchedIds_.clear();
  std::string keyword = key.KeyStr;
  if (key.Loaded) PollCompanies(key);
  if (OnCompaniesChanged && FindKey(keyword) != nullptr) OnCompaniesChanged(*this, keyword);
}

// Marks the keyword's companies as asked for. On the team store the watch notes at once where
// they end, so that what other machines store from now on is taken in, even before the first
// poll.
void TKeyListInfo::BeginWatch(TKeyData& key) {
  bool first = !key.Loaded;
  key.Loaded = true;
  if (!first || !backend_->Shared() || holding_ || key.watchedTo_ >= 0) return;
  try {
    PollCompanies(key);
  } catch (...) {
    // An unreachable store: the next poll takes the first look.
  }
}

void TKeyListInfo::PollCompanies(TKeyData& key) {
  if (key.watchedTo_ < 0) {
    // The first look only notes where the keyword's companies end.
    TCompany last;
    bool any = backend_->OpenCompanies(key.KeyStr, {TSortColumn::kStored, true}, 0)->Next(last);
    key.watchedTo_ = any ? std::atoll(last.ListId.c_str()) : 0;
    backend_->ReadCompaniesAfter(key.Id, std::max<std::int64_t>(0, key.watchedTo_ - kLookBack),
                                 [&](std::unique_ptr<TCompany> company) {
                                   std::int64_t id = std::atoll(company->ListId.c_str());
                                   if (id <= key.watchedTo_) key.watchedIds_.insert(id);
                                   return true;
                                 });
    return;
  }
  std::vector<std::unique_ptr<TCompany>> found;
  backend_->ReadCompaniesAfter(key.Id, std::max<std::int64_t>(0, key.watchedTo_ - kLookBack),
                               [&](std::unique_ptr<TCompany> company) {
                                 std::int64_t id = std::atoll(company->ListId.c_str());
                                 if (id > key.watchedTo_ || !key.watchedIds_.count(id)) {
                                   found.push_back(std::move(company));
                                 }
                                 return true;
                               });
  std::string keyword = key.KeyStr;
  for (auto& company : found) {
    TKeyData* current = FindKey(keyword);
    if (current == nullptr) return;
    std::int64_t id = std::atoll(company->ListId.c_str());
    current->watchedIds_.insert(id);
    current->watchedTo_ = std::max(current->watchedTo_, id);
    ++current->ListCount;
    if (OnCompanyTakenIn) {
      OnCompanyTakenIn(*this, keyword, *company);
    } else if (OnCompanyAdded) {
      OnCompanyAdded(*this, keyword, *company);
    }
  }
  if (TKeyData* current = FindKey(keyword)) {
    auto& ids = current->watchedIds_;
    ids.erase(ids.begin(), ids.lower_bound(current->watchedTo_ - kLookBack));
  }
}

}  // namespace zoqa
