// The store's export: which companies go out, in which order, and when nothing is written.
#include <gtest/gtest.h>

#include <algorithm>

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

// Lines of a text export, without their CR LF.
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find("\r\n", start);
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// A keyword of 70,000 companies goes out whole, in stored order or in the order of a column
// (read through the store's index); a .xls cannot hold them and keeps the old file.
TEST_F(KeyListExportTest, LargeKeywordGoesOutWholeInTheOrderAsked) {
  constexpr int kCount = 70000;  // more than a .xls holds
  TKeyListInfo& store = Open();
  store.AddKey("k");
  store.Manager().Database().Execute(
      "insert into tbl_list(ComName, mob, Tel, Addr, keyid) with recursive n(i) as (select 1 "
      "union all select i + 1 from n where i < " +
      std::to_string(kCount) +
      ") select 'Co' || i, '139' || (10000000 + (i * 7919) % 100003) || char(13,10), "
      "'020-' || i || char(13,10), 'Road ' || i, " +
      store.FindKey("k")->Id + " from n");
  const std::string file = dir.File("out.txt");
  TExportFields name;
  name.company = true;
  ASSERT_TRUE(store.WriteExport("k", file, name, TExportFormat::Text));
  std::vector<std::string> lines = Lines(test::ReadFileBytes(file));
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kCount));
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(lines[i], "Co" + std::to_string(i + 1));

  TExportFields mobile;
  mobile.mobile = true;
  ASSERT_TRUE(store.WriteExport("k", file, mobile, TExportFormat::Text,
                                TSortOrder{TSortColumn::kMobile, true}));
  lines = Lines(test::ReadFileBytes(file));
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kCount));
  EXPECT_TRUE(std::is_sorted(lines.rbegin(), lines.rend()));

  const std::string sheet = dir.File("out.xls");
  test::WriteFileBytes(sheet, "old");
  EXPECT_FALSE(store.WriteExport("k", sheet, name, TExportFormat::Xls));
  EXPECT_EQ(test::ReadFileBytes(sheet), "old");
}

TEST_F(KeyListExportTest, LandlinesAndAddressesAreColumnsOfTheirOwn) {
  TKeyListInfo& store = Open();
  store.AddKey("k");
  TCompany company = Company("Acme", "13900000001");
  company.AddTel("020-1");
  company.AddTel("020-2");
  company.Addr = "Road, 5";
  store.AddCompany("k", company);
  TExportFields fields;
  fields.company = fields.mobile = fields.tel = fields.location = true;
  const std::string file = dir.File("out.txt");
  ASSERT_TRUE(store.WriteExport("k", file, fields, TExportFormat::Text));
  EXPECT_EQ(test::ReadFileBytes(file),
            Cp936("公司名,手机,电话,地址\r\n") + "Acme,13900000001,020-1,020-2,Road 5\r\n");
}

}  // namespace
}  // namespace zoqa
