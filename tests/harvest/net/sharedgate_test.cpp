// Gates that share their pace through a store: the slots of every gate on one egress are
// spaced by the interval together, a verification answer seen by one gate holds the others,
// and a store that cannot be asked grants nothing and is not asked on every poll.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>

#include "harvest/net/enginegate.h"

namespace zoqa::test {
namespace {

// The store's rules, kept in memory: what the team store's statements compute.
class TMemoryPace : public TSharedPace {
 public:
  std::int64_t Reserve(const std::string& egress, TEngine engine, TPaceKind kind,
                       int intervalMs) override {
    std::lock_guard<std::mutex> lock(lock_);
    ++reservations;
    if (down) return -1;
    std::int64_t now = TickMs();
    auto key = std::make_tuple(egress, engine, kind);
    auto it = next_.find(key);
    std::int64_t slot = it == next_.end() ? now : std::max(it->second + intervalMs, now);
    if (kind == TPaceKind::Page) slot = std::max(slot, holds_[{egress, engine}]);
    next_[key] = slot;
    return slot - now;
  }
  void Hold(const std::string& egress, TEngine engine, int seconds) override {
    std::lock_guard<std::mutex> lock(lock_);
    std::int64_t& until = holds_[{egress, engine}];
    until = std::max<std::int64_t>(until, TickMs() + seconds * 1000LL);
  }
  std::int64_t HeldForMs(const std::string& egress, TEngine engine) override {
    std::lock_guard<std::mutex> lock(lock_);
    return std::max<std::int64_t>(0, holds_[{egress, engine}] - TickMs());
  }

  bool down = false;
  int reservations = 0;

 private:
  std::mutex lock_;
  std::map<std::tuple<std::string, TEngine, TPaceKind>, std::int64_t> next_;
  std::map<std::pair<std::string, TEngine>, std::int64_t> holds_;
};

// Polls `gate` like a harvester until it grants; the TickMs() of the grant.
std::int64_t WaitPage(TEngineGate& gate) {
  while (!gate.AskPage()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return TickMs();
}

TEST(SharedGateTest, GatesOnOneEgressKeepTheIntervalTogetherAndOtherEgressesDoNot) {
  auto pace = std::make_shared<TMemoryPace>();
  constexpr int kInterval = 200;
  TEngineGate a(kInterval, 0), b(kInterval, 0), other(kInterval, 0);
  a.Share(pace, "office", egBaidu);
  b.Share(pace, "office", egBaidu);
  other.Share(pace, "10.0.0.9:8080", egBaidu);
  std::vector<std::int64_t> grants;
  for (int i = 0; i < 3; ++i) {
    grants.push_back(WaitPage(a));
    grants.push_back(WaitPage(b));
  }
  std::sort(grants.begin(), grants.end());
  // The reserved slots are the interval apart; a grant comes at or after its slot.
  for (std::size_t i = 1; i < grants.size(); ++i) EXPECT_GE(grants[i] - grants[i - 1], 150);
  std::int64_t start = TickMs();
  WaitPage(other);
  EXPECT_LT(TickMs() - start, 150);  // another address has a pace of its own
}

TEST(SharedGateTest, AVerificationAnswerHoldsEveryGateOnTheEgress) {
  auto pace = std::make_shared<TMemoryPace>();
  TEngineGate a(0, 0), b(0, 0), sogou(0, 0);
  a.Share(pace, "office", egBaidu);
  b.Share(pace, "office", egBaidu);
  sogou.Share(pace, "office", egSogou);
  EXPECT_EQ(a.VerificationPage(60), 60);
  EXPECT_TRUE(b.BackingOff());
  EXPECT_FALSE(b.AskPage());  // its slot lies after the hold
  EXPECT_FALSE(sogou.BackingOff());
  EXPECT_TRUE(sogou.AskPage());
  EXPECT_TRUE(b.AskCrawl());  // the hold is for result pages only
}

TEST(SharedGateTest, AStoreThatCannotBeAskedGrantsNothingAndIsAskedOnceASecond) {
  auto pace = std::make_shared<TMemoryPace>();
  pace->down = true;
  TEngineGate gate(0, 0);
  gate.Share(pace, "office", egBaidu);
  for (int i = 0; i < 50; ++i) EXPECT_FALSE(gate.AskPage());
  EXPECT_EQ(pace->reservations, 1);
  gate.Share(nullptr, "", egBaidu);  // back to the gate's own pace
  EXPECT_TRUE(gate.AskPage());
}

}  // namespace
}  // namespace zoqa::test
