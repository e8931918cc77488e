#include "store/keylist.h"

#include <chrono>
#include <ctime>
#include <unordered_map>
#include <unordered_set>

#include "store/datathread.h"
#include "store/keyfold.h"
#include "store/sqlitestore.h"
#include "store/storechoice.h"
#include "store/storedtext.h"
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

TKeyListInfo::TKeyListInfo(std::unique_ptr<TStoreBackend> backend)
    : backend_(std::move(backend)),
      link_(std::make_shared<TLoaderLink>(
          &receiver_, [this](std::shared_ptr<TLoadResult> result) { LoadEnded(result); })) {
  retry_.setSingleShot(true);
  QObject::connect(&retry_, &QTimer::timeout, &receiver_, [this] { RetryHeld(); });
  QObject::connect(&watch_, &QTimer::timeout, &receiver_, [this] { PollOthers(); });
}

TKeyListInfo::~TKeyListInfo() {
  link_->Close();
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
  key->serial_ = nextSerial_++;
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

void TKeyListInfo::LoadKeys() {
  for (TStoredKey& row : backend_->LoadKeys()) {
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

TKeyData* TKeyListInfo::FindSerial(std::uint64_t serial) const {
  for (const auto& key : keys_) {
    if (key->serial_ == serial) return key.get();
  }
  return nullptr;
}

const TCompanyList* TKeyListInfo::CompanyList(const std::string& keyword) const {
  TKeyData* key = FindKey(keyword);
  return key ? &key->Companies : nullptr;
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
  if (holding_) {
    key.IdlePages = 0;
    Hold(keyword, std::move(copy));
    return;
  }
  if (!WriteNew(key, keyword, copy) && copy != nullptr) {
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
  if (added != TStoreAdd::Stored) return true;
  key.IdlePages = 0;
  InsertStored(key, keyword, std::move(copy));
  return true;
}

void TKeyListInfo::InsertStored(TKeyData& key, const std::string& keyword,
                                std::unique_ptr<TCompany> copy) {
  if (key.loading_) {
    // The keyword's companies arrive with the running load; this one is settled then.
    key.addedWhileLoading_.push_back(std::move(copy));
    return;
  }
  std::string listId = copy->ListId;
  const TCompany& stored = key.Companies.Add(std::move(listId), std::move(copy));
  CountNewCompany(key, keyword, stored);
}

void TKeyListInfo::CountNewCompany(TKeyData& key, const std::string& keyword,
                                   const TCompany& company) {
  key.IdlePages = 0;
  key.ListCount = static_cast<std::int32_t>(key.Companies.Count());
  key.AddDate = LocalNowSeconds();
  backend_->SaveKeyCount(key.Id, key.ListCount, key.AddDate);
  if (OnCompanyAdded) OnCompanyAdded(*this, keyword, company);
}

void TKeyListInfo::DeleteCompany(const std::string& keyword, const std::string& listId) {
  TKeyData* key = FindKey(keyword);
  // A list id is a row number; anything else would change the meaning of the condition.
  if (key == nullptr || !IsDecimal(listId)) return;
  backend_->DeleteCompany(listId);
  if (key->loading_) {
    key->deletedWhileLoading_.push_back(listId);
    std::erase_if(key->addedWhileLoading_, [&](const auto& c) { return c->ListId == listId; });
    return;
  }
  key->Companies.Remove(listId);
  key->ListCount = static_cast<std::int32_t>(key->Companies.Count());
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

TKeyData* TKeyListInfo::RequestLoaded(const std::string& keyword, std::uint8_t action) {
  TKeyData* key = FindKey(keyword);
  if (key == nullptr) return nullptr;
  // A stop also cancels a start that waits for the companies: the stop would find no task
  // to stop, and the start would come once the load ends.
  if (action == paStop && key->PendingAction == paStart) key->PendingAction = paNone;
  // Starting and exporting need the companies, so they also wait while a load still runs;
  // stopping does not.
  if (key->Loaded && (!key->loading_ || action == paStop)) return key;
  key->PendingAction = action;
  if (action != paStop) LoadCompanies(keyword);
  return nullptr;
}

void TKeyListInfo::LoadCompanies(const std::string& keyword) {
  TKeyData* key = FindKey(keyword);
  if (key == nullptr || key->loading_) return;  // a running load reports when it ends
  if (key->Companies.Empty()) {
    key->Loaded = true;
    StartLoad(*key);
  } else if (OnCompaniesLoaded) {
    OnCompaniesLoaded(*this, keyword);
  }
}

void TKeyListInfo::StartLoad(TKeyData& key) {
  key.loading_ = true;
  try {
    TDataThread::Start(key.KeyStr, *backend_, key.serial_, link_);
  } catch (...) {
    key.loading_ = false;
    throw;
  }
}

void TKeyListInfo::LoadEnded(const std::shared_ptr<TLoadResult>& result) {
  TKeyData* key = FindSerial(result->Serial);
  if (key != nullptr && key->loading_) HandOver(*key, *result);
  if (OnCompaniesLoaded) OnCompaniesLoaded(*this, result->KeyWord);
}

// Ends the keyword's load (see TKeyData for the bookkeeping): the loaded records become its
// companies, less those deleted meanwhile, and the companies stored meanwhile are settled.
void TKeyListInfo::HandOver(TKeyData& key, TLoadResult& result) {
  key.loading_ = false;
  std::unordered_set<std::string> deleted(key.deletedWhileLoading_.begin(),
                                          key.deletedWhileLoading_.end());
  key.deletedWhileLoading_.clear();
  // The ids read are only needed to settle companies stored while the load ran.
  bool settle = !key.addedWhileLoading_.empty();
  std::unordered_map<std::string, const TCompany*> loaded;
  key.Companies.Reserve(result.Companies.size() + key.addedWhileLoading_.size());
  for (auto& company : result.Companies) {
    if (!deleted.empty() && deleted.count(company->ListId)) continue;
    std::string listId = company->ListId;
    const TCompany& stored = key.Companies.Add(listId, std::move(company));
    if (settle) loaded.emplace(std::move(listId), &stored);
  }
  if (!deleted.empty()) key.ListCount = static_cast<std::int32_t>(key.Companies.Count());

  // Companies stored while the load ran: those the load already read are not added twice.
  auto added = std::move(key.addedWhileLoading_);
  std::uint64_t serial = key.serial_;
  std::string keyword = key.KeyStr;
  for (auto& company : added) {
    TKeyData* current = FindSerial(serial);  // an event handler may have removed the keyword
    if (current == nullptr) return;
    auto it = loaded.find(company->ListId);
    const TCompany* stored = it != loaded.end() ? it->second : nullptr;
    if (stored == nullptr) {
      std::string listId = company->ListId;
      stored = &current->Companies.Add(std::move(listId), std::move(company));
    }
    CountNewCompany(*current, keyword, *stored);
  }
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
