#include "store/sqlitedatabase.h"

#include <sqlite3.h>

#include <memory>

#include "store/sqliteexception.h"

namespace zoqa {
namespace {

struct StatementCloser {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementCloser>;

}  // namespace

TSQLiteDatabase::TSQLiteDatabase(const std::string& fileName, int /*keyLength*/) {
  int rc = sqlite3_open(fileName.c_str(), &handle_);
  if (rc == SQLITE_OK) return;
  if (handle_ == nullptr) {
    throw ESQLiteException("Failed to open database \"" + fileName + "\" : unknown error");
  }
  std::string message = "Failed to open database \"" + fileName + "\" : " + sqlite3_errmsg(handle_);
  sqlite3_close(handle_);
  handle_ = nullptr;
  throw ESQLiteException(message);
}

TSQLiteDatabase::~TSQLiteDatabase() {
  if (handle_ != nullptr) sqlite3_close_v2(handle_);
}

void TSQLiteDatabase::ThrowLastError(const std::string& message, const std::string& sql) {
  int code = sqlite3_errcode(handle_);
  if (code == SQLITE_OK) throw ESQLiteException(message);
  throw ESQLiteException(message + ".\rError [" + std::to_string(code) + "]: " +
                         ResultCodeText(code) + ".\r\"" + sql + "\": " + sqlite3_errmsg(handle_));
}

sqlite3_stmt* TSQLiteDatabase::Prepare(const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(handle_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    sqlite3_finalize(statement);
    ThrowLastError("Error executing SQL", sql);
  }
  if (statement == nullptr) ThrowLastError("Could not prepare SQL statement", sql);
  return statement;
}

void TSQLiteDatabase::Execute(const std::string& sql) {
  Statement statement(Prepare(sql));
  if (sqlite3_step(statement.get()) != SQLITE_DONE) {
    sqlite3_reset(statement.get());
    ThrowLastError("Error executing SQL statement", sql);
  }
}

TSQLiteTable TSQLiteDatabase::Query(const std::string& sql) {
  Statement statement(Prepare(sql));
  TSQLiteTable table;
  for (;;) {
    int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_DONE) break;
    if (rc == SQLITE_BUSY) throw ESQLiteException("Could not prepare SQL statement");
    if (rc != SQLITE_ROW) {
      sqlite3_reset(statement.get());
      ThrowLastError("Could not retrieve data", sql);
    }
    table.AppendRow(statement.get());
  }
  return table;
}

}  // namespace zoqa
