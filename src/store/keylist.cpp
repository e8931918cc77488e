#include "store/keylist.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include "store/keyfold.h"
#include "store/sqlitestore.h"
#include "store/storechoice.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

bool IsDecimal(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

std::int64_t LocalNowSeconds() {
  using namespace std::chrono;
  std::int64_t ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  return (ms + static_cast<std::int64_t>(local.tm_gmtoff) * 1000 + 500) / 1000;
}

TKeyListInfo::TKeyListInfo() : TKeyListInfo(OpenChosenStore()) {}

TKeyListInfo::TKeyListInfo(std::unique_ptr<TStoreBackend> backend) : backend_(std::move(backend)) {
  retry_.setSingleShot(true);
  QObject::connect(&retry_, &QTimer::timeout, &receiver_, [this] { RetryHeld(); });
  QObject::connect(&watch_, &QTimer::timeout, &receiver_, [this] { PollOthers(); });
}

TKeyListInfo::~TKeyListInfo() {
  backend_.reset();
  keys_.clear();
}

void TKeyListInfo::CheckSchema() {
  if (auto* local = dynamic_cast<TSQLiteStore*>(backend_.get())) local->CheckSchema();
}

TDataManager& TKeyListInfo::Manager() {
  auto* local = dynamic_cast<TSQLiteStore*>(backend_.get());
  if (local == nullptr) throw std::logic_error("the store is not a local file");
  return local->Manager();
}

TKeyData& TKeyListInfo::AppendKey(std::unique_ptr<TKeyData> key) {
  key->foldedKey_ = FoldKeyCase(key->KeyStr);
  keys_.push_back(std::move(key));
  return *keys_.back();
}

void TKeyListInfo::RemoveKey(const TKeyData& key) {
  for (auto it = keys_.begin(); it != keys_.end(); ++it) {
    if (it->get() == &key) {
      keys_.erase(it);
      return;
    }
  }
}

TKeyData& TKeyListInfo::AppendStored(TStoredKey row) {
  auto key = std::make_unique<TKeyData>();
  key->Id = std::move(row.Id);
  key->KeyStr = std::move(row.KeyStr);
  key->ListCount = row.ListCount;
  key->AddDate = row.AddDate;
  key->LastPage = row.LastPage;
  key->SgLastPage = row.SgLastPage;
  key->S360LastPage = row.S360LastPage;
  return AppendKey(std::move(key));
}

void TKeyListInfo::LoadKeys() {
  for (TStoredKey& row : backend_->LoadKeys()) {
    TKeyData& key = AppendStored(std::move(row));
    if (OnKeyAdded) OnKeyAdded(*this, key);
  }
}

TKeyData* TKeyListInfo::AddKey(const std::string& keyword) {
  if (keyword.empty()) return nullptr;
  if (TKeyData* existing = FindKey(keyword)) return existing;
  auto created = std::make_unique<TKeyData>();
  created->KeyStr = keyword;
  created->AddDate = LocalNowSeconds();
  TKeyData& key = AppendKey(std::move(created));

  key.Id = backend_->AddKey(keyword, key.AddDate);
  if (OnKeyAdded) OnKeyAdded(*this, key);
  return &key;
}

std::string TKeyListInfo::LookupKeyId(const std::string& keyword) {
  return backend_->KeyId(keyword);
}

TKeyData* TKeyListInfo::FindKey(const std::string& keyword) const {
  std::string folded = FoldKeyCase(keyword);
  for (const auto& key : keys_) {
    if (key->foldedKey_ == folded) return key.get();
  }
  return nullptr;
}

// The backend is asked by the keyword's stored spelling: the store finds keywords whatever
// their letter case.
std::int64_t TKeyListInfo::CountCompanies(const std::string& keyword) {
  TKeyData* key = FindKey(keyword);
  return key == nullptr ? 0 : backend_->CountCompanies(key->KeyStr);
}

std::unique_ptr<TCompanyCursor> TKeyListInfo::OpenCompanies(const std::string& keyword,
                                                            TSortOrder order, std::int64_t offset) {
  TKeyData* key = FindKey(keyword);
  return backend_->OpenCompanies(key == nullptr ? keyword : key->KeyStr, order, offset);
}

std::unique_ptr<TCompanyCursor> TKeyListInfo::OpenCompaniesAfter(const std::string& keyword,
                                                                 TSortOrder order,
                                                                 const TRowKey& after,
                                                                 std::int64_t offset) {
  TKeyData* key = FindKey(keyword);
  return backend_->OpenCompaniesAfter(key == nullptr ? keyword : key->KeyStr, order, after, offset);
}

bool TKeyListInfo::RowKey(const std::string& keyword, TSortOrder order, std::int64_t listId,
                          TRowKey& key) {
  TKeyData* found = FindKey(keyword);
  return found != nullptr && backend_->RowKey(found->KeyStr, order, listId, key);
}

void TKeyListInfo::AddCompany(const std::string& keyword, const TCompany& company) {
  if (company.Mobiles.empty()) return;
  TKeyData* key = FindKey(keyword);
  if (key == nullptr) return;
  auto copy = std::make_unique<TCompany>();
  copy->Assign(company);

  StoreNew(*key, keyword, std::move(copy));
}

void TKeyListInfo::StoreNew(TKeyData& key, const std::string& keyword,
                            std::unique_ptr<TCompany> copy) {
  if (holding_ || !WriteNew(key, keyword, copy)) {
    key.IdlePages = 0;
    Hold(keyword, std::move(copy));
  }
}

// Writes a company; false with `copy` still set when the team store is unreachable, so that
// the caller keeps it.
bool TKeyListInfo::WriteNew(TKeyData& key, const std::string& keyword,
                            std::unique_ptr<TCompany>& copy) {
  bool taken = false;
  try {
    taken = backend_->NameStored(copy->GetName());
  } catch (...) {
    if (backend_->Lost()) return false;
    throw;
  }
  if (taken) return true;  // the name is stored already

  copy->SetName(StripTags(copy->GetName()));
  // A failed insert is dropped; the company is then not kept either, so that it never takes
  // the id of another row. A name another machine stored meanwhile is a duplicate as above.
  TStoreAdd added = backend_->AddCompany(key.Id, *copy);
  if (added == TStoreAdd::Unreachable) return false;
  if (added == TStoreAdd::Stored) CountNewCompany(key, keyword, *copy);
  return true;
}

void TKeyListInfo::CountNewCompany(TKeyData& key, const std::string& keyword,
                                   const TCompany& company) {
  key.IdlePages = 0;
  if (key.counted_) {
    ++key.ListCount;
  } else {
    key.ListCount = StoredCount(key);
  }
  key.AddDate = LocalNowSeconds();
  backend_->SaveKeyCount(key.Id, key.ListCount, key.AddDate);
  if (key.watchedTo_ >= 0) {
    // Our own company is not taken in again by the watch.
    std::int64_t id = std::atoll(company.ListId.c_str());
    key.watchedIds_.insert(id);
    key.watchedTo_ = std::max(key.watchedTo_, id);
  }
  if (OnCompanyAdded) OnCompanyAdded(*this, keyword, company);
}

bool TKeyListInfo::DeleteCompany(const std::string& keyword, const std::string& listId) {
  TKeyData* key = FindKey(keyword);
  // A list id is a row number; anything else would change the meaning of the condition.
  if (key == nullptr || !IsDecimal(listId)) return false;
  backend_->DeleteCompany(listId);
  key->ListCount = StoredCount(*key);
  return key->counted_;
}

// The number of the keyword's rows in tbl_list; a failed count keeps the number known so far.
std::int32_t TKeyListInfo::StoredCount(TKeyData& key) {
  try {
    auto count = backend_->CountCompanies(key.KeyStr);
    key.counted_ = true;
    return static_cast<std::int32_t>(count);
  } catch (...) {
    key.counted_ = false;
    return key.ListCount;
  }
}

void TKeyListInfo::DeleteKey(const std::string& keyword) {
  if (TKeyData* key = FindKey(keyword)) DeleteKeyData(*key);
}

void TKeyListInfo::DeleteKeyData(TKeyData& key) {
  backend_->DeleteKey(key.Id);
  RemoveKey(key);
}

void TKeyListInfo::ClearAll() {
  while (!keys_.empty()) DeleteKeyData(*keys_.front());
}

bool TKeyListInfo::SetLastPage(const std::string& keyword, std::int32_t page, int engine) {
  TKeyData* key = FindKey(keyword);
  if (key == nullptr || key->IdlePages >= 3) return false;
  if (engine == egBaidu) key->LastPage = page;
  if (engine == egSogou) key->SgLastPage = page;
  if (engine == eg360) key->S360LastPage = page;
  if (!HoldPage(*key, engine, page)) backend_->SaveLastPage(key->Id, engine, page);
  ++key->IdlePages;
  return true;
}

void TKeyListInfo::SaveLastPageByKeyword(const std::string& keyword, std::int32_t page,
                                         int engine) {
  TKeyData* key = FindKey(keyword);
  if (key != nullptr && HoldPage(*key, engine, page)) return;
  backend_->SaveLastPageByKeyword(keyword, engine, page);
}

void TKeyListInfo::SetStatusText(const std::string& keyword, const std::string& text) {
  if (TKeyData* key = FindKey(keyword)) key->StatusText = text;
}

TKeyData* TKeyListInfo::RequestLoaded(const std::string& keyword, std::uint8_t /*action*/) {
  TKeyData* key = FindKey(keyword);
  if (key == nullptr) return nullptr;
  BeginWatch(*key);
  key->PendingAction = paNone;
  return key;
}

void TKeyListInfo::LoadCompanies(const std::string& keyword) {
  TKeyData* key = FindKey(keyword);
  if (key == nullptr) return;
  BeginWatch(*key);
  if (OnCompaniesLoaded) OnCompaniesLoaded(*this, keyword);
}

std::uint8_t TKeyListInfo::TakePendingAction(const std::string& keyword) {
  TKeyData* key = FindKey(keyword);
  if (key == nullptr) return paNone;
  std::uint8_t action = key->PendingAction;
  key->PendingAction = paNone;
  return action;
}

std::int64_t TKeyListInfo::TotalListCount() const {
  std::int64_t total = 0;
  for (const auto& key : keys_) total += key->ListCount;
  return total;
}

std::string TKeyListInfo::StripTags(const std::string& text) {
  if (text.find('<') == std::string::npos) return text;
  return tagPattern_.ReplaceAll("<[^>]*>", text, "");
}

}  // namespace zoqa
