// The store on damaged, locked, read-only and full storage: clear errors where queries fail,
// writes dropped without a crash, and nothing already stored lost.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <unistd.h>

#include "store/sqlitedatabase.h"
#include "store/sqliteexception.h"
#include "storefixture.h"

namespace zoqa {
namespace {

using test::Company;
using ::testing::HasSubstr;

class StoreFaultsTest : public ::testing::Test, public test::StoreFixture {
 protected:
  ~StoreFaultsTest() override {
    store.reset();
    if (mounted_) umount2(dir.File("Data").c_str(), MNT_DETACH);
  }

  // Puts a small memory file system of `size` under Data; false where that is not allowed.
  bool MountData(const std::string& size) {
    std::filesystem::create_directory(dir.File("Data"));
    mounted_ = mount("tmpfs", dir.File("Data").c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
    return mounted_;
  }

  // Makes Data and its file read-only, by a read-only mount for the superuser.
  bool MakeDataReadOnly() {
    if (geteuid() != 0) {
      std::filesystem::permissions(DataFile(), std::filesystem::perms::owner_read);
      std::filesystem::permissions(dir.File("Data"), std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::owner_exec);
      return true;
    }
    return mounted_ &&
           mount("tmpfs", dir.File("Data").c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

  // Adds companies with bulky addresses until the storage refuses them; returns how many the
  // store kept.
  int FillUp(TKeyListInfo& store) {
    store.AddKey("k");
    int tries = 0;
    while (companiesAdded == tries && tries < 100000) {
      TCompany company = Company("Co " + std::to_string(tries), "1");
      company.Addr = std::string(2000, 'a');
      store.AddCompany("k", company);
      ++tries;
    }
    return companiesAdded;
  }

  // The keyword counts every company kept, and the rows are all there after a restart.
  void ExpectMemoryMatchesFile(int kept) {
    EXPECT_EQ(store->FindKey("k")->ListCount, kept);
    EXPECT_EQ(Single("select count(*) from tbl_list"), std::to_string(kept));
    Open();
    EXPECT_EQ(Load("k").Count(), static_cast<std::size_t>(kept));
  }

  bool mounted_ = false;
};

TEST_F(StoreFaultsTest, CorruptFileIsReportedAndLeftAsItIs) {
  std::filesystem::create_directory(dir.File("Data"));
  std::string garbage(8192, '\x5a');
  test::WriteFileBytes(DataFile(), garbage);
  try {
    TKeyListInfo store;
    FAIL() << "a corrupt file opened";
  } catch (const ESQLiteException& e) {
    EXPECT_THAT(e.what(), HasSubstr("Error [26]: File opened that is not a database file."));
  }
  EXPECT_EQ(test::ReadFileBytes(DataFile()), garbage);
}

// The page number where `table` starts and the file's page size.
std::pair<std::size_t, std::size_t> RootPage(const std::string& file, const std::string& table) {
  TSQLiteDatabase db(file, 0);
  auto root = db.Query("select rootpage from sqlite_master where name='" + table + "'");
  auto size = db.Query("pragma page_size");
  return {std::stoul(root.TextAt(0)), std::stoul(size.TextAt(0))};
}

// Overwrites every page but the first (the schema) whose number `damage` selects.
void DamagePages(const std::string& file, const std::function<bool(std::size_t)>& damage,
                 std::size_t pageSize) {
  std::string bytes = test::ReadFileBytes(file);
  for (std::size_t i = pageSize; i < bytes.size(); ++i) {
    if (damage(i / pageSize + 1)) bytes[i] = static_cast<char>(i * 7);
  }
  test::WriteFileBytes(file, bytes);
}

TEST_F(StoreFaultsTest, DamagedPagesFailTheReadsNotTheProgram) {
  Open().AddKey("k");
  for (int i = 0; i < 50; ++i) store->AddCompany("k", Company("Co " + std::to_string(i), "1"));
  store.reset();
  const std::string intact = test::ReadFileBytes(DataFile());
  auto [keyRoot, pageSize] = RootPage(DataFile(), "tbl_key");
  ASSERT_GT(intact.size(), pageSize * 3);

  // The companies' pages damaged: the keywords still load; reading the companies raises or
  // ends early, and the notification still comes.
  DamagePages(
      DataFile(), [&](std::size_t page) { return page != keyRoot; }, pageSize);
  store = std::make_unique<TKeyListInfo>();
  Attach();
  store->LoadKeys();
  ASSERT_NE(store->FindKey("k"), nullptr);
  store->LoadCompanies("k");
  EXPECT_TRUE(test::SpinUntil([&] { return loads == 1; }));
  std::vector<TCompany> rows;
  try {
    store->OpenCompanies("k", TSortOrder{})->NextBatch(rows, 100);
  } catch (const ESQLiteException&) {
  }
  EXPECT_LT(rows.size(), 50u);
  store.reset();

  // The keywords' page damaged: reading them raises a clear error.
  test::WriteFileBytes(DataFile(), intact);
  DamagePages(
      DataFile(), [&](std::size_t page) { return page == keyRoot; }, pageSize);
  store = std::make_unique<TKeyListInfo>();
  try {
    store->LoadKeys();
    ADD_FAILURE() << "keywords read from a damaged page";
  } catch (const ESQLiteException& e) {
    EXPECT_THAT(e.what(), HasSubstr("Error [11]: The database disk image is malformed."));
  }
}

TEST_F(StoreFaultsTest, LockedDatabaseDropsWritesUntilReleased) {
  TKeyListInfo& store = Open();
  store.AddKey("k");
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(DataFile().c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
  store.AddCompany("k", Company("Blocked", "1"));
  EXPECT_EQ(companiesAdded, 0);
  EXPECT_TRUE(store.SetLastPage("k", 2, egBaidu));
  sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  store.AddCompany("k", Company("Blocked", "1"));
  EXPECT_EQ(companiesAdded, 1);
  EXPECT_EQ(Single("select count(*) from tbl_list"), "1");
}

TEST_F(StoreFaultsTest, DatabaseAtItsPageLimitKeepsWhatItHas) {
  TKeyListInfo& store = Open();
  store.Manager().Database().Query("pragma max_page_count=40");
  int kept = FillUp(store);
  EXPECT_GT(kept, 0);
  ExpectMemoryMatchesFile(kept);
}

TEST_F(StoreFaultsTest, FullFileSystemKeepsWhatItHas) {
  if (!MountData("400k")) GTEST_SKIP() << "cannot mount a small file system here";
  int kept = FillUp(Open());
  EXPECT_GT(kept, 0);
  ExpectMemoryMatchesFile(kept);
}

TEST_F(StoreFaultsTest, ReadOnlyDataDirectoryStillReads) {
  bool mounted = geteuid() == 0 && MountData("1m");
  if (geteuid() == 0 && !mounted) GTEST_SKIP() << "cannot make a read-only directory here";
  Open().AddKey("k");
  store->AddCompany("k", Company("Kept", "1"));
  store.reset();
  ASSERT_TRUE(MakeDataReadOnly());

  TKeyListInfo& store = Open();
  ASSERT_NE(store.FindKey("k"), nullptr);
  EXPECT_EQ(Load("k").Count(), 1u);
  int before = companiesAdded;
  store.AddCompany("k", Company("Lost", "2"));
  EXPECT_EQ(companiesAdded, before);
  TKeyData* added = store.AddKey("new");
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->Id, "0");
  EXPECT_EQ(Single("select count(*) from tbl_list"), "1");
}

TEST_F(StoreFaultsTest, ZeroBytesAndBadUtf8InStoredText) {
  TKeyListInfo& store = Open();
  store.AddKey("k");
  TCompany company = Company("Nul", "139");
  company.Addr = std::string("road\0 5", 7);
  company.AddQQ(std::string("1\0002", 3));
  store.AddCompany("k", company);
  ASSERT_EQ(companiesAdded, 1);
  store.Manager().Database().Execute(
      "insert into tbl_list(ComName, Addr, mob, keyid) values ('Bad', cast(x'c0af41' as text), "
      "cast(x'31003239' as text), " +
      store.FindKey("k")->Id + ")");
  Open();
  const auto companies = Load("k");
  ASSERT_EQ(companies.Count(), 2u);
  EXPECT_EQ(companies.At(0).Addr, "road 5");
  EXPECT_EQ(companies.At(0).QQs, std::vector<std::string>{"12"});
  EXPECT_EQ(companies.At(1).Addr, "??A");
  EXPECT_EQ(companies.At(1).Mobiles, std::vector<std::string>{"1"});  // text ends at its zero
}

}  // namespace
}  // namespace zoqa
