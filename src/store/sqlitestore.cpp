#include "store/sqlitestore.h"

#include "harvest/base/engine.h"
#include "store/companyrow.h"
#include "store/sqlitecompanycursor.h"
#include "store/storedtext.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

using ColumnAdds = std::vector<std::pair<std::string, std::string>>;

// A cursor over no rows, for a keyword the store does not hold.
class TNoCompanies : public TCompanyCursor {
 public:
  bool Next(TCompany&) override { return false; }
};

}  // namespace

std::string PageColumn(int engine) {
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

TSQLiteStore::TSQLiteStore(const std::string& fileName)
    : manager_(TDataManager::OpenFile(fileName, 0)) {
  CheckSchema();
  PrepareDatabase();
}

TSQLiteStore::TSQLiteStore(const std::string& fileName, TReaderOnly)
    : manager_(TDataManager::OpenFile(fileName, 0)), reader_(true) {}

TSourceOpener TSQLiteStore::ReaderOpener() const {
  // Opening a local file never waits, so there is nothing to give up.
  return [fileName = manager_->FileName()](
             const std::function<bool()>&) -> std::unique_ptr<TCompanySource> {
    return std::make_unique<TSQLiteStore>(fileName, TReaderOnly{});
  };
}

TSQLiteStore::~TSQLiteStore() {
  // The journal mode belongs to the owning connection; a reader must not switch it.
  if (reader_) return;
  try {
    manager_->Database().Query("pragma journal_mode=DELETE");
  } catch (...) {
  }
}

void TSQLiteStore::PrepareDatabase() {
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

void TSQLiteStore::CheckSchema() {
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

void TSQLiteStore::AddMissingColumns(const std::string& table, const ColumnAdds& columns) {
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

std::vector<TStoredKey> TSQLiteStore::LoadKeys() {
  manager_->Reset();
  manager_->SqlText = "select * from tbl_key order by id asc";
  auto table = manager_->OpenQuery();
  std::vector<TStoredKey> keys;
  auto text = [&table](const char* column) {
    return table->TextOrEmptyAt(table->ColumnIndex(column));
  };
  for (; !table->AtEnd(); table->Next()) {
    TStoredKey key;
    key.Id = text("ID");
    key.ListCount = ParseStoredInt32(text("listcount"));
    key.KeyStr = DecodeStored(text("KeyStr"));
    key.AddDate = ParseStoredInt64(text("adddate"));
    key.LastPage = ParseStoredInt32(text("lastpage"));
    key.SgLastPage = ParseStoredInt32(text("sglastpage"));
    key.S360LastPage = ParseStoredInt32(text("s360lastpage"));
    keys.push_back(std::move(key));
  }
  return keys;
}

std::string TSQLiteStore::AddKey(const std::string& keyword, std::int64_t addDate) {
  manager_->Reset();
  manager_->AddText("KeyStr", EncodeStored(keyword));
  manager_->AddInteger("listcount", 0);
  manager_->AddInteger("lastpage", 0);
  manager_->AddInteger("sglastpage", 0);
  manager_->AddInteger("s360lastpage", 0);
  manager_->AddFloat("adddate", static_cast<double>(addDate));
  manager_->InsertInto("tbl_key");
  return KeyId(keyword);
}

std::string TSQLiteStore::KeyId(const std::string& keyword) {
  manager_->Reset();
  manager_->SqlText = "select ID from tbl_Key where KeyStr=" + SqlQuoted(EncodeStored(keyword));
  auto table = manager_->OpenQuery();
  if (table->RowCount() == 0) return "0";
  return table->TextOrEmptyAt(table->ColumnIndex("ID"));
}

bool TSQLiteStore::NameStored(const std::string& name) {
  manager_->Reset();
  manager_->SqlText = "select listid from tbl_list where ComName=" + SqlQuoted(EncodeStored(name));
  return manager_->OpenQuery()->RowCount() > 0;
}

TStoreAdd TSQLiteStore::AddCompany(const std::string& keyId, TCompany& company) {
  manager_->Reset();
  manager_->AddText("ComName", EncodeStored(company.GetName()));
  manager_->AddText("Addr", EncodeStored(company.Addr));
  manager_->AddText("weburl", EncodeStored(company.WebUrl));
  manager_->AddText("EMail", JoinStoredList(company.Emails));
  manager_->AddText("Tel", JoinStoredList(company.Tels));
  manager_->AddText("mob", JoinStoredList(company.Mobiles));
  manager_->AddText("qq", JoinStoredList(company.QQs));
  manager_->AddText("source", EncodeStored(company.Source));
  manager_->AddInteger("ispay", company.IsPay);
  manager_->AddInteger("stat", 0);
  manager_->AddText("keyid", keyId);
  manager_->AddInteger("renzheng", company.RenZheng);
  if (!manager_->InsertInto("tbl_list")) return TStoreAdd::Failed;

  manager_->Reset();
  manager_->SqlText = "select max(ListID) as id from tbl_list";
  auto table = manager_->OpenQuery();
  if (table->RowCount() > 0) company.ListId = table->TextOrEmptyAt(table->ColumnIndex("id"));
  return TStoreAdd::Stored;
}

void TSQLiteStore::SaveKeyCount(const std::string& keyId, std::int32_t count,
                                std::int64_t addDate) {
  manager_->Reset();
  manager_->SetWhere("ID=" + keyId);
  manager_->AddInteger("listcount", count);
  manager_->AddFloat("adddate", static_cast<double>(addDate));
  manager_->UpdateTable("tbl_key");
}

void TSQLiteStore::SaveLastPage(const std::string& keyId, int engine, std::int32_t page) {
  std::string column = PageColumn(engine);
  if (column.empty()) return;
  manager_->Reset();
  manager_->SetWhere("ID=" + keyId);
  manager_->AddInteger(column, page);
  manager_->UpdateTable("tbl_key");
}

void TSQLiteStore::SaveLastPageByKeyword(const std::string& keyword, int engine,
                                         std::int32_t page) {
  std::string column = PageColumn(engine);
  if (column.empty()) return;
  manager_->Reset();
  manager_->SetWhere("KeyStr=" + SqlQuoted(EncodeStored(keyword)));
  manager_->AddInteger(column, page);
  manager_->UpdateTable("tbl_key");
}

void TSQLiteStore::DeleteCompany(const std::string& listId) {
  manager_->Reset();
  manager_->SetWhere("ListID=" + listId);
  manager_->DeleteFrom("tbl_list");
}

void TSQLiteStore::DeleteKey(const std::string& keyId) {
  manager_->Reset();
  manager_->SetWhere("keyid=" + keyId);
  manager_->DeleteFrom("tbl_list");
  manager_->Reset();
  manager_->SetWhere("id=" + keyId);
  manager_->DeleteFrom("tbl_key");
}

void TSQLiteStore::ReadCompanies(const std::string& keyword, const CompanySink& sink) {
  std::string id;
  manager_->Reset();
  manager_->SqlText = "select ID from tbl_key where keystr=" + SqlQuoted(EncodeStored(keyword));
  auto keys = manager_->OpenQuery();
  if (keys->RowCount() > 0) id = keys->TextOrEmptyAt(keys->ColumnIndex("ID"));

  manager_->Reset();
  manager_->SqlText = "select * from tbl_list where keyid=" + id;
  auto table = manager_->OpenQuery();
  if (table->RowCount() == 0) return;
  TCompanyRowReader reader(*table);
  for (; !table->AtEnd(); table->Next()) {
    if (!sink(reader.Read())) return;
  }
}

std::int64_t TSQLiteStore::CountCompanies(const std::string& keyword) {
  std::string id = KeyId(keyword);
  if (id == "0") return 0;
  return TSQLiteCompanyCursor::Count(manager_->Database().Handle(), ParseStoredInt64(id));
}

std::unique_ptr<TCompanyCursor> TSQLiteStore::OpenCompanies(const std::string& keyword,
                                                            TSortOrder order, std::int64_t offset) {
  std::string id = KeyId(keyword);
  if (id == "0") return std::make_unique<TNoCompanies>();
  return std::make_unique<TSQLiteCompanyCursor>(manager_->Database().Handle(), ParseStoredInt64(id),
                                                order, offset);
}

std::unique_ptr<TCompanyCursor> TSQLiteStore::OpenCompaniesAfter(const std::string& keyword,
                                                                 TSortOrder order,
                                                                 const TRowKey& after,
                                                                 std::int64_t offset) {
  std::string id = KeyId(keyword);
  if (id == "0") return std::make_unique<TNoCompanies>();
  return std::make_unique<TSQLiteCompanyCursor>(manager_->Database().Handle(), ParseStoredInt64(id),
                                                order, after, offset);
}

bool TSQLiteStore::RowKey(const std::string& keyword, TSortOrder order, std::int64_t listId,
                          TRowKey& key) {
  std::string id = KeyId(keyword);
  if (id == "0") return false;
  return TSQLiteCompanyCursor::RowKey(manager_->Database().Handle(), ParseStoredInt64(id), order,
                                      listId, key);
}

void TSQLiteStore::BeginBatch() {
  manager_->ExecStatement("begin");
}

void TSQLiteStore::CommitBatch() {
  manager_->ExecStatement("commit");
}

}  // namespace zoqa
