// A database of its own on the test PostgreSQL server, for one test. The server is named by
// ZOQA_TEST_PG (a URL to its maintenance database, with password), which scripts/test.sh sets
// when it starts the server; without it the tests of the team store are skipped.
#pragma once

#include <string>

namespace zoqa::test {

class PgTestDb {
 public:
  // Creates a fresh empty database named after the running test (an older one of the same
  // name is dropped first). Url() is empty when no server is configured.
  PgTestDb();
  ~PgTestDb();
  PgTestDb(const PgTestDb&) = delete;
  PgTestDb& operator=(const PgTestDb&) = delete;

  bool Available() const { return !url_.empty(); }
  const std::string& Url() const { return url_; }
  const std::string& Name() const { return name_; }
  // Runs `sql` on the test database and returns the first column of the first row, or "".
  std::string Query(const std::string& sql) const;

  // The server's maintenance URL, or empty.
  static std::string ServerUrl();
  // Why the team store tests are skipped.
  static const char* SkipReason();

 private:
  std::string name_;
  std::string url_;
};

// Runs `sql` with libpq on `url`; returns the first cell or "", throws std::runtime_error.
std::string PgQuery(const std::string& url, const std::string& sql);

// `url` pointing at the database `name` instead of its own.
std::string PgUrlFor(const std::string& url, const std::string& name);

}  // namespace zoqa::test

#define ZOQA_REQUIRE_PG(db) \
  if (!(db).Available()) GTEST_SKIP() << zoqa::test::PgTestDb::SkipReason()
