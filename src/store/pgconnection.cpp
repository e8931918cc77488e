#include "store/pgconnection.h"

#include <libpq-fe.h>

namespace zoqa {
namespace {

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// The SQLSTATE class of failures that mean the connection is unusable.
bool ConnectionClass(const std::string& state) {
  return state.compare(0, 2, "08") == 0 || state == "57P01" || state == "57P02" || state == "57P03";
}

}  // namespace

TPgConnection::TPgConnection(const TStoreUrl& url) : url_(url) {
  // Later keys override what the URL sets; connect_timeout only when the URL has none.
  std::vector<const char*> keys{"dbname", "application_name", "client_encoding"};
  std::vector<const char*> values{url.Url().c_str(), "zoqa", "UTF8"};
  if (!url.HasConnectTimeout()) {
    keys.push_back("connect_timeout");
    values.push_back("10");
  }
  keys.push_back(nullptr);
  values.push_back(nullptr);
  conn_ = PQconnectdbParams(keys.data(), values.data(), 1);
  if (conn_ == nullptr) throw EPgError("out of memory connecting to " + url.Label(), "", true);
  if (PQstatus(conn_) != CONNECTION_OK) {
    std::string reason = url.Scrub(Trimmed(PQerrorMessage(conn_)));
    PQfinish(conn_);
    conn_ = nullptr;
    throw EPgError("cannot connect to the store " + url.Label() + ": " + reason, "", true);
  }
  // Server notices ("already exists, skipping") are not for the user.
  PQsetNoticeProcessor(
      conn_, [](void*, const char*) {}, nullptr);
  cancel_ = PQgetCancel(conn_);
}

TPgConnection::~TPgConnection() {
  {
    std::lock_guard<std::mutex> lock(cancelMutex_);
    if (cancel_) PQfreeCancel(cancel_);
    cancel_ = nullptr;
  }
  PQfinish(conn_);
}

void TPgConnection::ThrowStatementError(pg_result* result, const std::string& sql) {
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  std::string sqlState = state ? state : "";
  std::string message = url_.Scrub(Trimmed(PQerrorMessage(conn_)));
  PQclear(result);
  bool lost = PQstatus(conn_) != CONNECTION_OK || ConnectionClass(sqlState);
  std::string head = sql.substr(0, sql.find(' ', 12));
  throw EPgError("the store " + url_.Label() + " failed (" + head + "): " + message, sqlState,
                 lost);
}

TPgResult TPgConnection::Exec(const std::string& sql, const TPgParams& params) {
  std::vector<const char*> values;
  values.reserve(params.size());
  for (const std::string& p : params) values.push_back(p.c_str());
  pg_result* result = PQexecParams(conn_, sql.c_str(), static_cast<int>(values.size()), nullptr,
                                   values.data(), nullptr, nullptr, 0);
  ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) ThrowStatementError(result, sql);
  return TPgResult(result);
}

void TPgConnection::Script(const std::string& sql) {
  pg_result* result = PQexec(conn_, sql.c_str());
  ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) ThrowStatementError(result, sql);
  PQclear(result);
}

bool TPgConnection::Alive() const {
  return PQstatus(conn_) == CONNECTION_OK;
}

bool TPgConnection::Reset() {
  PQreset(conn_);
  if (PQstatus(conn_) != CONNECTION_OK) return false;
  std::lock_guard<std::mutex> lock(cancelMutex_);
  if (cancel_) PQfreeCancel(cancel_);
  cancel_ = PQgetCancel(conn_);
  return true;
}

void TPgConnection::Cancel() {
  std::lock_guard<std::mutex> lock(cancelMutex_);
  if (cancel_ == nullptr) return;
  char error[256];
  PQcancel(cancel_, error, sizeof error);
}

void TPgConnection::Listen(const std::string& channel) {
  Script("listen " + channel);
}

std::vector<std::string> TPgConnection::TakeNotifications() {
  std::vector<std::string> channels;
  PQconsumeInput(conn_);
  while (PGnotify* notify = PQnotifies(conn_)) {
    channels.emplace_back(notify->relname);
    PQfreemem(notify);
  }
  return channels;
}

int TPgConnection::Socket() const {
  return PQsocket(conn_);
}

TPgTransaction::TPgTransaction(TPgConnection& connection) : connection_(connection) {
  connection_.Script("begin");
}

TPgTransaction::~TPgTransaction() {
  if (!open_) return;
  try {
    connection_.Script("rollback");
  } catch (...) {
  }
}

void TPgTransaction::Commit() {
  connection_.Script("commit");
  open_ = false;
}

}  // namespace zoqa
