// A search stopped twice loses no company: the crawlers under way at a stop are cut, and the
// next run starts at the lowest page that had one, so what they would have read is read then.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "clirunfixture.h"

namespace zoqa::test {
namespace {

std::string SlowName(int n) {
  return "东莞第" + std::to_string(n) + "号模具有限公司";
}

TEST_F(CliRunTest, StoppedRunsLoseNoCompanyAndAFullRunStoresEachOnce) {
  // Five result pages of three companies each; every company site answers after 2.5 s.
  const std::string keyword = "东莞 模具";
  constexpr int kPages = 5;
  TEngineScript script;
  std::set<std::string> all;
  for (int page = 0; page < kPages; ++page) {
    std::vector<TBaiduResultBlock> blocks;
    for (int n = page * 3; n < page * 3 + 3; ++n) {
      std::string host = "www.mold" + std::to_string(n) + ".com";
      AddSite(host, SlowName(n), "1360000" + std::to_string(1000 + n), 2500);
      all.insert(SlowName(n));
      blocks.push_back({"模具", "http://" + host + "/"});
    }
    script.Pages.push_back(BaiduResultPage({}, blocks));
  }
  Script(egBaidu, keyword, script);
  auto home = Home();
  // Every company of the pages before the saved one is stored.
  auto expectSavedPageHonest = [&](const std::string& when) {
    int saved = Pages(*home)[keyword].Baidu;
    std::set<std::string> names;
    for (const TStored& c : Companies(*home, keyword)) names.insert(c.Name);
    for (int n = 0; n < saved * 3; ++n) {
      EXPECT_EQ(names.count(SlowName(n)), 1u) << when << ": page " << saved << " saved";
    }
    EXPECT_LT(saved, kPages) << when;
  };

  TRun timed = Run(*home, {"run", "--engines", "baidu", "--max-seconds", "7", keyword});
  ASSERT_EQ(timed.ExitCode, 0) << timed.Err;
  expectSavedPageHonest("after --max-seconds");

  int asked = static_cast<int>(Asked(egBaidu, keyword).size());
  auto signalled = Start(*home, {"run", "--engines", "baidu", keyword});
  ASSERT_TRUE(
      world.WaitForCount({"www.baidu.com", SearchPrefix(egBaidu, keyword)}, asked + 1, 30000));
  std::this_thread::sleep_for(std::chrono::seconds(5));
  signalled->terminate();
  TRun stopped = Finish(*signalled);
  ASSERT_EQ(stopped.ExitCode, 0) << stopped.Err;
  expectSavedPageHonest("after SIGTERM");

  TRun full = Run(*home, {"run", "--engines", "baidu", keyword});
  ASSERT_EQ(full.ExitCode, 0) << full.Err;
  std::set<std::string> names;
  std::set<TStored> stored = Companies(*home, keyword);
  for (const TStored& c : stored) names.insert(c.Name);
  EXPECT_EQ(names, all);
  EXPECT_EQ(stored.size(), all.size());
}

}  // namespace
}  // namespace zoqa::test
