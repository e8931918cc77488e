#include "store/keylist.h"

#include <chrono>
#include <ctime>
#include "store/keyfold.h"
#include "store/sqlitecompanycursor.h"
#include "store/storedtext.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

using ColumnAdds = std::vector<std::pair<std::string, std::string>>;

// The tbl_key column that holds an engine's next page, or empty for an unknown engine.
std::string PageField(int engine) {
  switch (engine) {
    case egBaidu:
      return "lastpage";
    case egSogou:
      return "sglastpage";
    case eg360:
      return "s360lastpage";
    default:
      return "";
  }
}

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

TKeyListInfo::TKeyListInfo() : manager_(std::make_unique<TDataManager>("users", 0)) {
  CheckSchema();
  PrepareDatabase();
}

TKeyListInfo::~TKeyListInfo() {
  try {
    manager_->Database().Query("pragma journal_mode=DELETE");
  } catch (...) {
  }
  manager_.reset();
  keys_.clear();
}

void TKeyListInfo::PrepareDatabase() {
  // A file without the store's tables is left exactly as it is.
  try {
    auto tables = manager_->Database().Query(
        "select count(*) from sqlite_master where type='table' and name in "
        "('tbl_key','tbl_list')");
    if (tables.TextAt(0) != "2") return;
    // Write-ahead logging lets another connection read while this one writes; the file goes
    // back to the ordinary journal when the store closes. Where the mode
    // cannot be switched (a read-only directory) the store works on without it.
    manager_->Database().Query("pragma journal_mode=WAL");
  } catch (...) {
  }
  manager_->Reset();
  manager_->ExecStatement("create index if not exists ix_tbl_list_comname on tbl_list(ComName)");
  manager_->ExecStatement("create index if not exists ix_tbl_list_keyid on tbl_list(keyid)");
  for (const std::string& statement : TSQLiteCompanyCursor::IndexStatements()) {
    manager_->ExecStatement(statement);
  }
}

void TKeyListInfo::CheckSchema() {
  AddMissingColumns("tbl_key", ColumnAdds{
                                   {"sglastpage", "alter table tbl_key add sglastpage NUMERIC"},
                                   {"s360lastpage", "alter table tbl_key add s360lastpage NUMERIC"},
                                   {"adddate", "alter table tbl_key add adddate NUMERIC"},
                               });
  AddMissingColumns("tbl_list", ColumnAdds{
                                    {"source", "alter table tbl_list add source TEXT"},
                                    {"ispay", "alter table tbl_list add ispay NUMERIC"},
                                    {"renzheng", "alter table tbl_list add renzheng NUMERIC"},
                                    {"qq", "alter table tbl_list add qq TEXT"},
                                });
}

void TKeyListInfo::AddMissingColumns(const std::string& table, const ColumnAdds& columns) {
  manager_->Reset();
  manager_->SqlText =
      "select sql from sqlite_master where tbl_name='" + table + "' and type='table'";
  auto result = manager_->OpenQuery();
  if (result->RowCount() == 0) return;
  std::string sql = AsciiLower(result->TextOrEmptyAt(result->ColumnIndex("sql")));
  for (const auto& [name, statement] : columns) {
    if (sql.find(name) != std::string::npos) continue;
    manager_->Reset();
    manager_->ExecStatement(statement);
  }
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

std::unique_ptr<TKeyData> TKeyListInfo::KeyFromRow(const TSQLiteTable& table) const {
  auto text = [&table](const char* column) {
    return table.TextOrEmptyAt(table.ColumnIndex(column));
  };
  auto key = std::make_unique<TKeyData>();
  key->Id = text("ID");
  key->ListCount = ParseStoredInt32(text("listcount"));
  key->KeyStr = DecodeStored(text("KeyStr"));
  key->AddDate = ParseStoredInt64(text("adddate"));
  key->LastPage = ParseStoredInt32(text("lastpage"));
  key->SgLastPage = ParseStoredInt32(text("sglastpage"));
  key->S360LastPage = ParseStoredInt32(text("s360lastpage"));
  return key;
}

void TKeyListInfo::LoadKeys() {
  manager_->Reset();
  manager_->SqlText = "select * from tbl_key order by id asc";
  auto table = manager_->OpenQuery();
  for (; !table->AtEnd(); table->Next()) {
    TKeyData& key = AppendKey(KeyFromRow(*table));
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

  manager_->Reset();
  manager_->AddText("KeyStr", EncodeStored(keyword));
  manager_->AddInteger("listcount", 0);
  manager_->AddInteger("lastpage", 0);
  manager_->AddInteger("sglastpage", 0);
  manager_->AddInteger("s360lastpage", 0);
  manager_->AddFloat("adddate", static_cast<double>(key.AddDate));
  manager_->InsertInto("tbl_key");
  key.Id = LookupKeyId(keyword);
  if (OnKeyAdded) OnKeyAdded(*this, key);
  return &key;
}

std::string TKeyListInfo::LookupKeyId(const std::string& keyword) {
  manager_->Reset();
  manager_->SqlText = "select ID from tbl_Key where KeyStr=" + SqlQuoted(EncodeStored(keyword));
  auto table = manager_->OpenQuery();
  if (table->RowCount() == 0) return "0";
  return table->TextOrEmptyAt(table->ColumnIndex("ID"));
}

TKeyData* TKeyListInfo::FindKey(const std::string& keyword) const {
  std::string folded = FoldKeyCase(keyword);
  for (const auto& key : keys_) {
    if (key->foldedKey_ == folded) return key.get();
  }
  return nullptr;
}

namespace {

// A cursor over no rows, for a keyword the store does not hold.
class TNoCompanies : public TCompanyCursor {
 public:
  bool Next(TCompany&) override { return false; }
};

}  // namespace

std::int64_t TKeyListInfo::CountCompanies(const std::string& keyword) {
  TKeyData* key = FindKey(keyword);
  if (key == nullptr) return 0;
  return TSQLiteCompanyCursor::Count(manager_->Database().Handle(), ParseStoredInt64(key->Id));
}

std::unique_ptr<TCompanyCursor> TKeyListInfo::OpenCompanies(const std::string& keyword,
                                                            TSortOrder order, std::int64_t offset) {
  TKeyData* key = FindKey(keyword);
  if (key == nullptr) return std::make_unique<TNoCompanies>();
  return std::make_unique<TSQLiteCompanyCursor>(manager_->Database().Handle(),
                                                ParseStoredInt64(key->Id), order, offset);
}

void TKeyListInfo::AddCompany(const std::string& keyword, const TCompany& company) {
  if (company.Mobiles.empty()) return;
  TKeyData* key = FindKey(keyword);
  if (key == nullptr) return;
  auto copy = std::make_unique<TCompany>();
  copy->Assign(company);

  manager_->Reset();
  manager_->SqlText =
      "select listid from tbl_list where ComName=" + SqlQuoted(EncodeStored(copy->GetName()));
  if (manager_->OpenQuery()->RowCount() > 0) return;  // the name is stored already

  copy->SetName(StripTags(copy->GetName()));
  if (!StoreCompany(*copy, *key)) return;
  CountNewCompany(*key, keyword, *copy);
}

bool TKeyListInfo::StoreCompany(TCompany& copy, const TKeyData& key) {
  manager_->Reset();
  manager_->AddText("ComName", EncodeStored(copy.GetName()));
  manager_->AddText("Addr", EncodeStored(copy.Addr));
  manager_->AddText("weburl", EncodeStored(copy.WebUrl));
  manager_->AddText("EMail", JoinStoredList(copy.Emails));
  manager_->AddText("Tel", JoinStoredList(copy.Tels));
  manager_->AddText("mob", JoinStoredList(copy.Mobiles));
  manager_->AddText("qq", JoinStoredList(copy.QQs));
  manager_->AddText("source", EncodeStored(copy.Source));
  manager_->AddInteger("ispay", copy.IsPay);
  manager_->AddInteger("stat", 0);
  manager_->AddText("keyid", key.Id);
  manager_->AddInteger("renzheng", copy.RenZheng);
  // A failed insert is dropped; the company is then not kept either, so that it never takes
  // the id of another row.
  if (!manager_->InsertInto("tbl_list")) return false;

  manager_->Reset();
  manager_->SqlText = "select max(ListID) as id from tbl_list";
  auto table = manager_->OpenQuery();
  if (table->RowCount() > 0) copy.ListId = table->TextOrEmptyAt(table->ColumnIndex("id"));
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
  manager_->Reset();
  manager_->SetWhere("ID=" + key.Id);
  manager_->AddInteger("listcount", key.ListCount);
  manager_->AddFloat("adddate", static_cast<double>(key.AddDate));
  manager_->UpdateTable("tbl_key");
  if (OnCompanyAdded) OnCompanyAdded(*this, keyword, company);
}

void TKeyListInfo::DeleteCompany(const std::string& keyword, const std::string& listId) {
  TKeyData* key = FindKey(keyword);
  // A list id is a row number; anything else would change the meaning of the condition.
  if (key == nullptr || !IsDecimal(listId)) return;
  manager_->Reset();
  manager_->SetWhere("ListID=" + listId);
  manager_->DeleteFrom("tbl_list");
  key->ListCount = StoredCount(*key);
}

// The number of the keyword's rows in tbl_list; a failed count keeps the number known so far.
std::int32_t TKeyListInfo::StoredCount(TKeyData& key) {
  try {
    auto count =
        TSQLiteCompanyCursor::Count(manager_->Database().Handle(), ParseStoredInt64(key.Id));
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
  manager_->Reset();
  manager_->SetWhere("keyid=" + key.Id);
  manager_->DeleteFrom("tbl_list");
  manager_->Reset();
  manager_->SetWhere("id=" + key.Id);
  manager_->DeleteFrom("tbl_key");
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
  std::string field = PageField(engine);
  if (!field.empty()) {
    manager_->Reset();
    manager_->SetWhere("ID=" + key->Id);
    manager_->AddInteger(field, page);
    manager_->UpdateTable("tbl_key");
  }
  ++key->IdlePages;
  return true;
}

void TKeyListInfo::SaveLastPageByKeyword(const std::string& keyword, std::int32_t page,
                                         int engine) {
  std::string field = PageField(engine);
  if (field.empty()) return;
  manager_->Reset();
  manager_->SetWhere("KeyStr=" + SqlQuoted(EncodeStored(keyword)));
  manager_->AddInteger(field, page);
  manager_->UpdateTable("tbl_key");
}

void TKeyListInfo::SetStatusText(const std::string& keyword, const std::string& text) {
  if (TKeyData* key = FindKey(keyword)) key->StatusText = text;
}

TKeyData* TKeyListInfo::RequestLoaded(const std::string& keyword, std::uint8_t /*action*/) {
  TKeyData* key = FindKey(keyword);
  if (key == nullptr) return nullptr;
  key->Loaded = true;
  key->PendingAction = paNone;
  return key;
}

void TKeyListInfo::LoadCompanies(const std::string& keyword) {
  TKeyData* key = FindKey(keyword);
  if (key == nullptr) return;
  key->Loaded = true;
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
