// The controller on the team store: what other machines stored is listed, and the total line
// names the store's server and database, never its password.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "teamappfixture.h"

namespace zoqa::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

using TeamStoreControllerTest = TeamAppTest;

TEST_F(TeamStoreControllerTest, ListsWhatOtherMachinesStoredAndNamesTheStore) {
  {
    TKeyListInfo other(std::make_unique<TPgStore>(TStoreUrl(pg.Url())));
    other.AddKey(Cp936("团队 关键词"));
    other.AddCompany(Cp936("团队 关键词"), MakeCompany("团队 关键词", "团队甲公司", "13900000001"));
    other.AddCompany(Cp936("团队 关键词"), MakeCompany("团队 关键词", "团队乙公司", "13900000002"));
  }
  Open();
  TStoreUrl url(pg.Url());
  EXPECT_THAT(view.Calls, Contains("SetTotalLabel 当前已采集记录：2条　团队库：" + url.Label()));
  for (const std::string& call : view.Calls) EXPECT_THAT(call, Not(HasSubstr(url.Password())));
  controller->SelectKeyword(Cp936("团队 关键词"));
  ASSERT_TRUE(WaitLoaded("团队 关键词"));
  EXPECT_EQ(view.GridNames(), (std::vector<std::string>{"团队甲公司", "团队乙公司"}));
}

// Deletes made on another machine show as if made here: a deleted company leaves the grid and
// the counts, a deleted keyword leaves the list.
TEST_F(TeamStoreControllerTest, TakesInWhatOtherMachinesDeleted) {
  TKeyListInfo other(std::make_unique<TPgStore>(TStoreUrl(pg.Url())));
  other.AddKey(Cp936("留下"));
  other.AddKey(Cp936("删掉"));
  other.AddCompany(Cp936("留下"), MakeCompany("留下", "甲公司", "13900000001"));
  other.AddCompany(Cp936("留下"), MakeCompany("留下", "乙公司", "13900000002"));
  Open();
  controller->SelectKeyword(Cp936("留下"));
  ASSERT_TRUE(WaitLoaded("留下"));
  Store().WatchOthers(50);
  TCompany first;
  ASSERT_TRUE(other.OpenCompanies(Cp936("留下"), {})->Next(first));
  other.DeleteCompany(Cp936("留下"), first.ListId);
  other.DeleteKey(Cp936("删掉"));
  ASSERT_TRUE(PumpUntil([&] { return Key("删掉") == nullptr && view.GridRowCount() == 1; }, 10000));
  EXPECT_EQ(view.GridNames(), std::vector<std::string>{"乙公司"});
  EXPECT_THAT(view.Calls, Contains("RemoveKeyItem 删掉"));
  EXPECT_THAT(view.Calls, Contains("SetItemCount 留下|1条"));
  EXPECT_THAT(view.Calls, Contains("SetTotalLabel 当前已采集记录：1条　团队库：" +
                                   TStoreUrl(pg.Url()).Label()));
}

}  // namespace
}  // namespace zoqa::test
