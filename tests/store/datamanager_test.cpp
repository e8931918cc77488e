// The record builder: statement texts built from fields, and writes that never raise.
#include "store/datamanager.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <locale>
#include <sstream>

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

// Makes the decimal separator a comma for the C++ streams and, where such a locale is
// installed, for the C library too; restores both when it goes.
class CommaDecimalLocale {
 public:
  CommaDecimalLocale()
      : saved_(std::locale::global(std::locale(std::locale::classic(), new CommaPunct))),
        savedC_(std::setlocale(LC_NUMERIC, nullptr)) {
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8", "de_DE", "fr_FR"}) {
      if (std::setlocale(LC_NUMERIC, name) != nullptr) break;
    }
  }
  ~CommaDecimalLocale() {
    std::locale::global(saved_);
    std::setlocale(LC_NUMERIC, savedC_.c_str());
  }

 private:
  struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
  };
  std::locale saved_;
  std::string savedC_;
};

TEST_F(DataManagerTest, FloatsUseShortestFormWithPointWhateverTheLocale) {
  CommaDecimalLocale comma;
  std::ostringstream probe;
  probe << 2.5;
  ASSERT_EQ(probe.str(), "2,5");  // the locale is in force for stream formatting
  manager->Reset();
  manager->AddFloat("a", 2.5);
  manager->AddFloat("b", 0.1 + 0.2);
  manager->AddFloat("c", -1e20);
  EXPECT_EQ(manager->Fields()[0].Value, "2.5");
  EXPECT_EQ(manager->Fields()[1].Value, "0.3");
  EXPECT_EQ(manager->Fields()[2].Value, "-1e+20");
  manager->Reset();
  manager->AddFloat("adddate", 2.5);
  manager->InsertInto("tbl_key");
  EXPECT_EQ(Single("select typeof(adddate) || ' ' || (adddate * 2) from tbl_key"), "real 5.0");
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
