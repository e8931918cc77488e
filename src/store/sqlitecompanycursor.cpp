#include "store/sqlitecompanycursor.h"

#include <sqlite3.h>

#include <charconv>
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

// The sort value follows the record's columns in every row a cursor reads.
constexpr int kKeyColumn = kCompanyColumnCount;

const TOrderColumn& OrderColumn(TSortColumn column) {
  for (const TOrderColumn& order : kOrders) {
    if (order.column == column) return order;
  }
  return kOrders[0];
}

// Texts compare with texts only; the other orders' values are numbers.
bool TextValued(TSortColumn column) {
  return column != TSortColumn::kStored && column != TSortColumn::kBadge;
}

std::string OrderBy(TSortOrder order) {
  const char* direction = order.descending ? " desc" : "";
  std::string sql;
  if (order.column != TSortColumn::kStored) {
    sql += OrderColumn(order.column).expression + std::string(direction) + ", ";
  }
  return sql + "ListID" + direction;
}

// The stretches of the order after a row (value ?2, list id ?3): its ties with greater (or,
// descending, smaller) list ids, then the greater (smaller) values. Each is a range of the
// order's index. A NULL is below every text: descending, the NULLs come last, and a
// comparison never includes them, so they are a stretch of their own.
std::vector<std::string> StretchesAfter(TSortOrder order) {
  const char* beyond = order.descending ? "<" : ">";
  if (order.column == TSortColumn::kStored) return {std::string("ListID") + beyond + "?3"};
  const std::string value = OrderColumn(order.column).expression;
  std::vector<std::string> stretches{value + "=?2 and ListID" + beyond + "?3",
                                     value + beyond + "?2"};
  if (order.descending && TextValued(order.column)) stretches.push_back(value + " is null");
  return stretches;
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

using TStatement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

std::string_view ColumnText(sqlite3_stmt* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement, column);
  // A text holding a zero byte ends there, as everywhere else the store reads text.
  return text == nullptr ? std::string_view()
                         : std::string_view(reinterpret_cast<const char*>(text));
}

// The record's columns a reader of `parts` needs (the list id always).
unsigned ColumnsFor(unsigned parts) {
  static const unsigned kColumnParts[kCompanyColumnCount] = {
      0,          kPartName, kPartAddr,    kPartUrl,    kPartSource, kPartFlags,
      kPartFlags, kPartTels, kPartMobiles, kPartEmails, kPartQQs};
  unsigned columns = 1;
  for (int i = 1; i < kCompanyColumnCount; ++i) {
    if (parts & kColumnParts[i]) columns |= 1u << i;
  }
  return columns;
}

// The key of the statement's current row, whose list id is its column 0 and whose sort value
// is `column`; false for a NULL value or one of another type than the order's.
bool ReadKey(sqlite3_stmt* statement, int column, TSortColumn order, TRowKey& key) {
  int type = sqlite3_column_type(statement, column);
  if (type != (TextValued(order) ? SQLITE_TEXT : SQLITE_INTEGER)) return false;
  // Whole, zero bytes included: the key is compared with the stored values again.
  const unsigned char* text = sqlite3_column_text(statement, column);
  key.value.assign(reinterpret_cast<const char*>(text),
                   static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
  key.listId = sqlite3_column_int64(statement, 0);
  return true;
}

}  // namespace

TSQLiteCompanyCursor::TSQLiteCompanyCursor(sqlite3* handle, std::int64_t keyId, TSortOrder order,
                                           std::int64_t offset)
    : handle_(handle), keyId_(keyId), order_(order), offset_(offset < 0 ? 0 : offset) {
  stretches_.push_back({"", OrderBy(order)});
  Open();
}

TSQLiteCompanyCursor::TSQLiteCompanyCursor(sqlite3* handle, std::int64_t keyId, TSortOrder order,
                                           const TRowKey& after, std::int64_t offset)
    : handle_(handle),
      keyId_(keyId),
      order_(order),
      after_(after),
      offset_(offset < 0 ? 0 : offset) {
  // Each stretch holds a single value of the order or is read by list id alone.
  const char* direction = order.descending ? " desc" : "";
  std::vector<std::string> wheres = StretchesAfter(order);
  for (std::size_t i = 0; i < wheres.size(); ++i) {
    bool byId = order.column == TSortColumn::kStored || i != 1;
    stretches_.push_back(
        {" and " + wheres[i], byId ? "ListID" + std::string(direction) : OrderBy(order)});
  }
  Open();
}

TSQLiteCompanyCursor::~TSQLiteCompanyCursor() {
  sqlite3_finalize(statement_);
}

void TSQLiteCompanyCursor::Bind(sqlite3_stmt* statement, std::int64_t offset) const {
  sqlite3_bind_int64(statement, 1, keyId_);
  if (TextValued(order_.column)) {
    sqlite3_bind_text(statement, 2, after_.value.data(), static_cast<int>(after_.value.size()),
                      SQLITE_STATIC);
  } else {
    std::int64_t value = 0;
    std::from_chars(after_.value.data(), after_.value.data() + after_.value.size(), value);
    sqlite3_bind_int64(statement, 2, value);
  }
  sqlite3_bind_int64(statement, 3, after_.listId);
  sqlite3_bind_int64(statement, 4, offset);
}

void TSQLiteCompanyCursor::Open() {
  const TStretch& stretch = stretches_[stretch_];
  std::string sql = "select " + std::string(kCompanyColumns) + ", " +
                    OrderColumn(order_.column).expression + " from tbl_list where keyid=?1" +
                    stretch.where + " order by " + stretch.orderBy + " limit -1 offset ?4";
  sqlite3_finalize(statement_);
  statement_ = nullptr;
  statement_ = Prepare(handle_, sql);
  Bind(statement_, offset_);
  anyRow_ = false;
}

// How many rows the current stretch holds, up to the offset: what its offset skipped when it
// gave no row.
std::int64_t TSQLiteCompanyCursor::CountInStretch() {
  TStatement statement(Prepare(handle_,
                               "select count(*) from (select 1 from tbl_list where "
                               "keyid=?1" +
                                   stretches_[stretch_].where + " limit ?4)"),
                       sqlite3_finalize);
  Bind(statement.get(), offset_);
  if (sqlite3_step(statement.get()) != SQLITE_ROW) Fail(handle_, "Could not retrieve data");
  return sqlite3_column_int64(statement.get(), 0);
}

// Steps to the next row, on into the following stretches; false at the end.
bool TSQLiteCompanyCursor::Step() {
  for (;;) {
    int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) {
      anyRow_ = true;
      return true;
    }
    if (rc != SQLITE_DONE) Fail(handle_, "Could not retrieve data");
    if (stretch_ + 1 >= stretches_.size()) return false;
    offset_ = anyRow_ || offset_ == 0 ? 0 : offset_ - CountInStretch();
    ++stretch_;
    Open();
  }
}

bool TSQLiteCompanyCursor::Next(TCompany& company) {
  if (done_) return false;
  bool row = false;
  try {
    row = Step();
  } catch (...) {
    done_ = true;
    throw;
  }
  if (!row) {
    done_ = true;
    return false;
  }
  const unsigned columns = ColumnsFor(parts_);
  std::string_view texts[kCompanyColumnCount];
  for (int i = 0; i < kCompanyColumnCount; ++i) {
    if (columns & (1u << i)) texts[i] = ColumnText(statement_, i);
  }
  FillCompany(company, texts, parts_);
  return true;
}

bool TSQLiteCompanyCursor::Key(TRowKey& key) const {
  if (done_ || !anyRow_) return false;
  return ReadKey(statement_, kKeyColumn, order_.column, key);
}

bool TSQLiteCompanyCursor::RowKey(sqlite3* handle, std::int64_t keyId, TSortOrder order,
                                  std::int64_t listId, TRowKey& key) {
  TStatement statement(
      Prepare(handle, "select ListID, " + std::string(OrderColumn(order.column).expression) +
                          " from tbl_list where ListID=?1 and keyid=?2"),
      sqlite3_finalize);
  sqlite3_bind_int64(statement.get(), 1, listId);
  sqlite3_bind_int64(statement.get(), 2, keyId);
  int rc = sqlite3_step(statement.get());
  if (rc == SQLITE_DONE) return false;
  if (rc != SQLITE_ROW) Fail(handle, "Could not retrieve data");
  return ReadKey(statement.get(), 1, order.column, key);
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
  TStatement statement(Prepare(handle, "select count(*) from tbl_list where keyid=?1"),
                       sqlite3_finalize);
  sqlite3_bind_int64(statement.get(), 1, keyId);
  if (sqlite3_step(statement.get()) != SQLITE_ROW) Fail(handle, "Could not retrieve data");
  return sqlite3_column_int64(statement.get(), 0);
}

}  // namespace zoqa
