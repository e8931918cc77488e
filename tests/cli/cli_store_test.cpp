// zoqa-cli's store commands, run as a separate process on a program directory of their own.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "harvest/report/company.h"
#include "platform/appdir.h"
#include "store/keylist.h"
#include "store/sqlitedatabase.h"
#include "store/storefile.h"
#include "support/testsupport.h"
#include "util/codepage.h"

namespace zoqa {
namespace {

using ::testing::HasSubstr;

class CliStoreTest : public ::testing::Test {
 protected:
  test::CliResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--home", home.Path()});
    return test::RunCli(args);
  }

  QJsonArray JsonOf(const test::CliResult& result) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(result.out)).array();
  }

  // Stores companies under a keyword with the store itself, as a search would.
  void Harvest(const std::string& keywordUtf8, int count) {
    SetAppDirOverride(home.Path());
    ProvisionStoreFile();
    {
      TKeyListInfo store;
      store.LoadKeys();
      std::string keyword = Cp936(keywordUtf8);
      store.AddKey(keyword);
      for (int i = 1; i <= count; ++i) {
        TCompany company;
        company.SetName(Cp936("公司" + std::to_string(i)));
        company.AddMobile("1390000000" + std::to_string(i));
        company.AddQQ(std::to_string(1000 + i));
        company.WebUrl = "http://c" + std::to_string(i) + ".cn/";
        company.Source = Cp936("搜狗");
        store.AddCompany(keyword, company);
      }
    }
    SetAppDirOverride("");
  }

  // Runs `statements` on the program directory's database file, creating it when missing.
  void OnDataFile(const std::vector<std::string>& statements) {
    std::filesystem::create_directories(home.File("Data"));
    TSQLiteDatabase db(home.File("Data/users"), 0);
    for (const std::string& sql : statements) db.Execute(sql);
  }

  test::TempDir home;
};

TEST_F(CliStoreTest, KeywordsAreAddedListedAndDeleted) {
  auto first = Run({"add", "广州 电子公司"});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_EQ(first.out, "1\n");
  EXPECT_TRUE(std::filesystem::exists(home.File("Data/users")));
  EXPECT_EQ(Run({"add", "it's 100% \\"}).out, "2\n");
  EXPECT_EQ(Run({"add", "广州 电子公司"}).out, "1\n");
  EXPECT_EQ(Run({"add", "IT'S 100% \\"}).out, "2\n");
  // 38 Chinese characters are 76 bytes, the longest keyword the engines take.
  std::string longest;
  for (int i = 0; i < 38; ++i) longest += "广";
  EXPECT_EQ(Run({"add", longest}).out, "3\n");
  auto tooLong = Run({"add", longest + "a"});
  EXPECT_EQ(tooLong.exitCode, 2);
  EXPECT_THAT(tooLong.err, HasSubstr("longer than 76 bytes"));

  QJsonArray keys = JsonOf(Run({"list", "--json"}));
  ASSERT_EQ(keys.size(), 3);
  QJsonObject key = keys[0].toObject();
  EXPECT_EQ(key["keyword"].toString().toStdString(), "广州 电子公司");
  EXPECT_EQ(key["id"].toInt(), 1);
  EXPECT_EQ(key["count"].toInt(), 0);
  EXPECT_EQ(key["lastPage"].toInt(), 0);
  EXPECT_TRUE(key.contains("sgLastPage") && key.contains("s360LastPage"));
  EXPECT_EQ(key["date"].toString().size(), 19);
  EXPECT_THAT(Run({"list"}).out, HasSubstr("2\tit's 100% \\\t0\t"));

  EXPECT_EQ(Run({"delete", "it's 100% \\"}).exitCode, 0);
  EXPECT_NE(Run({"delete", "it's 100% \\"}).exitCode, 0);
  EXPECT_EQ(JsonOf(Run({"list", "--json"})).size(), 2);
  EXPECT_EQ(Run({"clear"}).exitCode, 0);
  EXPECT_EQ(Run({"list"}).out, "");
}

TEST_F(CliStoreTest, CompaniesComeFromTheLoader) {
  Harvest("上海 网络公司", 2);
  auto result = Run({"companies", "上海 网络公司", "--json"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  QJsonArray companies = JsonOf(result);
  ASSERT_EQ(companies.size(), 2);
  QJsonObject c = companies[1].toObject();
  EXPECT_EQ(c["name"].toString().toStdString(), "公司2");
  EXPECT_EQ(c["mobiles"].toArray().at(0).toString().toStdString(), "13900000002");
  EXPECT_EQ(c["qqs"].toArray().at(0).toString().toStdString(), "1002");
  EXPECT_TRUE(c["tels"].toArray().isEmpty());
  EXPECT_EQ(c["url"].toString().toStdString(), "http://c2.cn/");
  EXPECT_EQ(c["source"].toString().toStdString(), "搜狗");
  EXPECT_EQ(c["isPay"].toInt(), 0);
  EXPECT_GT(c["listId"].toInt(), companies[0].toObject()["listId"].toInt());
  EXPECT_THAT(Run({"companies", "上海 网络公司"}).out, HasSubstr("\t公司1\t13900000001\t"));
  EXPECT_EQ(Run({"companies", "nowhere"}).exitCode, 1);
}

TEST_F(CliStoreTest, ExportWritesTextOrSpreadsheet) {
  Harvest("k", 2);
  std::string text = home.File("out.txt");
  auto result = Run({"export", "k", text});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(test::ReadFileBytes(text),
            Cp936("公司名,手机,QQ,邮箱,网址\r\n公司1,13900000001,1001,,http://c1.cn/\r\n"
                  "公司2,13900000002,1002,,http://c2.cn/\r\n"));
  ASSERT_EQ(Run({"export", "k", text, "--fields", "mobile"}).exitCode, 0);
  EXPECT_EQ(test::ReadFileBytes(text), "13900000001\r\n13900000002\r\n");

  std::string sheet = home.File("out.xls");
  ASSERT_EQ(Run({"export", "k", sheet, "--format", "xls", "--fields", "name,qq"}).exitCode, 0);
  EXPECT_EQ(test::ReadFileBytes(sheet).substr(0, 4), std::string("\x09\x08\x08\x00", 4));
  std::string book = home.File("out.xlsx");
  ASSERT_EQ(Run({"export", "k", book, "--format", "xlsx"}).exitCode, 0);
  EXPECT_EQ(test::ReadFileBytes(book).substr(0, 4), "PK\x03\x04");
}

TEST_F(CliStoreTest, FailedExportsAndBadArguments) {
  Run({"add", "empty"});
  std::string file = home.File("out.txt");
  auto empty = Run({"export", "empty", file});
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_EQ(empty.err, "数据导出失败！\n");
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(Run({"export", "absent", file}).exitCode, 1);

  EXPECT_EQ(Run({"export", "empty", file, "--fields", "fax"}).exitCode, 2);
  EXPECT_EQ(Run({"export", "empty", file, "--format", "pdf"}).exitCode, 2);
  EXPECT_EQ(Run({"add"}).exitCode, 2);
  EXPECT_EQ(Run({"add", ""}).exitCode, 2);
  EXPECT_EQ(Run({"add", "a", "b"}).exitCode, 2);
  EXPECT_EQ(Run({"clear", "now"}).exitCode, 2);
}

TEST_F(CliStoreTest, KeywordsTheCodePageCannotHoldAreRefused) {
  for (const char* keyword : {"\xF0\x9F\x98\x80"
                              "abc",
                              "\xE2\x9C\x93"
                              "abc"}) {
    auto refused = Run({"add", keyword});
    EXPECT_EQ(refused.exitCode, 2) << keyword;
    EXPECT_THAT(refused.err, HasSubstr(std::string(keyword).substr(0, 3)));
    EXPECT_EQ(refused.out, "");
  }
  EXPECT_EQ(Run({"list"}).out, "");  // nothing was stored
  EXPECT_EQ(Run({"add", "?abc"}).out, "1\n");
  EXPECT_EQ(Run({"add", "·abc"}).out, "2\n");
  EXPECT_EQ(Run({"delete",
                 "\xE2\x9C\x93"
                 "abc"})
                .exitCode,
            2);
  EXPECT_EQ(JsonOf(Run({"list", "--json"})).size(), 2);
}

TEST_F(CliStoreTest, RowsWithoutIdsOfAnOlderFileArePrintedAsNull) {
  OnDataFile({"create table tbl_key(ID int, KeyStr varchar(100), listcount int, lastpage int)",
              "create table tbl_list(ListID int, ComName varchar(200), Addr text, weburl text, "
              "EMail text, Tel text, mob text, stat int, keyid int)",
              "insert into tbl_key values (1, 'with id', 1, 0)",
              "insert into tbl_key values (NULL, 'without id', 0, 0)",
              "insert into tbl_list(ListID, ComName, mob, keyid) values (NULL, 'Co', '139', 1)"});
  auto list = Run({"list", "--json"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  QJsonArray keys = JsonOf(list);
  ASSERT_EQ(keys.size(), 2);
  // Ordered by id, the row without one first.
  EXPECT_TRUE(keys[0].toObject()["id"].isNull());
  EXPECT_EQ(keys[0].toObject()["keyword"].toString().toStdString(), "without id");
  EXPECT_EQ(keys[1].toObject()["id"].toInt(), 1);

  auto companies = Run({"companies", "with id", "--json"});
  ASSERT_EQ(companies.exitCode, 0) << companies.err;
  ASSERT_EQ(JsonOf(companies).size(), 1);
  EXPECT_TRUE(JsonOf(companies)[0].toObject()["listId"].isNull());
}

TEST_F(CliStoreTest, DeletesThatLeaveTheKeywordAreReported) {
  Run({"add", "kept"});
  Run({"add", "other"});
  OnDataFile({"create trigger keep before delete on tbl_key begin select raise(ignore); end"});
  auto deleted = Run({"delete", "kept"});
  EXPECT_EQ(deleted.exitCode, 1);
  EXPECT_THAT(deleted.err, HasSubstr("kept"));
  auto cleared = Run({"clear"});
  EXPECT_EQ(cleared.exitCode, 1);
  EXPECT_THAT(cleared.err, HasSubstr("2 keyword"));
  EXPECT_EQ(JsonOf(Run({"list", "--json"})).size(), 2);

  OnDataFile({"drop trigger keep"});
  EXPECT_EQ(Run({"delete", "kept"}).exitCode, 0);
  EXPECT_EQ(Run({"clear"}).exitCode, 0);
  EXPECT_EQ(Run({"list"}).out, "");
}

TEST_F(CliStoreTest, ExportWithoutFieldsIsAUsageError) {
  Harvest("k", 1);
  for (const char* format : {"txt", "xls", "xlsx"}) {
    std::string file = home.File(std::string("none.") + format);
    auto result = Run({"export", "k", file, "--fields", "", "--format", format});
    EXPECT_EQ(result.exitCode, 2) << format;
    EXPECT_THAT(result.err, HasSubstr("no field"));
    EXPECT_FALSE(std::filesystem::exists(file));
  }
  EXPECT_EQ(Run({"export", "k", home.File("x"), "--fields", ",,"}).exitCode, 2);
}

TEST_F(CliStoreTest, UnknownCommandsAreNamedAndEveryErrorEndsItsLine) {
  auto unknown = Run({"frobnicate"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_EQ(unknown.err.substr(0, 28), "unknown command: frobnicate\n");
  EXPECT_THAT(unknown.err, HasSubstr("usage:"));

  Run({"add", "empty"});
  for (const std::vector<std::string>& args : {std::vector<std::string>{"companies", "absent"},
                                               {"delete", "absent"},
                                               {"export", "empty", home.File("out.txt")},
                                               {"add", "\xE2\x9C\x93"},
                                               {"list", "--bogus"}}) {
    auto result = Run(args);
    EXPECT_NE(result.exitCode, 0) << args[0];
    ASSERT_FALSE(result.err.empty()) << args[0];
    EXPECT_EQ(result.err.back(), '\n') << args[0];
    EXPECT_EQ(result.err.find("\n\n"), std::string::npos) << args[0];
  }
}

TEST_F(CliStoreTest, DataFileWithoutTablesIsReported) {
  std::filesystem::create_directory(home.File("Data"));
  test::WriteFileBytes(home.File("Data/users"), "");
  auto result = Run({"list"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_THAT(result.err, HasSubstr("no such table: tbl_key"));
  EXPECT_EQ(test::ReadFileBytes(home.File("Data/users")), "");
}

}  // namespace
}  // namespace zoqa
