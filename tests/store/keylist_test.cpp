// The keyword and result store: keywords, companies, pages and the schema, through restarts.
#include "store/keylist.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "store/sqliteexception.h"
#include "storefixture.h"

namespace zoqa {
namespace {

using test::Company;
using ::testing::ElementsAre;

class KeyListTest : public ::testing::Test, public test::StoreFixture {};

TEST_F(KeyListTest, ProvisionedFileHasEveryColumnAndTheIndexes) {
  Open();
  std::string keys = Single("select sql from sqlite_master where name='tbl_key'");
  std::string list = Single("select sql from sqlite_master where name='tbl_list'");
  for (const char* column :
       {"KeyStr", "listcount", "lastpage", "sglastpage", "s360lastpage", "adddate"}) {
    EXPECT_THAT(keys, ::testing::HasSubstr(column));
  }
  for (const char* column : {"ComName", "Addr", "weburl", "EMail", "Tel", "mob", "qq", "source",
                             "ispay", "renzheng", "stat", "keyid"}) {
    EXPECT_THAT(list, ::testing::HasSubstr(column));
  }
  for (const char* indexed : {"(ComName)", "(keyid)"}) {
    EXPECT_EQ(Single(std::string("select count(*) from sqlite_master where type='index' and "
                                 "tbl_name='tbl_list' and sql like '%") +
                     indexed + "'"),
              "1")
        << indexed;
  }
}

TEST_F(KeyListTest, OldTablesGetTheMigratedColumnsInOrder) {
  std::filesystem::create_directory(dir.File("Data"));
  {
    TSQLiteDatabase db(DataFile(), 0);
    db.Execute(
        "create table tbl_key(ID integer primary key, KeyStr varchar(100), "
        "listcount int, lastpage int)");
    db.Execute(
        "create table tbl_list(ListID integer primary key, ComName varchar(200), "
        "Addr text, weburl text, EMail text, Tel text, mob text, stat int, keyid int)");
    db.Execute("insert into tbl_key(KeyStr, listcount, lastpage) values ('old', 1, 4)");
    db.Execute("insert into tbl_list(ComName, mob, keyid) values ('Old Co', '139|138', 1)");
  }
  TKeyListInfo& store = Open();
  EXPECT_THAT(Single("select sql from sqlite_master where name='tbl_key'"),
              ::testing::EndsWith("lastpage int, sglastpage NUMERIC, s360lastpage NUMERIC, "
                                  "adddate NUMERIC)"));
  EXPECT_THAT(Single("select sql from sqlite_master where name='tbl_list'"),
              ::testing::EndsWith("keyid int, source TEXT, ispay NUMERIC, renzheng NUMERIC, "
                                  "qq TEXT)"));
  TKeyData* key = store.FindKey("OLD");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->LastPage, 4);
  EXPECT_EQ(key->SgLastPage, 0);
  const auto companies = Load("old");
  ASSERT_EQ(companies.Count(), 1u);
  EXPECT_THAT(companies.At(0).Mobiles, ElementsAre("139", "138"));
  EXPECT_TRUE(companies.At(0).QQs.empty());  // NULL qq

  // A second check adds nothing.
  std::string before = Single("select group_concat(sql) from sqlite_master");
  store.CheckSchema();
  EXPECT_EQ(Single("select group_concat(sql) from sqlite_master"), before);
}

TEST_F(KeyListTest, FileWithoutTablesIsLeftAloneAndReported) {
  std::filesystem::create_directory(dir.File("Data"));
  { TSQLiteDatabase db(DataFile(), 0); }
  ProvisionStoreFile();
  store = std::make_unique<TKeyListInfo>();
  try {
    store->LoadKeys();
    FAIL() << "LoadKeys raised nothing";
  } catch (const ESQLiteException& e) {
    EXPECT_STREQ(e.what(),
                 "Error executing SQL.\rError [1]: SQL error or missing database.\r"
                 "\"select * from tbl_key order by id asc\": no such table: tbl_key");
  }
  EXPECT_EQ(Single("select count(*) from sqlite_master where type='table'"), "0");
  store.reset();
  EXPECT_EQ(std::filesystem::file_size(DataFile()), 0u);
}

TEST_F(KeyListTest, MissingDataDirectoryFailsToOpen) {
  try {
    TKeyListInfo store;
    FAIL() << "opened without a Data directory";
  } catch (const ESQLiteException& e) {
    EXPECT_EQ(std::string(e.what()),
              "Failed to open database \"" + DataFile() + "\" : unable to open database file");
  }
}

TEST_F(KeyListTest, AddKeyFindsOrCreatesIgnoringCase) {
  TKeyListInfo& store = Open();
  EXPECT_EQ(store.AddKey(""), nullptr);
  TKeyData* key = store.AddKey(Cp936("广州 Ａbc电子"));
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(keysAdded, 1);
  EXPECT_NE(key->Id, "0");
  EXPECT_GT(key->AddDate, 1600000000);
  EXPECT_EQ(store.AddKey(Cp936("广州 ａBC电子")), key);  // full-width and ASCII letters fold
  EXPECT_EQ(keysAdded, 1);
  EXPECT_EQ(Single("select count(*) from tbl_key"), "1");
  EXPECT_EQ(store.LookupKeyId(Cp936("广州 Ａbc电子")), key->Id);
  EXPECT_EQ(store.LookupKeyId("absent"), "0");
}

TEST_F(KeyListTest, AwkwardKeywordsAndNamesRoundTrip) {
  const std::vector<std::string> keywords = {"it's", "100%", "a\\b", "_x_",
                                             Cp936("上海 网络公司'")};
  {
    TKeyListInfo& store = Open();
    int n = 0;
    for (const auto& keyword : keywords) {
      ASSERT_NE(store.AddKey(keyword), nullptr);
      store.AddCompany(keyword, Company("O'Brien " + std::to_string(++n) + "% \\ 公司", "1390"));
    }
    EXPECT_EQ(companiesAdded, 5);
    store.SaveLastPageByKeyword("it's", 9, egSogou);
  }
  TKeyListInfo& store = Open();
  ASSERT_EQ(store.Keys().size(), keywords.size());
  for (std::size_t i = 0; i < keywords.size(); ++i) {
    EXPECT_EQ(store.Keys()[i]->KeyStr, keywords[i]);
    const auto companies = Load(keywords[i]);
    ASSERT_EQ(companies.Count(), 1u);
    EXPECT_EQ(companies.At(0).GetName(), Cp936("O'Brien " + std::to_string(i + 1) + "% \\ 公司"));
  }
  EXPECT_EQ(store.FindKey("it's")->SgLastPage, 9);
  store.DeleteKey("100%");
  store.DeleteKey(Cp936("上海 网络公司'"));
  EXPECT_EQ(Single("select count(*) from tbl_key"), "3");
  EXPECT_EQ(Single("select count(*) from tbl_list"), "3");
  EXPECT_EQ(Open().Keys().size(), 3u);
}

TEST_F(KeyListTest, CompaniesNeedAMobileAndANewName) {
  TKeyListInfo& store = Open();
  store.AddKey("a");
  store.AddKey("b");
  TCompany noMobile = Company("First", "");
  noMobile.AddTel("020-1");
  store.AddCompany("a", noMobile);
  store.AddCompany("absent", Company("First", "1391"));
  EXPECT_EQ(companiesAdded, 0);

  store.AddCompany("a", Company("First", "1391"));
  store.AddCompany("b", Company("First", "1392"));  // stored under another keyword already
  store.AddCompany("a", Company("", "1393"));       // stored as " "
  store.AddCompany("b", Company("", "1394"));       // every later nameless one is a duplicate
  EXPECT_EQ(companiesAdded, 2);
  EXPECT_EQ(Single("select count(*) from tbl_list where ComName=' '"), "1");
  EXPECT_EQ(store.FindKey("a")->ListCount, 2);
  EXPECT_EQ(store.FindKey("b")->ListCount, 0);
  EXPECT_EQ(store.TotalListCount(), 2);
}

TEST_F(KeyListTest, AddedCompanyIsCopiedStoredAndAnnounced) {
  TKeyListInfo& store = Open();
  TKeyData* key = store.AddKey("k");
  std::optional<TCompany> announced;
  std::string announcedKeyword;
  store.OnCompanyAdded = [&](TKeyListInfo&, const std::string& keyword, const TCompany& c) {
    announced = c;
    announcedKeyword = keyword;
  };
  TCompany company = Company("<b>Acme</B> Ltd", "13900000001");
  company.AddMobile("13900000002");
  company.AddQQ("12345");
  company.AddEmail("a@b.cn");
  company.Addr = Cp936("广州市");
  company.WebUrl = "http://acme.cn/";
  company.Source = Cp936("百度");
  company.IsPay = 1;
  company.RenZheng = 1;
  store.AddCompany("k", company);
  ASSERT_TRUE(announced.has_value());
  EXPECT_EQ(announcedKeyword, "k");
  EXPECT_EQ(announced->GetName(), "Acme Ltd");
  EXPECT_EQ(Single("select ListID from tbl_list"), announced->ListId);
  EXPECT_EQ(Single("select mob from tbl_list"), "13900000001\r\n13900000002\r\n");
  EXPECT_EQ(Single("select source||ispay||renzheng||stat||keyid from tbl_list"),
            "百度110" + key->Id);
  EXPECT_EQ(Single("select listcount from tbl_key"), "1");

  // The duplicate test sees the name with its markup; stored without it.
  store.AddCompany("k", Company("Acme Ltd", "1"));
  EXPECT_EQ(Load("k").Count(), 1u);
}

TEST_F(KeyListTest, FourthIdlePageReportStopsUntilANewCompany) {
  TKeyListInfo& store = Open();
  TKeyData* key = store.AddKey("k");
  EXPECT_FALSE(store.SetLastPage("absent", 1, egBaidu));
  EXPECT_TRUE(store.SetLastPage("k", 1, egBaidu));
  EXPECT_TRUE(store.SetLastPage("k", 2, egSogou));
  EXPECT_TRUE(store.SetLastPage("k", 3, eg360));
  EXPECT_FALSE(store.SetLastPage("k", 4, egBaidu));
  EXPECT_EQ(key->LastPage, 1);
  EXPECT_EQ(Single("select lastpage||sglastpage||s360lastpage from tbl_key"), "123");
  store.AddCompany("k", Company("New", "1"));
  EXPECT_TRUE(store.SetLastPage("k", 5, egBaidu));
  EXPECT_EQ(Single("select lastpage from tbl_key"), "5");

  store.SaveLastPageByKeyword("K", 7, egBaidu);  // the database compares exactly
  store.SaveLastPageByKeyword("k", 8, eg360);
  EXPECT_EQ(Single("select lastpage||s360lastpage from tbl_key"), "58");
  EXPECT_EQ(key->S360LastPage, 3);
}

TEST_F(KeyListTest, DeletedCompanyLeavesTheStoredCountUntilTheNextOne) {
  {
    TKeyListInfo& store = Open();
    store.AddKey("k");
    store.AddCompany("k", Company("One", "1"));
    store.AddCompany("k", Company("Two", "2"));
    TKeyData* key = store.FindKey("k");
    std::string first = Single("select min(ListID) from tbl_list");
    store.DeleteCompany("k", "1 or 1=1");  // not a list id: nothing happens
    EXPECT_EQ(Single("select count(*) from tbl_list"), "2");
    store.DeleteCompany("k", first);
    EXPECT_EQ(key->ListCount, 1);
    EXPECT_EQ(Single("select count(*) from tbl_list"), "1");
  }
  TKeyListInfo& store = Open();
  EXPECT_EQ(store.FindKey("k")->ListCount, 2);
  EXPECT_EQ(Load("k").Count(), 1u);
  store.AddCompany("k", Company("Three", "3"));
  EXPECT_EQ(store.FindKey("k")->ListCount, 2);
}

TEST_F(KeyListTest, ClearAllEmptiesTheKeywordList) {
  TKeyListInfo& store = Open();
  store.ClearAll();
  store.AddKey("a");
  store.AddKey("b");
  store.AddCompany("b", Company("B", "1"));
  store.ClearAll();
  EXPECT_TRUE(store.Keys().empty());
  EXPECT_EQ(Single("select count(*) from tbl_key"), "0");
  EXPECT_EQ(Single("select count(*) from tbl_list"), "0");
}

TEST_F(KeyListTest, StripTagsRemovesMarkupOnly) {
  TKeyListInfo& store = Open();
  EXPECT_EQ(store.StripTags(Cp936("<EM>广州</em>公司 a>b")), Cp936("广州公司 a>b"));
  EXPECT_EQ(store.StripTags("no tags"), "no tags");
  EXPECT_EQ(store.StripTags("a < b"), "a < b");
}

}  // namespace
}  // namespace zoqa
