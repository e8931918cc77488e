// The record builder: statement texts built from fields, and writes that never raise.
#include "store/datamanager.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/appdir.h"
#include "store/sqliteexception.h"
#include "support/testsupport.h"

namespace zoqa {
namespace {

class DataManagerTest : public ::testing::Test {
 protected:
  DataManagerTest() {
    SetAppDirOverride(dir.Path());
    std::filesystem::create_directory(dir.File("Data"));
    manager = std::make_unique<TDataManager>("users", 0);
    manager->ExecStatement(
        "create table tbl_key(ID INTEGER PRIMARY KEY, KeyStr TEXT, listcount INTEGER, "
        "adddate NUMERIC)");
  }
  ~DataManagerTest() override { SetAppDirOverride(""); }

  std::string Single(const std::string& sql) {
    manager->Reset();
    manager->SqlText = sql;
    auto table = manager->OpenQuery();
    return table->RowCount() ? table->TextOrEmptyAt(0) : "(no row)";
  }

  test::TempDir dir;
  std::unique_ptr<TDataManager> manager;
};

TEST_F(DataManagerTest, OpensUsersInTheDataDirectory) {
  EXPECT_EQ(manager->FileName(), dir.Path() + "/Data/users");
  EXPECT_TRUE(std::filesystem::exists(dir.File("Data/users")));
}

TEST_F(DataManagerTest, InsertAndUpdateWriteLiteralsInFieldOrder) {
  manager->Reset();
  manager->AddText("KeyStr", "it's 100% \\ 广州");
  manager->AddInteger(" listcount ", -3);
  manager->AddText("   ", "skipped");
  manager->InsertInto("tbl_key");
  EXPECT_EQ(manager->SqlText,
            "insert into tbl_key(KeyStr,listcount) values ('it''s 100% \\ 广州',-3)");
  EXPECT_EQ(Single("select KeyStr from tbl_key"), "it's 100% \\ 广州");

  manager->Reset();
  manager->SetWhere("ID=1");
  manager->SetWhere("   ");  // keeps the condition
  manager->AddInteger("listcount", 3);
  manager->AddFloat("adddate", 1700000000.0);
  manager->AddText("KeyStr", "a'b");
  manager->UpdateTable("tbl_key");
  EXPECT_EQ(manager->SqlText,
            "update tbl_key set listcount=3,adddate=1700000000,KeyStr='a''b' where ID=1");
  EXPECT_EQ(Single("select adddate||'/'||KeyStr from tbl_key"), "1700000000/a'b");
}

TEST_F(DataManagerTest, FieldAddedTwiceOccursTwice) {
  manager->Reset();
  manager->AddInteger("listcount", 1);
  manager->AddInteger("listcount", 2);
  manager->UpdateTable("tbl_key");
  EXPECT_EQ(manager->SqlText, "update tbl_key set listcount=1,listcount=2");
}

TEST_F(DataManagerTest, FloatsUseShortestFormWithPointWhateverTheLocale) {
  manager->Reset();
  manager->AddFloat("a", 2.5);
  manager->AddFloat("b", 0.1 + 0.2);
  manager->AddFloat("c", -1e20);
  EXPECT_EQ(manager->Fields()[0].Value, "2.5");
  EXPECT_EQ(manager->Fields()[1].Value, "0.3");
  EXPECT_EQ(manager->Fields()[2].Value, "-1e+20");
}

TEST_F(DataManagerTest, FailedWritesAreDroppedQuietly) {
  manager->Reset();
  manager->InsertInto("tbl_key");  // no fields
  manager->UpdateTable("tbl_key");
  manager->AddText("x", "1");
  manager->InsertInto("tbl_missing");
  EXPECT_FALSE(manager->ExecStatement("not sql"));
  EXPECT_TRUE(manager->ExecStatement("insert into tbl_key(KeyStr) values ('k')"));
  EXPECT_EQ(Single("select count(*) from tbl_key"), "1");
}

TEST_F(DataManagerTest, DeleteWithoutConditionEmptiesTheTable) {
  manager->ExecStatement("insert into tbl_key(KeyStr) values ('a')");
  manager->ExecStatement("insert into tbl_key(KeyStr) values ('b')");
  manager->Reset();
  manager->SetWhere("KeyStr='a'");
  manager->DeleteFrom("tbl_key");
  EXPECT_EQ(manager->SqlText, "delete from tbl_key where KeyStr='a'");
  EXPECT_EQ(Single("select count(*) from tbl_key"), "1");
  manager->Reset();
  manager->DeleteFrom("tbl_key");
  EXPECT_EQ(Single("select count(*) from tbl_key"), "0");
}

TEST_F(DataManagerTest, QueriesRaiseAndAnEmptyQueryGivesNone) {
  manager->Reset();
  EXPECT_EQ(manager->OpenQuery(), nullptr);
  manager->SqlText = "select * from tbl_missing";
  EXPECT_THROW(manager->OpenQuery(), ESQLiteException);
}

}  // namespace
}  // namespace zoqa
