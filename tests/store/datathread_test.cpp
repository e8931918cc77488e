// The background loader: row conversion, the hand-over to the main thread, and store work
// that happens while a load runs.
#include "store/datathread.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "store/storedtext.h"
#include "storefixture.h"

namespace zoqa {
namespace {

using test::Company;
using ::testing::ElementsAre;

class DataThreadTest : public ::testing::Test, public test::StoreFixture {
 protected:
  // Stores `count` companies named Co1, Co2, ... under the keyword in one statement.
  void Fill(TKeyData& key, int count) {
    store->Manager().Database().Execute(
        "insert into tbl_list(ComName, mob, keyid) with recursive n(i) as (select 1 union all "
        "select i + 1 from n where i < " +
        std::to_string(count) + ") select 'Co' || i, '139' || i || char(13, 10), " + key.Id +
        " from n");
  }
};

TEST(StoredTextTest, ListsSplitOnBarsAndLineBreaks) {
  EXPECT_THAT(SplitStoredList("0201|0202"), ElementsAre("0201", "0202"));
  EXPECT_THAT(SplitStoredList("0201\r\n0202\r\n"), ElementsAre("0201", "0202"));
  EXPECT_THAT(SplitStoredList(" a\rb\nc\r\n\r\nd \t"), ElementsAre("a", "b", "c", "", "d"));
  EXPECT_TRUE(SplitStoredList("").empty());
  EXPECT_THAT(SplitStoredList("号码|电话"), ElementsAre(Cp936("号码"), Cp936("电话")));
  EXPECT_EQ(JoinStoredList({"1", Cp936("二")}), "1\r\n二\r\n");
  EXPECT_EQ(ParseStoredInt32("12"), 12);
  EXPECT_EQ(ParseStoredInt32("-3"), -3);
  for (const char* bad : {"", "1.5", "x", "99999999999", " 1"}) {
    EXPECT_EQ(ParseStoredInt32(bad), 0) << bad;
  }
}

TEST(StoredTextTest, BadStoredBytesBecomeQuestionMarks) {
  EXPECT_EQ(DecodeStored("a\xff"
                         "b"),
            "a?b");
  EXPECT_EQ(DecodeStored("广州"), Cp936("广州"));
  EXPECT_EQ(DecodeStored("\xf0\x9f\x98\x80"), "?");  // not in the code page
  EXPECT_EQ(EncodeStored(std::string("a\0b", 3)), "ab");
}

TEST_F(DataThreadTest, RowsBecomeRecords) {
  TKeyData* key = Open().AddKey("k");
  store->Manager().Database().Execute(
      "insert into tbl_list(ComName, Addr, weburl, EMail, Tel, mob, qq, source, ispay, renzheng,"
      " keyid) values ('联系我们-广州,公司', cast(x'41ff42' as text), 'http://x.cn', "
      "'a@b.cn|c@d.cn', '020-1' || char(13,10) || '020-2' || char(13,10), ' 139 ', null, "
      "'百度', '1', 'yes', " +
      key->Id + ")");
  Open();
  const TCompanyList& companies = Load("K");
  EXPECT_EQ(lastLoaded, "k");  // the stored keyword
  ASSERT_EQ(companies.Count(), 1u);
  const TCompany& c = companies.At(0);
  EXPECT_EQ(c.GetName(), Cp936("广州 公司"));  // cleaned again
  EXPECT_EQ(c.Addr, "A?B");
  EXPECT_THAT(c.Emails, ElementsAre("a@b.cn", "c@d.cn"));
  EXPECT_THAT(c.Tels, ElementsAre("020-1", "020-2"));
  EXPECT_THAT(c.Mobiles, ElementsAre("139"));
  EXPECT_TRUE(c.QQs.empty());
  EXPECT_EQ(c.Source, Cp936("百度"));
  EXPECT_EQ(c.IsPay, 1);
  EXPECT_EQ(c.RenZheng, 0);
  EXPECT_EQ(companies.KeyAt(0), c.ListId);
}

TEST_F(DataThreadTest, PendingActionWaitsForTheHandOver) {
  TKeyListInfo& store = Open();
  TKeyData* key = store.AddKey("k");
  Fill(*key, 3);
  EXPECT_EQ(store.RequestLoaded("absent", paStart), nullptr);
  EXPECT_EQ(store.RequestLoaded("k", paExport), nullptr);
  EXPECT_TRUE(key->Loaded);
  EXPECT_TRUE(key->Loading());
  EXPECT_EQ(store.RequestLoaded("k", paStart), nullptr);  // still loading: waits too
  EXPECT_EQ(store.RequestLoaded("k", paStop), key);       // stopping needs no companies
  EXPECT_EQ(key->PendingAction, paNone);                  // and cancels the waiting start
  EXPECT_EQ(store.RequestLoaded("k", paExport), nullptr);
  ASSERT_TRUE(test::SpinUntil([&] { return loads == 1; }));
  EXPECT_EQ(key->Companies.Count(), 3u);
  EXPECT_EQ(store.TakePendingAction("k"), paExport);
  EXPECT_EQ(store.TakePendingAction("k"), paNone);
  EXPECT_EQ(store.RequestLoaded("k", paExport), key);
  EXPECT_EQ(key->PendingAction, paNone);

  // Companies in memory: the event fires at once.
  store.LoadCompanies("k");
  EXPECT_EQ(loads, 2);
}

TEST_F(DataThreadTest, AKeywordWithoutCompaniesLoadsEmptyEveryTime) {
  TKeyListInfo& store = Open();
  store.AddKey("k");
  store.AddCompany("k", Company("Only", "1"));
  store.DeleteCompany("k", store.FindKey("k")->Companies.KeyAt(0));
  EXPECT_EQ(Load("k").Count(), 0u);
  EXPECT_EQ(Load("k").Count(), 0u);
  EXPECT_EQ(loads, 2);
}

// A search keeps reporting companies while the keyword's companies load: every company ends
// up in memory once, in the database once, and announced once.
TEST_F(DataThreadTest, LoadRacingAStreamOfNewCompanies) {
  Fill(*Open().AddKey("k"), 20000);
  TKeyListInfo& store = Open();
  TKeyData* key = store.FindKey("k");
  store.LoadCompanies("k");
  int added = 0;
  int addedWhileLoading = 0;
  while (loads == 0 || added < addedWhileLoading + 50) {
    bool loading = key->Loading();
    store.AddCompany("k", Company("New " + std::to_string(added), "1"));
    ++added;
    if (loading) ++addedWhileLoading;
    QCoreApplication::processEvents();
    ASSERT_LT(added, 100000) << "the load never ended";
  }
  EXPECT_GT(addedWhileLoading, 0);
  EXPECT_EQ(companiesAdded, added);
  EXPECT_EQ(key->Companies.Count(), 20000u + added);
  EXPECT_EQ(key->ListCount, 20000 + added);
  std::set<std::string> ids;
  for (const auto& entry : key->Companies) ids.insert(entry.Key);
  EXPECT_EQ(ids.size(), key->Companies.Count());
  EXPECT_EQ(Single("select count(*) from tbl_list"), std::to_string(20000 + added));
  EXPECT_EQ(Single("select listcount from tbl_key"), std::to_string(20000 + added));
}

TEST_F(DataThreadTest, DeletionsDuringALoadStayDeleted) {
  Fill(*Open().AddKey("k"), 2000);
  std::string first = Single("select min(ListID) from tbl_list");
  TKeyListInfo& store = Open();
  store.LoadCompanies("k");
  store.DeleteCompany("k", first);
  store.AddCompany("k", Company("Late", "1"));
  store.DeleteCompany(
      "k", store.FindKey("k")->Loading() ? Single("select max(ListID) from tbl_list") : "0");
  ASSERT_TRUE(test::SpinUntil([&] { return loads == 1; }));
  const TCompanyList& companies = *store.CompanyList("k");
  EXPECT_EQ(companies.IndexOf(first), -1);
  EXPECT_EQ(companies.Count(), std::stoul(Single("select count(*) from tbl_list")));
}

TEST_F(DataThreadTest, KeywordDeletedOrStoreClosedDuringALoad) {
  Fill(*Open().AddKey("k"), 5000);
  Fill(*store->AddKey("j"), 5000);
  TKeyListInfo& store = Open();
  store.LoadCompanies("k");
  store.DeleteKey("k");
  ASSERT_TRUE(test::SpinUntil([&] { return loads == 1; }));
  EXPECT_EQ(lastLoaded, "k");
  EXPECT_EQ(store.CompanyList("k"), nullptr);

  store.LoadCompanies("j");
  this->store.reset();  // the loader is cut short; its hand-over is dropped
  EXPECT_TRUE(test::SpinUntil([] { return TDataThread::Running() == 0; }));
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(Open().FindKey("j")->ListCount, 0);
  EXPECT_EQ(Load("j").Count(), 5000u);
}

}  // namespace
}  // namespace zoqa
