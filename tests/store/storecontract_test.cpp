// One set of cases run on both store backends, the local file and the team database: the
// same calls give the same answers, through restarts of the store.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "store/pgconnection.h"
#include "store/pgschema.h"
#include "store/pgstore.h"
#include "store/sqlitestore.h"
#include "storefixture.h"
#include "support/pgtestdb.h"

namespace zoqa {
namespace {

using test::Company;

enum class Backend { Local, Team };

class StoreContractTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    test::EnsureCoreApp();
    if (GetParam() == Backend::Team) {
      pg = std::make_unique<test::PgTestDb>();
      ZOQA_REQUIRE_PG(*pg);
      TPgConnection connection{TStoreUrl(pg->Url())};
      InitPgSchema(connection);
    } else {
      ProvisionStoreFile(dir.File("Data/users"));
    }
    Open();
  }

  void TearDown() override { store.reset(); }

  std::unique_ptr<TStoreBackend> NewBackend() {
    if (GetParam() == Backend::Team) return std::make_unique<TPgStore>(TStoreUrl(pg->Url()));
    return std::make_unique<TSQLiteStore>(dir.File("Data/users"));
  }

  // Closes the store (if open) and opens it again with its keywords loaded.
  TKeyListInfo& Open() {
    store.reset();
    store = std::make_unique<TKeyListInfo>(NewBackend());
    store->OnCompanyAdded = [this](TKeyListInfo&, const std::string&, const TCompany&) { ++added; };
    store->LoadKeys();
    return *store;
  }

  // The keyword's companies in list order, read through a cursor.
  std::vector<TCompany> Load(const std::string& keyword) {
    std::vector<TCompany> companies;
    store->OpenCompanies(keyword, {}, 0)->NextBatch(companies, 100000);
    return companies;
  }

  std::vector<std::string> Names(const std::vector<TCompany>& list) {
    std::vector<std::string> names;
    for (const TCompany& c : list) names.push_back(Cp936ToUtf8(c.GetName()));
    return names;
  }

  test::TempDir dir;
  std::unique_ptr<test::PgTestDb> pg;
  std::unique_ptr<TKeyListInfo> store;
  int added = 0;
};

TEST_P(StoreContractTest, KeywordsKeepTheirOrderIdsAndPagesThroughARestart) {
  const std::string tricky = Cp936("it's; drop table tbl_key --");
  TKeyData* alpha = store->AddKey("alpha");
  ASSERT_NE(alpha, nullptr);
  std::string alphaId = alpha->Id;
  EXPECT_NE(alphaId, "0");
  EXPECT_EQ(store->AddKey("ALPHA"), alpha);  // letter case folded: the same keyword
  store->AddKey(Cp936("贸易公司"));
  store->AddKey(tricky);
  store->SetLastPage("alpha", 3, egBaidu);
  store->SetLastPage("alpha", 4, egSogou);
  store->SaveLastPageByKeyword(Cp936("贸易公司"), 7, eg360);

  Open();
  ASSERT_EQ(store->Keys().size(), 3u);
  EXPECT_EQ(store->Keys()[0]->KeyStr, "alpha");
  EXPECT_EQ(store->Keys()[0]->Id, alphaId);
  EXPECT_EQ(store->Keys()[1]->KeyStr, Cp936("贸易公司"));
  EXPECT_EQ(store->Keys()[2]->KeyStr, tricky);
  const TKeyData& reopened = *store->Keys()[0];
  EXPECT_EQ(reopened.LastPage, 3);
  EXPECT_EQ(reopened.SgLastPage, 4);
  EXPECT_EQ(reopened.S360LastPage, 0);
  EXPECT_EQ(store->Keys()[1]->S360LastPage, 7);
  EXPECT_GT(reopened.AddDate, 0);
  EXPECT_EQ(store->LookupKeyId(tricky), store->Keys()[2]->Id);
}

TEST_P(StoreContractTest, ACompanyNameIsStoredOnceInTheWholeStoreWithEveryField) {
  store->AddKey("a");
  store->AddKey("b");
  TCompany full = Company("华南贸易有限公司", "13900000001");
  full.AddMobile("13900000002");
  full.AddTel("020-12345678");
  full.AddEmail("sales@huanan.cn");
  full.AddQQ("123456");
  full.Addr = Cp936("广州市天河路1号");
  full.WebUrl = "http://huanan.cn/";
  full.Source = Cp936("百度");
  full.IsPay = 1;
  full.RenZheng = 1;
  store->AddCompany("a", full);
  store->AddCompany("a", Company("O'Brien; Co", "13900000003"));
  store->AddCompany("b", Company("华南贸易有限公司", "13900000009"));  // the name is taken
  store->AddCompany("b", Company("没有手机的公司", ""));               // no mobile: not kept
  EXPECT_EQ(added, 2);

  Open();
  EXPECT_EQ(store->FindKey("a")->ListCount, 2);
  EXPECT_EQ(store->FindKey("b")->ListCount, 0);
  std::vector<TCompany> list = Load("a");
  EXPECT_THAT(Names(list), ::testing::ElementsAre("华南贸易有限公司", "O'Brien; Co"));
  const TCompany& c = list.at(0);
  EXPECT_THAT(c.Mobiles, ::testing::ElementsAre("13900000001", "13900000002"));
  EXPECT_THAT(c.Tels, ::testing::ElementsAre("020-12345678"));
  EXPECT_THAT(c.Emails, ::testing::ElementsAre("sales@huanan.cn"));
  EXPECT_THAT(c.QQs, ::testing::ElementsAre("123456"));
  EXPECT_EQ(c.Addr, Cp936("广州市天河路1号"));
  EXPECT_EQ(c.WebUrl, "http://huanan.cn/");
  EXPECT_EQ(c.Source, Cp936("百度"));
  EXPECT_EQ(c.IsPay, 1);
  EXPECT_EQ(c.RenZheng, 1);
  EXPECT_NE(list[0].ListId, list[1].ListId);
  EXPECT_TRUE(Load("b").empty());
}

TEST_P(StoreContractTest, DeletedCompaniesAndKeywordsAreGoneAndTheirNamesFreeAgain) {
  store->AddKey("a");
  store->AddKey("b");
  store->AddCompany("a", Company("一号公司", "13900000001"));
  store->AddCompany("a", Company("二号公司", "13900000002"));
  store->AddCompany("b", Company("三号公司", "13900000003"));
  std::vector<TCompany> list = Load("a");
  ASSERT_EQ(list.size(), 2u);
  store->DeleteCompany("a", list[0].ListId);
  store->DeleteCompany("a", "1 or 1=1");  // not a list id: nothing happens
  store->DeleteKey("b");

  Open();
  ASSERT_EQ(store->Keys().size(), 1u);
  EXPECT_THAT(Names(Load("a")), ::testing::ElementsAre("二号公司"));
  added = 0;
  store->AddCompany("a", Company("一号公司", "13900000001"));
  store->AddCompany("a", Company("三号公司", "13900000003"));
  EXPECT_EQ(added, 2);

  store->ClearAll();
  Open();
  EXPECT_TRUE(store->Keys().empty());
}

// The cursor's orders: ties by list id, descending the exact reverse, offsets, and reads that
// go on past the first slice of rows.
TEST_P(StoreContractTest, CursorsHandOutTheCompaniesInEveryOrder) {
  store->AddKey("k");
  std::string id = store->FindKey("k")->Id;
  TStoreBackend& backend = store->Backend();
  backend.BeginBatch();
  for (int i = 0; i < 520; ++i) {
    TCompany c = Company("c" + std::to_string(1000 + (i * 7) % 520), "139");
    c.IsPay = i % 3 == 0;
    c.RenZheng = i % 5 == 0;
    ASSERT_EQ(backend.AddCompany(id, c), TStoreAdd::Stored);
  }
  backend.CommitBatch();
  EXPECT_EQ(backend.CountCompanies("k"), 520);
  EXPECT_EQ(backend.CountCompanies("none"), 0);
  TCompany none;
  EXPECT_FALSE(backend.OpenCompanies("none", {}, 0)->Next(none));

  auto read = [&](TSortOrder order, std::int64_t offset, std::size_t max) {
    std::vector<TCompany> rows;
    backend.OpenCompanies("k", order, offset)->NextBatch(rows, max);
    std::vector<std::string> keys;
    for (const TCompany& c : rows) keys.push_back(c.GetName() + "#" + c.ListId);
    return keys;
  };
  for (TSortColumn column : {TSortColumn::kStored, TSortColumn::kBadge, TSortColumn::kName}) {
    auto up = read({column, false}, 0, 1000);
    auto down = read({column, true}, 0, 1000);
    ASSERT_EQ(up.size(), 520u);
    EXPECT_TRUE(std::equal(up.begin(), up.end(), down.rbegin())) << int(column);
    EXPECT_EQ(read({column, false}, 510, 100),
              std::vector<std::string>(up.begin() + 510, up.end()));
  }
  auto names = read({TSortColumn::kName, false}, 0, 2);
  EXPECT_EQ(names[0].substr(0, 6), "c1000#");
  EXPECT_EQ(names[1].substr(0, 6), "c1001#");
  std::vector<TCompany> badge;
  backend.OpenCompanies("k", {TSortColumn::kBadge, false}, 0)->NextBatch(badge, 520);
  EXPECT_TRUE(badge[0].IsPay && !badge[519].IsPay && !badge[519].RenZheng);

  // A reader on a connection of its own (a worker's) sees the same rows; the store stays
  // writable while it reads.
  std::unique_ptr<TCompanySource> reader = backend.ReaderOpener()(nullptr);
  EXPECT_EQ(reader->CountCompanies("k"), 520);
  auto readerCursor = reader->OpenCompanies("k", {TSortColumn::kName, false}, 0);
  TCompany first;
  ASSERT_TRUE(readerCursor->Next(first));
  EXPECT_EQ(first.GetName() + "#" + first.ListId, names[0]);
  TCompany later = Company("c9999", "139");
  EXPECT_EQ(backend.AddCompany(id, later), TStoreAdd::Stored);
}

// Reading on from a row's key, either way round, gives the rows beyond it in that order after
// skipping `offset` of them, through runs of ties and (in the local file) NULL sort values.
TEST_P(StoreContractTest, CursorsReadOnFromARowsKeyEitherWay) {
  store->AddKey("k");
  TStoreBackend& backend = store->Backend();
  backend.BeginBatch();
  for (int i = 0; i < 120; ++i) {
    TCompany c = Company("c" + std::to_string(1000 + (i * 7) % 120), "13" + std::to_string(i % 4));
    c.IsPay = i % 3 == 0;
    ASSERT_EQ(backend.AddCompany(store->FindKey("k")->Id, c), TStoreAdd::Stored);
  }
  backend.CommitBatch();
  if (GetParam() == Backend::Local) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dir.File("Data/users").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "update tbl_list set mob=null where ListID % 5 = 0", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }
  auto names = [](std::unique_ptr<TCompanyCursor> cursor) {
    std::vector<std::string> read;
    for (TCompany c; cursor->Next(c);) read.push_back(c.GetName());
    return read;
  };
  for (TSortColumn column : {TSortColumn::kStored, TSortColumn::kBadge, TSortColumn::kName,
                             TSortColumn::kMobile, TSortColumn::kSource}) {
    for (bool descending : {false, true}) {
      const TSortOrder order{column, descending}, reverse{column, !descending};
      const auto all = names(backend.OpenCompanies("k", order, 0));
      ASSERT_EQ(all.size(), 120u);
      // Every row's key read back by its list id, and keys that compare as the rows follow.
      TRowKey previous;
      auto cursor = backend.OpenCompanies("k", order, 0);
      for (TCompany c; cursor->Next(c);) {
        TRowKey key, back;
        bool keyed = cursor->Key(key);
        ASSERT_EQ(backend.RowKey("k", order, std::stoll(c.ListId), back), keyed) << c.ListId;
        if (!keyed) continue;
        EXPECT_EQ(back.value, key.value);
        if (previous.listId != 0) {
          EXPECT_LT(CompareRowKeys(order, previous, key), 0);
        }
        previous = key;
      }
      EXPECT_FALSE(backend.RowKey("none", order, previous.listId, previous));
      for (int at : {0, 1, 58, 119}) {
        auto cursor = backend.OpenCompanies("k", order, at);
        TCompany c;
        TRowKey key;
        if (!cursor->Next(c) || !cursor->Key(key)) continue;
        for (int skip : {0, 3, 90}) {
          auto after = names(backend.OpenCompaniesAfter("k", order, key, skip));
          EXPECT_EQ(after,
                    std::vector<std::string>(all.begin() + std::min(120, at + 1 + skip), all.end()))
              << int(column) << descending << at << " " << skip;
        }
        auto before = names(backend.OpenCompaniesAfter("k", reverse, key, 0));
        EXPECT_EQ(before, std::vector<std::string>(all.rend() - at, all.rend()))
            << int(column) << descending << at;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, StoreContractTest,
                         ::testing::Values(Backend::Local, Backend::Team), [](const auto& info) {
                           return info.param == Backend::Local ? "Local" : "Team";
                         });

}  // namespace
}  // namespace zoqa
