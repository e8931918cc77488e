#include "store/pgconnection.h"

#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

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

// Parameters set unless the URL sets them: the connect timeout, and a dead server noticed
// within about 20 s (unanswered data for 20 s, or 10 s idle plus three unanswered probes 3 s
// apart), so that a statement of the window never waits for minutes.
const char* const kDefaults[][2] = {
    {"connect_timeout", "10"},    {"keepalives", "1"},       {"keepalives_idle", "10"},
    {"keepalives_interval", "3"}, {"keepalives_count", "3"}, {"tcp_user_timeout", "20000"},
};

// The connection's connect_timeout in seconds (0: none); libpq waits at least 2 s, as here.
int ConnectTimeout(pg_conn* conn) {
  int seconds = 0;
  PQconninfoOption* options = PQconninfo(conn);
  for (PQconninfoOption* o = options; o != nullptr && o->keyword != nullptr; ++o) {
    if (std::string(o->keyword) == "connect_timeout" && o->val) seconds = std::atoi(o->val);
  }
  PQconninfoFree(options);
  return seconds <= 0 ? 0 : std::max(seconds, 2);
}

// The connect parameters: the URL, our application name and encoding, and the defaults the
// URL does not set (later keys override earlier ones).
struct TConnectParams {
  explicit TConnectParams(const TStoreUrl& url) {
    keys = {"dbname", "application_name", "client_encoding"};
    values = {url.Url().c_str(), "zoqa", "UTF8"};
    for (const auto& [key, value] : kDefaults) {
      if (url.Sets(key)) continue;
      keys.push_back(key);
      values.push_back(value);
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
  }
  std::vector<const char*> keys;
  std::vector<const char*> values;
};

// How long one wait for the socket lasts before the caller is asked whether to give up.
constexpr int kConnectStepMs = 50;

}  // namespace

TPgConnection::TPgConnection(const TStoreUrl& url) : TPgConnection(url, nullptr) {}

TPgConnection::TPgConnection(const TStoreUrl& url, const TPgGiveUp& giveUp) : url_(url) {
  TConnectParams params(url);
  if (!giveUp) {
    conn_ = PQconnectdbParams(params.keys.data(), params.values.data(), 1);
  } else {
    conn_ = PQconnectStartParams(params.keys.data(), params.values.data(), 1);
  }
  if (conn_ == nullptr) throw EPgError("out of memory connecting to " + url.Label(), "", true);
  if (giveUp) ConnectPolled(giveUp);
  if (PQstatus(conn_) != CONNECTION_OK) ThrowConnectError(Trimmed(PQerrorMessage(conn_)));
  Opened();
}

// libpq is stepped only once the socket is ready (before the first step, for writing: the
// connect itself); a step before the connect completed would take it for done. The socket
// may change between steps (another address). connect_timeout bounds the whole connect.
void TPgConnection::ConnectPolled(const TPgGiveUp& giveUp) {
  int timeoutS = ConnectTimeout(conn_);
  Clock::time_point deadline = Clock::now() + std::chrono::seconds(timeoutS);
  PostgresPollingStatusType step =
      PQstatus(conn_) == CONNECTION_BAD ? PGRES_POLLING_FAILED : PGRES_POLLING_WRITING;
  while (step == PGRES_POLLING_READING || step == PGRES_POLLING_WRITING) {
    if (giveUp()) {
      PQfinish(conn_);
      conn_ = nullptr;
      throw EPgError("connecting to the store " + url_.Label() + " was given up", "", true);
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (timeoutS > 0 && left.count() <= 0) {
      std::string reason = Trimmed(PQerrorMessage(conn_));
      ThrowConnectError(reason + (reason.empty() ? "" : " ") + "timeout expired");
    }
    int waitMs = timeoutS > 0
                     ? static_cast<int>(std::min<std::int64_t>(left.count(), kConnectStepMs))
                     : kConnectStepMs;
    short events = step == PGRES_POLLING_READING ? POLLIN : POLLOUT;
    pollfd socket{PQsocket(conn_), events, 0};
    // A signal (the stop asked for) only ends the wait: libpq is not stepped before it is due.
    if (socket.fd >= 0) {
      int ready = ::poll(&socket, 1, waitMs);
      if (ready == 0 || (ready < 0 && errno == EINTR)) continue;
    }
    step = PQconnectPoll(conn_);
  }
}

void TPgConnection::ThrowConnectError(const std::string& reason) {
  std::string scrubbed = url_.Scrub(reason);
  PQfinish(conn_);
  conn_ = nullptr;
  throw EPgError("cannot connect to the store " + url_.Label() + ": " + scrubbed, "", true);
}

void TPgConnection::Opened() {
  // Server notices ("already exists, skipping") are not for the user.
  PQsetNoticeProcessor(
      conn_, [](void*, const char*) {}, nullptr);
  cancel_ = PQgetCancel(conn_);
  connectTimeoutS_ = ConnectTimeout(conn_);
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
  resetting_ = false;
  PQreset(conn_);
  if (PQstatus(conn_) != CONNECTION_OK) return false;
  Connected();
  return true;
}

void TPgConnection::Connected() {
  std::lock_guard<std::mutex> lock(cancelMutex_);
  if (cancel_) PQfreeCancel(cancel_);
  cancel_ = PQgetCancel(conn_);
}

void TPgConnection::StartReset() {
  resetting_ = PQresetStart(conn_) == 1;
  // Before the first poll the socket is awaited for writing: the connect itself.
  resetReads_ = false;
  resetDeadline_ = Clock::now() + std::chrono::seconds(connectTimeoutS_);
}

TPgConnection::TResetState TPgConnection::PollReset() {
  if (!resetting_) return TResetState::Failed;
  if (connectTimeoutS_ > 0 && Clock::now() >= resetDeadline_) {
    resetting_ = false;
    return TResetState::Failed;
  }
  // libpq is stepped only once the socket is ready: a step before the connect completed
  // would take it for done. The socket may change between steps (another address).
  pollfd socket{PQsocket(conn_), static_cast<short>(resetReads_ ? POLLIN : POLLOUT), 0};
  if (socket.fd >= 0 && ::poll(&socket, 1, 0) == 0) return TResetState::Pending;
  switch (PQresetPoll(conn_)) {
    case PGRES_POLLING_OK:
      resetting_ = false;
      Connected();
      return TResetState::Up;
    case PGRES_POLLING_READING:
      resetReads_ = true;
      return TResetState::Pending;
    case PGRES_POLLING_WRITING:
      resetReads_ = false;
      return TResetState::Pending;
    default:
      resetting_ = false;
      return TResetState::Failed;
  }
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
