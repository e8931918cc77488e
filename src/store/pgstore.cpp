#include "store/pgstore.h"

#include "store/companyrow.h"
#include "store/keyfold.h"
#include "store/pgcursor.h"
#include "store/pgschema.h"
#include "store/storedtext.h"

namespace zoqa {
namespace {

constexpr int kFetchRows = 2000;

// The folded keyword as the unique column holds it.
std::string StoredFold(const std::string& keyword) {
  return EncodeStored(FoldKeyCase(keyword));
}

bool IsDecimal(const std::string& text) {
  if (text.empty() || text.size() > 18) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

TPgStore::TPgStore(const TStoreUrl& url, const TPgGiveUp& giveUp)
    : connection_(std::make_unique<TPgConnection>(url, giveUp)) {
  CheckPgSchema(*connection_);
}

TPgStore::~TPgStore() = default;

TSourceOpener TPgStore::ReaderOpener() const {
  return [url = connection_->Url()](
             const std::function<bool()>& giveUp) -> std::unique_ptr<TCompanySource> {
    return std::make_unique<TPgStore>(url, giveUp);
  };
}

std::vector<TStoredKey> TPgStore::LoadKeys() {
  TPgResult rows = connection_->Exec(
      "select id, keystr, listcount, adddate, lastpage, sglastpage, s360lastpage from tbl_key "
      "order by id");
  std::vector<TStoredKey> keys;
  keys.reserve(static_cast<std::size_t>(rows.Rows()));
  for (int r = 0; r < rows.Rows(); ++r) {
    TStoredKey key;
    key.Id = rows.Text(r, 0);
    key.KeyStr = DecodeStored(rows.Text(r, 1));
    key.ListCount = static_cast<std::int32_t>(rows.Integer(r, 2));
    key.AddDate = rows.Integer(r, 3);
    key.LastPage = static_cast<std::int32_t>(rows.Integer(r, 4));
    key.SgLastPage = static_cast<std::int32_t>(rows.Integer(r, 5));
    key.S360LastPage = static_cast<std::int32_t>(rows.Integer(r, 6));
    keys.push_back(std::move(key));
  }
  return keys;
}

std::string TPgStore::AddKey(const std::string& keyword, std::int64_t addDate) {
  // Another machine may add the same keyword at the same moment: one row wins, both get its id.
  Write(
      "insert into tbl_key(keystr, keyfold, adddate) values ($1, $2, $3) "
      "on conflict (keyfold) do nothing",
      {EncodeStored(keyword), StoredFold(keyword), std::to_string(addDate)});
  return KeyId(keyword);
}

std::string TPgStore::KeyId(const std::string& keyword) {
  TPgResult rows =
      connection_->Exec("select id from tbl_key where keyfold = $1", {StoredFold(keyword)});
  return rows.Rows() == 0 ? "0" : rows.Text(0, 0);
}

bool TPgStore::NameStored(const std::string& name) {
  return connection_->Exec("select 1 from tbl_list where comname = $1", {EncodeStored(name)})
             .Rows() > 0;
}

TStoreAdd TPgStore::AddCompany(const std::string& keyId, TCompany& company) {
  if (!IsDecimal(keyId)) return TStoreAdd::Failed;
  // The insert and the keyword's count move together; a name stored already (by any machine,
  // at any moment) inserts nothing and counts nothing.
  TPgResult rows;
  try {
    rows = connection_->Exec(
        "with added as (insert into tbl_list(comname, addr, weburl, email, tel, mob, qq, source, "
        "ispay, renzheng, stat, keyid) values ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, 0, $11) "
        "on conflict (comname) do nothing returning listid, keyid), "
        "counted as (update tbl_key set listcount = listcount + 1 "
        "where id in (select keyid from added)) select listid from added",
        {EncodeStored(company.GetName()), EncodeStored(company.Addr), EncodeStored(company.WebUrl),
         JoinStoredList(company.Emails), JoinStoredList(company.Tels),
         JoinStoredList(company.Mobiles), JoinStoredList(company.QQs), EncodeStored(company.Source),
         std::to_string(company.IsPay), std::to_string(company.RenZheng), keyId});
  } catch (const EPgError& e) {
    if (e.ConnectionLost()) return TStoreAdd::Unreachable;
    return TStoreAdd::Failed;  // dropped, as a failed write of the local store is
  }
  if (rows.Rows() == 0) return TStoreAdd::Duplicate;
  company.ListId = rows.Text(0, 0);
  return TStoreAdd::Stored;
}

bool TPgStore::Write(const std::string& sql, const TPgParams& params) {
  try {
    connection_->Exec(sql, params);
    return true;
  } catch (const EPgError&) {
    return false;
  }
}

void TPgStore::SaveKeyCount(const std::string& keyId, std::int32_t, std::int64_t addDate) {
  // The count is kept by the database itself, as every machine adds to it.
  if (!IsDecimal(keyId)) return;
  Write("update tbl_key set adddate = $2 where id = $1", {keyId, std::to_string(addDate)});
}

void TPgStore::SaveLastPage(const std::string& keyId, int engine, std::int32_t page) {
  std::string column = PageColumn(engine);
  if (column.empty() || !IsDecimal(keyId)) return;
  // The column name comes from the fixed list above, never from input.
  Write("update tbl_key set " + column + " = $2 where id = $1", {keyId, std::to_string(page)});
}

void TPgStore::SaveLastPageByKeyword(const std::string& keyword, int engine, std::int32_t page) {
  std::string column = PageColumn(engine);
  if (column.empty()) return;
  Write("update tbl_key set " + column + " = $2 where keyfold = $1",
        {StoredFold(keyword), std::to_string(page)});
}

void TPgStore::DeleteCompany(const std::string& listId) {
  if (!IsDecimal(listId)) return;
  Write(
      "with gone as (delete from tbl_list where listid = $1 returning keyid) "
      "update tbl_key set listcount = greatest(listcount - 1, 0) "
      "where id in (select keyid from gone)",
      {listId});
}

void TPgStore::DeleteKey(const std::string& keyId) {
  if (!IsDecimal(keyId)) return;
  Write("delete from tbl_key where id = $1", {keyId});  // companies cascade
}

void TPgStore::ReadCompanies(const std::string& keyword, const CompanySink& sink) {
  // A cursor in a read-only transaction hands the rows over in slices, so that the first
  // companies arrive before the last are read.
  TPgTransaction transaction(*connection_);
  connection_->Exec(std::string("declare companies no scroll cursor for select ") +
                        kPgCompanyColumns +
                        " from tbl_list where keyid = (select id from tbl_key where keyfold = $1) "
                        "order by listid",
                    {StoredFold(keyword)});
  for (;;) {
    TPgResult rows =
        connection_->Exec("fetch forward " + std::to_string(kFetchRows) + " from companies");
    for (int r = 0; r < rows.Rows(); ++r) {
      auto company = std::make_unique<TCompany>();
      ReadPgCompany(rows, r, *company);
      if (!sink(std::move(company))) return;
    }
    if (rows.Rows() < kFetchRows) break;
  }
  transaction.Commit();
}

std::int64_t TPgStore::CountCompanies(const std::string& keyword) {
  return connection_
      ->Exec(
          "select count(*) from tbl_list where keyid = (select id from tbl_key where "
          "keyfold = $1)",
          {StoredFold(keyword)})
      .Integer(0, 0);
}

std::unique_ptr<TCompanyCursor> TPgStore::OpenCompanies(const std::string& keyword,
                                                        TSortOrder order, std::int64_t offset) {
  std::string keyId = KeyId(keyword);
  return std::make_unique<TPgCompanyCursor>(*connection_, keyId == "0" ? "" : keyId, order, offset);
}

std::unique_ptr<TCompanyCursor> TPgStore::OpenCompaniesAfter(const std::string& keyword,
                                                             TSortOrder order, const TRowKey& after,
                                                             std::int64_t offset) {
  std::string keyId = KeyId(keyword);
  return std::make_unique<TPgCompanyCursor>(*connection_, keyId == "0" ? "" : keyId, order, offset,
                                            &after);
}

bool TPgStore::RowKey(const std::string& keyword, TSortOrder order, std::int64_t listId,
                      TRowKey& key) {
  std::string keyId = KeyId(keyword);
  if (keyId == "0") return false;
  TPgResult rows = connection_->Exec("select " + PgSortExpression(order.column) +
                                         " from tbl_list where listid = $1 and keyid = $2",
                                     {std::to_string(listId), keyId});
  if (rows.Rows() == 0 || rows.IsNull(0, 0)) return false;
  key.value = rows.Text(0, 0);
  key.listId = listId;
  return true;
}

void TPgStore::ReadCompaniesAfter(const std::string& keyId, std::int64_t listId,
                                  const CompanySink& sink) {
  if (!IsDecimal(keyId)) return;
  TPgResult rows = connection_->Exec(std::string("select ") + kPgCompanyColumns +
                                         " from tbl_list where keyid = $1 and listid > $2 "
                                         "order by listid limit 500",
                                     {keyId, std::to_string(listId)});
  for (int r = 0; r < rows.Rows(); ++r) {
    auto company = std::make_unique<TCompany>();
    ReadPgCompany(rows, r, *company);
    if (!sink(std::move(company))) return;
  }
}

TReconnect TPgStore::PollReconnect() {
  switch (connection_->PollReset()) {
    case TPgConnection::TResetState::Pending:
      return TReconnect::Pending;
    case TPgConnection::TResetState::Up:
      return TReconnect::Up;
    default:
      return TReconnect::Failed;
  }
}

void TPgStore::BeginBatch() {
  connection_->Script("begin");
}

void TPgStore::CommitBatch() {
  connection_->Script("commit");
}

}  // namespace zoqa
