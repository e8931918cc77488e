// zoqa-cli's store commands, run as a separate process on a program directory of their own.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "harvest/companyinfo.h"
#include "platform/appdir.h"
#include "store/keylist.h"
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
        TComPanyInfo company;
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

  QJsonArray keys = JsonOf(Run({"list", "--json"}));
  ASSERT_EQ(keys.size(), 2);
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
  EXPECT_EQ(JsonOf(Run({"list", "--json"})).size(), 1);
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
