// The store's export: which companies go out, in which order, and when nothing is written.
#include <gtest/gtest.h>

#include "storefixture.h"

namespace zoqa {
namespace {

using test::Company;

class KeyListExportTest : public ::testing::Test, public test::StoreFixture {};

TEST_F(KeyListExportTest, NoKeywordOrNoCompaniesWritesNoFile) {
  TKeyListInfo& store = Open();
  store.AddKey("empty");
  std::string file = dir.File("out.txt");
  EXPECT_FALSE(
      store.WriteExport("absent", file, true, true, true, true, false, true, TExportFormat::Text));
  EXPECT_FALSE(
      store.WriteExport("empty", file, true, true, true, true, false, true, TExportFormat::Text));
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(KeyListExportTest, CompaniesGoOutInListOrderWithoutALoad) {
  {
    TKeyListInfo& store = Open();
    store.AddKey(Cp936("广州"));
    TCompany first = Company("甲公司", "13900000001");
    first.AddMobile("13900000002");
    first.AddQQ("111");
    store.AddCompany(Cp936("广州"), first);
    store.AddCompany(Cp936("广州"), Company("乙, Ltd", "13900000003"));
  }
  TKeyListInfo& store = Open();
  std::string file = dir.File("out.txt");
  ASSERT_TRUE(store.WriteExport(Cp936("广州"), file, true, true, true, false, false, false,
                                TExportFormat::Text));
  EXPECT_EQ(test::ReadFileBytes(file),
            Cp936("公司名,手机,QQ\r\n甲公司,13900000001,13900000002,111\r\n"
                  "乙  Ltd,13900000003,\r\n"));  // an empty last value keeps its separator

  ASSERT_TRUE(store.WriteExport(Cp936("广州"), file, false, false, true, false, false, false,
                                TExportFormat::Text));
  EXPECT_EQ(test::ReadFileBytes(file), "13900000001\r\n13900000002\r\n13900000003\r\n");
}

TEST_F(KeyListExportTest, UnwritableFileFails) {
  TKeyListInfo& store = Open();
  store.AddKey("k");
  store.AddCompany("k", Company("A", "1"));
  EXPECT_FALSE(store.WriteExport("k", dir.File("no/such/dir/out.txt"), true, false, true, false,
                                 false, false, TExportFormat::Text));
  EXPECT_FALSE(store.WriteExport("k", dir.File("no/such/dir/out.xls"), true, false, true, false,
                                 false, false, TExportFormat::Xls));
}

}  // namespace
}  // namespace zoqa
