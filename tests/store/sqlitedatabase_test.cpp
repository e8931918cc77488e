// The database layer: opening, statement errors, column kinds and reads.
#include "store/sqlitedatabase.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "store/sqliteexception.h"
#include "support/testsupport.h"

namespace zoqa {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ESQLiteException& e) {
    return e.what();
  }
  return "(nothing raised)";
}

class SQLiteDatabaseTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  TSQLiteDatabase db{dir.File("t.db"), 0};
};

TEST(SQLiteOpenTest, MissingDirectoryFailsWithLibraryText) {
  test::TempDir dir;
  std::string file = dir.File("no/such/t.db");
  EXPECT_EQ(MessageOf([&] { TSQLiteDatabase db(file, 0); }),
            "Failed to open database \"" + file + "\" : unable to open database file");
}

TEST(SQLiteOpenTest, MissingFileInExistingDirectoryIsCreated) {
  test::TempDir dir;
  TSQLiteDatabase db(dir.File("new.db"), 0);
  EXPECT_NE(db.Handle(), nullptr);
  EXPECT_EQ(db.Query("select count(*) from sqlite_master").TextAt(0), "0");
}

TEST_F(SQLiteDatabaseTest, StatementErrorsCarryCodeTextStatementAndLibraryText) {
  EXPECT_EQ(MessageOf([&] { db.Execute("select * from nowhere"); }),
            "Error executing SQL.\rError [1]: SQL error or missing database.\r"
            "\"select * from nowhere\": no such table: nowhere");
  EXPECT_EQ(MessageOf([&] { db.Execute("  -- only a comment"); }),
            "Could not prepare SQL statement");
  EXPECT_EQ(MessageOf([&] { db.Query(""); }), "Could not prepare SQL statement");
  db.Execute("create table t(a INTEGER PRIMARY KEY, b TEXT UNIQUE)");
  db.Execute("insert into t(b) values ('x')");
  EXPECT_EQ(MessageOf([&] { db.Execute("insert into t(b) values ('x')"); }),
            "Error executing SQL statement.\rError [19]: Abort due to contraint violation.\r"
            "\"insert into t(b) values ('x')\": UNIQUE constraint failed: t.b");
}

TEST_F(SQLiteDatabaseTest, OnlyTheFirstOfTwoStatementsRuns) {
  db.Execute("create table t(a); create table u(a)");
  auto tables = db.Query("select name from sqlite_master");
  EXPECT_EQ(tables.RowCount(), 1u);
  EXPECT_EQ(tables.TextAt(0), "t");
}

TEST_F(SQLiteDatabaseTest, EmptyResultHasNoColumns) {
  db.Execute("create table t(a)");
  auto table = db.Query("select a from t");
  EXPECT_EQ(table.RowCount(), 0u);
  EXPECT_TRUE(table.AtEnd());
  EXPECT_FALSE(table.Next());
  EXPECT_EQ(MessageOf([&] { table.ColumnIndex("a"); }), "Field a Not found. Empty dataset");
  EXPECT_EQ(MessageOf([&] { table.TextAt(0); }), "Table is at End of File");
}

TEST_F(SQLiteDatabaseTest, ColumnNamesIgnoreCase) {
  db.Execute("create table t(ListID INTEGER PRIMARY KEY, Comname TEXT)");
  db.Execute("insert into t(Comname) values ('a')");
  auto table = db.Query("select * from t");
  EXPECT_EQ(table.ColumnIndex("listid"), 0);
  EXPECT_EQ(table.ColumnIndex("COMNAME"), 1);
  EXPECT_EQ(MessageOf([&] { table.ColumnIndex("other"); }), "Field not found in dataset: other");
}

// The library reports its standard type names (integer, real, text, blob) in upper case
// whatever the declaration's case, so a lower-case numeric shows the exact comparison.
TEST_F(SQLiteDatabaseTest, KindsFollowDeclaredTypesExactly) {
  db.Execute(
      "create table t(i INTEGER, b BOOLEAN, n NUMERIC, r REAL, x BLOB, s TEXT, li numeric, "
      "v VARCHAR(10))");
  db.Execute("insert into t values (7, 1, 2.5, 5, x'0102', 'txt', 12, 'v')");
  auto table = db.Query("select * from t");
  EXPECT_EQ(table.ColumnKinds(), (std::vector<int>{1, 1, 2, 2, 4, 3, 3, 3}));
  EXPECT_EQ(table.TextAt(0), "7");
  EXPECT_EQ(table.TextAt(2), "2.5");
  EXPECT_EQ(table.TextAt(3), "5");
  EXPECT_EQ(table.TextAt(4), std::string("\x01\x02"));
  EXPECT_EQ(table.TextAt(6), "12");
  EXPECT_EQ(table.IntegerAt(2), 2);
  EXPECT_DOUBLE_EQ(table.FloatAt(0), 7.0);
  EXPECT_EQ(MessageOf([&] { table.IntegerAt(5); }), "Not an integer or numeric field");
  EXPECT_EQ(MessageOf([&] { table.FloatAt(6); }), "Not an integer or numeric field");
  EXPECT_EQ(MessageOf([&] { table.BlobAt(0); }), "Not a Blob field");
  EXPECT_EQ(MessageOf([&] { table.BlobTextAt(5); }), "Not a Blob field");
  EXPECT_EQ(table.BlobAt(4)->Bytes, std::string("\x01\x02"));
}

TEST_F(SQLiteDatabaseTest, ExpressionColumnsTakeTheFirstRowsKind) {
  db.Execute("create table t(a INTEGER)");
  db.Execute("insert into t values (3)");
  db.Execute("insert into t values (4)");
  auto counted = db.Query("select count(*) as c, max(a) as m, 1.5 as f from t");
  EXPECT_EQ(counted.ColumnKinds(), (std::vector<int>{1, 1, 2}));
  EXPECT_EQ(counted.TextAt(counted.ColumnIndex("c")), "2");
  EXPECT_EQ(counted.TextAt(1), "4");

  // A first-row NULL makes a null-kind column; its later values are kept as text but read
  // back as the empty string.
  auto nulls = db.Query("select case when a = 3 then null else 'x' end from t order by a");
  EXPECT_EQ(nulls.ColumnKinds(), (std::vector<int>{5}));
  nulls.Next();
  EXPECT_EQ(nulls.TextAt(0), "");
}

TEST_F(SQLiteDatabaseTest, NullCellsReadByKind) {
  db.Execute("create table t(n NUMERIC, s TEXT, x BLOB)");
  db.Execute("insert into t values (null, null, null)");
  db.Execute("insert into t values (1, 's', x'')");
  auto table = db.Query("select * from t");
  EXPECT_EQ(table.TextOrEmptyAt(0), "");
  EXPECT_EQ(table.TextAt(0), "0");
  EXPECT_EQ(table.TextAt(1), "");
  EXPECT_EQ(table.IntegerAt(1), 0);  // an empty cell reads as 0 whatever the kind
  EXPECT_EQ(table.BlobAt(2), nullptr);
  ASSERT_TRUE(table.Next());
  EXPECT_EQ(table.BlobAt(2), nullptr);  // a zero-byte blob is an empty cell
  EXPECT_TRUE(table.Next());            // steps past the last row
  EXPECT_TRUE(table.AtEnd());
  EXPECT_FALSE(table.Next());
  EXPECT_EQ(MessageOf([&] { table.TextAt(0); }), "Table is at End of File");
}

TEST_F(SQLiteDatabaseTest, TextStopsAtItsFirstZeroByte) {
  db.Execute("create table t(s TEXT)");
  db.Execute("insert into t values (cast(x'61006263' as text))");
  EXPECT_EQ(db.Query("select s from t").TextAt(0), "a");
}

TEST_F(SQLiteDatabaseTest, LockedDatabaseIsReportedAtOnce) {
  db.Execute("create table t(a)");
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(dir.File("t.db").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(
      sqlite3_exec(other, "begin exclusive; insert into t values (1)", nullptr, nullptr, nullptr),
      SQLITE_OK);
  EXPECT_EQ(MessageOf([&] { db.Query("select * from t"); }), "Could not prepare SQL statement");
  EXPECT_THAT(MessageOf([&] { db.Execute("insert into t values (2)"); }),
              StartsWith("Error executing SQL statement.\rError [5]: The database file is locked"));
  sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_EQ(db.Query("select count(*) from t").TextAt(0), "0");
}

TEST_F(SQLiteDatabaseTest, CorruptFileIsNotADatabase) {
  std::string file = dir.File("corrupt.db");
  test::WriteFileBytes(file, std::string(4096, 'z'));
  TSQLiteDatabase corrupt(file, 0);
  EXPECT_THAT(MessageOf([&] { corrupt.Query("select * from sqlite_master"); }),
              HasSubstr("Error [26]: File opened that is not a database file."));
}

TEST(ResultCodeTextTest, NamesKnownAndUnknownCodes) {
  EXPECT_EQ(ResultCodeText(0), "Successful result");
  EXPECT_EQ(ResultCodeText(26), "File opened that is not a database file");
  EXPECT_EQ(ResultCodeText(101), "sqlite3_step() has finished executing");
  EXPECT_EQ(ResultCodeText(27), "Unknown SQLite Error Code \"27\"");
  EXPECT_EQ(ResultCodeText(-1), "Unknown SQLite Error Code \"-1\"");
}

}  // namespace
}  // namespace zoqa
