#include "store/sqlitecompanycursor.h"

#include <sqlite3.h>

#include <memory>

#include "store/companyrow.h"
#include "store/sqliteexception.h"

namespace zoqa {
namespace {

// The badge a row shows: paid 0, certified 1, else 2. Its index is on this very expression,
// which the order must repeat word for word to be served by it.
const char kBadge[] = "(case when ispay=1 then 0 when renzheng=1 then 1 else 2 end)";

struct TOrderColumn {
  TSortColumn column;
  const char* expression;
  const char* index;  // null: the order needs no index of its own
};

const TOrderColumn kOrders[] = {
    {TSortColumn::kStored, "ListID", nullptr},
    {TSortColumn::kBadge, kBadge, "ix_tbl_list_key_badge"},
    {TSortColumn::kName, "ComName", "ix_tbl_list_key_comname"},
    {TSortColumn::kMobile, "mob", "ix_tbl_list_key_mob"},
    {TSortColumn::kQQ, "qq", "ix_tbl_list_key_qq"},
    {TSortColumn::kEmail, "EMail", "ix_tbl_list_key_email"},
    {TSortColumn::kSource, "source", "ix_tbl_list_key_source"},
};

const TOrderColumn& OrderColumn(TSortColumn column) {
  for (const TOrderColumn& order : kOrders) {
    if (order.column == column) return order;
  }
  return kOrders[0];
}

std::string SelectStatement(TSortOrder order) {
  const char* direction = order.descending ? " desc" : "";
  std::string sql =
      "select " + std::string(kCompanyColumns) + " from tbl_list where keyid=?1 order by ";
  if (order.column != TSortColumn::kStored) {
    sql += OrderColumn(order.column).expression + std::string(direction) + ", ";
  }
  return sql + "ListID" + direction + " limit -1 offset ?2";
}

[[noreturn]] void Fail(sqlite3* handle, const std::string& what) {
  int code = sqlite3_errcode(handle);
  throw ESQLiteException(what + ".\rError [" + std::to_string(code) + "]: " + ResultCodeText(code) +
                         ": " + sqlite3_errmsg(handle));
}

sqlite3_stmt* Prepare(sqlite3* handle, const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    sqlite3_finalize(statement);
    Fail(handle, "Could not prepare SQL statement");
  }
  return statement;
}

std::string_view ColumnText(sqlite3_stmt* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement, column);
  // A text holding a zero byte ends there, as everywhere else the store reads text.
  return text == nullptr ? std::string_view()
                         : std::string_view(reinterpret_cast<const char*>(text));
}

}  // namespace

TSQLiteCompanyCursor::TSQLiteCompanyCursor(sqlite3* handle, std::int64_t keyId, TSortOrder order,
                                           std::int64_t offset)
    : handle_(handle), statement_(Prepare(handle, SelectStatement(order))) {
  sqlite3_bind_int64(statement_, 1, keyId);
  sqlite3_bind_int64(statement_, 2, offset < 0 ? 0 : offset);
}

TSQLiteCompanyCursor::~TSQLiteCompanyCursor() {
  sqlite3_finalize(statement_);
}

bool TSQLiteCompanyCursor::Next(TCompany& company) {
  if (done_) return false;
  int rc = sqlite3_step(statement_);
  if (rc == SQLITE_DONE) {
    done_ = true;
    return false;
  }
  if (rc != SQLITE_ROW) {
    done_ = true;
    Fail(handle_, "Could not retrieve data");
  }
  std::string_view texts[kCompanyColumnCount];
  for (int i = 0; i < kCompanyColumnCount; ++i) texts[i] = ColumnText(statement_, i);
  FillCompany(company, texts);
  return true;
}

std::vector<std::string> TSQLiteCompanyCursor::IndexStatements() {
  std::vector<std::string> statements;
  for (const TOrderColumn& order : kOrders) {
    if (order.index == nullptr) continue;
    statements.push_back("create index if not exists " + std::string(order.index) +
                         " on tbl_list(keyid, " + order.expression + ")");
  }
  return statements;
}

std::int64_t TSQLiteCompanyCursor::Count(sqlite3* handle, std::int64_t keyId) {
  std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(
      Prepare(handle, "select count(*) from tbl_list where keyid=?1"), sqlite3_finalize);
  sqlite3_bind_int64(statement.get(), 1, keyId);
  if (sqlite3_step(statement.get()) != SQLITE_ROW) Fail(handle, "Could not retrieve data");
  return sqlite3_column_int64(statement.get(), 0);
}

}  // namespace zoqa
