// One connection to a PostgreSQL server through libpq. Every statement carries its values as
// parameters, never in the SQL text. Errors raise EPgError, whose message never holds the
// password.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/pgresult.h"
#include "store/storeurl.h"

struct pg_conn;
struct pg_cancel;

namespace zoqa {

class EPgError : public std::runtime_error {
 public:
  EPgError(const std::string& message, std::string sqlState, bool connectionLost)
      : std::runtime_error(message),
        sqlState_(std::move(sqlState)),
        connectionLost_(connectionLost) {}
  // The five-character SQLSTATE of a statement error; empty for a connection failure.
  const std::string& SqlState() const { return sqlState_; }
  // True when the connection is gone (or could not be made).
  bool ConnectionLost() const { return connectionLost_; }

 private:
  std::string sqlState_;
  bool connectionLost_;
};

// A statement parameter in text form.
using TPgParams = std::vector<std::string>;

// Asked every few tens of milliseconds while a connection is being made: true gives it up.
using TPgGiveUp = std::function<bool()>;

class TPgConnection {
 public:
  enum class TResetState { Pending, Up, Failed };

  // Connects; connect_timeout is 10 s unless the URL sets it. A server that stops answering
  // (gone without closing the connection) fails a statement within about 20 s: TCP
  // keepalives and a TCP user timeout are set unless the URL sets them. Raises EPgError.
  explicit TPgConnection(const TStoreUrl& url);
  // The same, connecting without blocking so that the caller can give up: the connect ends
  // once `giveUp` says so, with EPgError (ConnectionLost) "connecting to the store … was given
  // up", as well as after connect_timeout. Looking up the host name may still wait. Without a
  // `giveUp` this is the constructor above.
  TPgConnection(const TStoreUrl& url, const TPgGiveUp& giveUp);
  ~TPgConnection();
  TPgConnection(const TPgConnection&) = delete;
  TPgConnection& operator=(const TPgConnection&) = delete;

  // Runs one statement with its parameters and returns its result; raises EPgError.
  TPgResult Exec(const std::string& sql, const TPgParams& params = {});
  // Runs statements without parameters (schema scripts, transaction control).
  void Script(const std::string& sql);

  // True while the connection is up.
  bool Alive() const;
  // Connects again with the same parameters (waits up to connect_timeout); true when up.
  bool Reset();
  // Connects again without ever waiting: StartReset begins, and each PollReset goes on as far
  // as the socket allows. Up once connected; Failed when the server refused or connect_timeout
  // passed (a new StartReset tries again). Looking up the host name may still wait.
  void StartReset();
  TResetState PollReset();
  // Asks the server to cancel the statement now running; safe from any thread.
  void Cancel();
  // Starts listening on `channel` (an identifier of ours, never user text).
  void Listen(const std::string& channel);
  // Reads what the server sent and returns the channels notified since the last call.
  std::vector<std::string> TakeNotifications();
  // The socket to wait on for notifications.
  int Socket() const;

  const TStoreUrl& Url() const { return url_; }

 private:
  [[noreturn]] void ThrowStatementError(pg_result* result, const std::string& sql);
  // Steps the connect begun by PQconnectStartParams until it is up; raises EPgError.
  void ConnectPolled(const TPgGiveUp& giveUp);
  [[noreturn]] void ThrowConnectError(const std::string& reason);
  void Opened();
  void Connected();

  using Clock = std::chrono::steady_clock;

  TStoreUrl url_;
  pg_conn* conn_ = nullptr;
  std::mutex cancelMutex_;
  pg_cancel* cancel_ = nullptr;
  int connectTimeoutS_ = 0;  // 0: no limit
  // The reset under way: whether the socket is awaited for reading (else writing), and when
  // it is given up.
  bool resetting_ = false;
  bool resetReads_ = false;
  Clock::time_point resetDeadline_;
};

// A transaction on one connection: begun at construction, rolled back when it goes out of
// scope without Commit.
class TPgTransaction {
 public:
  explicit TPgTransaction(TPgConnection& connection);
  ~TPgTransaction();
  TPgTransaction(const TPgTransaction&) = delete;
  TPgTransaction& operator=(const TPgTransaction&) = delete;
  void Commit();

 private:
  TPgConnection& connection_;
  bool open_ = true;
};

}  // namespace zoqa
