#include "harvest/report/company.h"

#include <gtest/gtest.h>

#include "util/codepage.h"

namespace zoqa {
namespace {

TEST(CompanyInfo, ListsHoldNoDuplicatesIgnoringCase) {
  TCompany c;
  c.AddMobile("13812345678");
  c.AddMobile("13812345678");
  c.AddEmail("Sales@Example.com");
  c.AddEmail("sales@example.COM");
  c.AddTel("020-12345678");
  c.AddQQ("12345");
  c.AddQQ("123456");
  EXPECT_EQ(c.Mobiles.size(), 1u);
  EXPECT_EQ(c.Emails, std::vector<std::string>{"Sales@Example.com"});
  EXPECT_EQ(c.Tels.size(), 1u);
  EXPECT_EQ(c.QQs.size(), 2u);
}

TEST(CompanyInfo, SetNameDropsContactWordsAndPunctuation) {
  TCompany c;
  c.SetName(Cp936("联系我们-广州某某公司"));
  EXPECT_EQ(c.ComName, Cp936("广州某某公司"));
  c.SetName(Cp936("某某公司,电子"));
  EXPECT_EQ(c.ComName, Cp936("某某公司 电子"));
  c.SetName(Cp936("关于我们_某某.公司?联系方式"));
  EXPECT_EQ(c.ComName, Cp936("某某公司"));
  c.SetName("  a  ");
  EXPECT_EQ(c.ComName, "  a  ");  // no trimming
  // 0x5F ("_") as the second byte of a double-byte character is left alone.
  c.SetName(
      "\xB5\x5F"
      "_");
  EXPECT_EQ(c.ComName, "\xB5\x5F");
}

TEST(CompanyInfo, GetNameResetAndAssign) {
  TCompany c;
  EXPECT_EQ(c.GetName(), " ");
  c.KeyWord = "k";
  c.ListId = "7";
  c.RenZheng = 1;
  c.IsPay = 1;
  c.SetName("Name");
  c.Addr = "addr";
  c.WebUrl = "http://x";
  c.Source = "360";
  c.AddTel("020-12345678");

  TCompany copy;
  copy.KeyWord = "other";
  copy.Assign(c);
  EXPECT_EQ(copy.ComName, "Name");
  EXPECT_EQ(copy.Tels, c.Tels);
  EXPECT_EQ(copy.IsPay, 1);
  EXPECT_EQ(copy.RenZheng, 1);
  EXPECT_EQ(copy.KeyWord, "other");
  EXPECT_EQ(copy.ListId, "");

  c.Reset();
  EXPECT_EQ(c.GetName(), " ");
  EXPECT_TRUE(c.Tels.empty() && c.Addr.empty() && c.WebUrl.empty() && c.Source.empty());
  EXPECT_EQ(c.IsPay, 0);
  EXPECT_EQ(c.RenZheng, 1);
  EXPECT_EQ(c.KeyWord, "k");
  EXPECT_EQ(c.ListId, "7");

  TCompany unnamed;
  copy.Assign(unnamed);
  EXPECT_EQ(copy.ComName, " ");
}

}  // namespace
}  // namespace zoqa
