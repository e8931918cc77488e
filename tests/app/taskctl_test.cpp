// The task controller with real harvesters against the loopback world: which engines start,
// at which pages, and how holding, resuming and stopping reach them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "appfixture.h"
#include "store/taskctl.h"

namespace zoqa::test {
namespace {

using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

const char kKey[] = "广州 电子";

struct TEnd {
  int Engine;
  int Page;
  std::string KeyWord;
  bool operator==(const TEnd&) const = default;
};

void PrintTo(const TEnd& end, std::ostream* os) {
  *os << "{" << end.Engine << ", " << end.Page << ", " << end.KeyWord << "}";
}

class TaskCtlTest : public AppTest {
 protected:
  TaskCtlTest() { QuietEngines(); }

  std::shared_ptr<TTaskCtl> Make(bool baidu, bool sogou, bool so360) {
    auto ctl = TTaskCtl::Create(baidu, sogou, so360, &sink, Cp936(kKey));
    ctl->OnEngineDone = [this](TTaskCtl&, int engine, std::int32_t page,
                               const std::string& keyWord) {
      ends.push_back({engine, page, U8(keyWord)});
    };
    return ctl;
  }

  static std::vector<std::string> Names(const TTaskCtl& ctl) {
    std::vector<std::string> names;
    for (const auto& entry : ctl.Engines()) names.push_back(entry.first);
    return names;
  }

  std::vector<TWorldRequest> BaiduSearches() const {
    return world.Requests({"www.baidu.com", "/s?"});
  }
  std::vector<TWorldRequest> So360Searches() const { return world.Requests({"www.so.com", "/s?"}); }

  bool WaitEnds(std::size_t count) {
    return PumpUntil([&] { return ends.size() >= count; }, 20000);
  }

  TRecordingSink sink;
  std::vector<TEnd> ends;
};

TEST_F(TaskCtlTest, StartRunsOnlyTheMissingEnginesAtTheirStartPages) {
  auto ctl = Make(true, false, false);
  ctl->BaiduStartPage = 3;
  ctl->S360StartPage = 2;
  ctl->Start();
  ASSERT_EQ(Names(*ctl), std::vector<std::string>{"baidu"});
  auto baidu = ctl->Engines()[0].second;
  ctl->Run360 = true;
  ctl->Start();
  ctl->Start();
  ASSERT_EQ(Names(*ctl), (std::vector<std::string>{"baidu", "360"}));
  EXPECT_EQ(ctl->Engines()[0].second, baidu);
  ASSERT_TRUE(
      PumpUntil([&] { return !BaiduSearches().empty() && !So360Searches().empty(); }, 10000));
  EXPECT_THAT(BaiduSearches().front().Target, HasSubstr("&pn=30"));
  EXPECT_THAT(So360Searches().front().Target, HasSubstr("&pn=3"));
  EXPECT_EQ(THarvester::Unreported(), 2);

  // Stopping forgets the harvesters at once; their end reports come later, also when nobody
  // else holds the controller any more.
  ctl->Stop();
  EXPECT_FALSE(ctl->HasRunning());
  EXPECT_TRUE(ctl->Engines().empty());
  ctl.reset();
  ASSERT_TRUE(WaitEnds(2));
  EXPECT_THAT(ends, UnorderedElementsAre(TEnd{egBaidu, 3, kKey}, TEnd{eg360, 2, kKey}));
  EXPECT_TRUE(WaitQuiet(10000));
}

TEST_F(TaskCtlTest, NoEngineSelectedStartsNothing) {
  auto ctl = Make(false, false, false);
  ctl->Start();
  EXPECT_FALSE(ctl->HasRunning());
  EXPECT_EQ(TWorkerThread::Running(), 0);
  PumpEvents(100);
  EXPECT_EQ(world.Count(), 0);
  EXPECT_TRUE(ends.empty());
}

TEST_F(TaskCtlTest, HoldingStopsTheRequestsAndResumingGoesOnWithTheSameHarvesters) {
  auto ctl = Make(true, false, true);
  ctl->Start();
  auto before = ctl->Engines();
  ASSERT_TRUE(
      PumpUntil([&] { return BaiduSearches().size() >= 2 && !So360Searches().empty(); }, 10000));
  // Resuming a task that is not held changes nothing.
  ctl->Pause(false);
  EXPECT_EQ(ctl->Engines(), before);
  for (const auto& entry : before) EXPECT_FALSE(entry.second->Held());

  ctl->Pause(true);
  for (const auto& entry : before) EXPECT_TRUE(entry.second->Held());
  PumpEvents(300);  // a request under way may still finish
  int held = world.Count();
  PumpEvents(700);
  EXPECT_EQ(world.Count(), held);

  ctl->Pause(false);
  EXPECT_EQ(ctl->Engines(), before);
  EXPECT_TRUE(PumpUntil([&] { return world.Count() > held + 2; }, 5000));
  ctl->Stop();
  ASSERT_TRUE(WaitEnds(2));
}

TEST_F(TaskCtlTest, StoppedWhileHeldStillEndsAndReports) {
  auto ctl = Make(true, false, true);
  ctl->Start();
  ASSERT_TRUE(PumpUntil([&] { return world.Count() >= 2; }, 10000));
  ctl->Pause(true);
  PumpEvents(200);
  ctl->Stop();
  ASSERT_TRUE(WaitEnds(2));
  EXPECT_TRUE(WaitQuiet(10000));
}

TEST_F(TaskCtlTest, AnEndedTaskStartsAfreshAndANewerHarvesterOutlivesTheOldEnd) {
  // Sogou gives up on a failed page, which ends the task by itself.
  auto ctl = Make(false, true, false);
  ctl->SogouStartPage = 1;
  ctl->Start();
  ASSERT_TRUE(WaitEnds(1));
  EXPECT_EQ(ends[0], (TEnd{egSogou, 1, kKey}));
  EXPECT_FALSE(ctl->HasRunning());
  ctl->SogouStartPage = 4;
  ctl->Start();
  ASSERT_TRUE(WaitEnds(2));
  EXPECT_EQ(ends[1], (TEnd{egSogou, 4, kKey}));
  auto sogou = world.Requests({"www.sogou.com", "/web?"});
  ASSERT_EQ(sogou.size(), 2u);
  EXPECT_THAT(sogou[0].Target, HasSubstr("&page=2"));
  EXPECT_THAT(sogou[1].Target, HasSubstr("&page=5"));

  // Stopped and started again before the old harvester ended: the old end leaves the new one.
  ctl->RunSogou = false;
  ctl->RunBaidu = true;
  ctl->Start();
  auto first = ctl->Engines().at(0).second;
  ctl->Stop();
  ctl->Start();
  auto second = ctl->Engines().at(0).second;
  EXPECT_NE(first, second);
  ASSERT_TRUE(WaitEnds(3));
  EXPECT_TRUE(ctl->HasRunning());
  EXPECT_EQ(ctl->Engines().at(0).second, second);
  ctl->Stop();
  ASSERT_TRUE(WaitEnds(4));
  EXPECT_TRUE(WaitQuiet(10000));
}

}  // namespace
}  // namespace zoqa::test
