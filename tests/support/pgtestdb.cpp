#include "support/pgtestdb.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace zoqa::test {
namespace {

// A database name from the running test's names: lower-case letters, digits and "_".
std::string DatabaseName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string raw = info ? std::string(info->test_suite_name()) + "_" + info->name() : "db";
  std::string name = "zt_";
  for (char c : raw) {
    name += std::isalnum(static_cast<unsigned char>(c))
                ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
                : '_';
  }
  name = name.substr(0, 50) + "_" + std::to_string(getpid());
  return name;
}

}  // namespace

std::string PgQuery(const std::string& url, const std::string& sql) {
  PGconn* conn = PQconnectdb(url.c_str());
  if (PQstatus(conn) != CONNECTION_OK) {
    std::string error = PQerrorMessage(conn);
    PQfinish(conn);
    throw std::runtime_error("test server: " + error);
  }
  PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
  PGresult* result = PQexec(conn, sql.c_str());
  ExecStatusType status = PQresultStatus(result);
  std::string value;
  if (status == PGRES_TUPLES_OK && PQntuples(result) > 0) value = PQgetvalue(result, 0, 0);
  std::string error = PQerrorMessage(conn);
  PQclear(result);
  PQfinish(conn);
  if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
    throw std::runtime_error("test server: " + sql + ": " + error);
  }
  return value;
}

std::string PgUrlFor(const std::string& url, const std::string& name) {
  std::size_t hostStart = url.find("://") + 3;
  std::size_t slash = url.find('/', hostStart);
  std::size_t query = url.find('?', hostStart);
  std::string tail = query == std::string::npos ? "" : url.substr(query);
  return url.substr(0, slash == std::string::npos ? query : slash) + "/" + name + tail;
}

std::string PgTestDb::ServerUrl() {
  const char* url = std::getenv("ZOQA_TEST_PG");
  return url ? url : "";
}

const char* PgTestDb::SkipReason() {
  return "no PostgreSQL test server: ZOQA_TEST_PG is not set (scripts/test.sh starts one)";
}

PgTestDb::PgTestDb() {
  std::string server = ServerUrl();
  if (server.empty()) return;
  name_ = DatabaseName();
  PgQuery(server, "drop database if exists " + name_ + " with (force)");
  PgQuery(server, "create database " + name_);
  url_ = PgUrlFor(server, name_);
}

PgTestDb::~PgTestDb() {
  if (url_.empty()) return;
  try {
    PgQuery(ServerUrl(), "drop database if exists " + name_ + " with (force)");
  } catch (...) {
  }
}

std::string PgTestDb::Query(const std::string& sql) const {
  return PgQuery(url_, sql);
}

}  // namespace zoqa::test
