// The task queue and the shared pace against a real PostgreSQL server: concurrent claims take
// each task once, a worker that lost its lease writes nothing, pause and stop reach the
// holder, repeated failures fail the task, and reservations of several machines on one
// egress are spaced by the interval.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <thread>

#include "harvest/net/enginegate.h"
#include "store/pgconnection.h"
#include "store/pgschema.h"
#include "store/pgsharedpace.h"
#include "store/pgtaskqueue.h"
#include "support/pgtestdb.h"

namespace zoqa::test {
namespace {

// A fresh store with `keys` keywords k1, k2, ... and their ids.
std::vector<std::string> MakeStore(const PgTestDb& db, int keys) {
  TPgConnection connection{TStoreUrl(db.Url())};
  InitPgSchema(connection);
  connection.Exec(
      "insert into tbl_key(keystr, keyfold, lastpage) select 'k' || g, 'k' || g, 3 from "
      "generate_series(1, $1::integer) g",
      {std::to_string(keys)});
  std::vector<std::string> ids;
  TPgResult rows = connection.Exec("select id from tbl_key order by id");
  for (int r = 0; r < rows.Rows(); ++r) ids.push_back(rows.Text(r, 0));
  return ids;
}

TEST(PgTaskQueueTest, EightWorkersClaimTwoThousandTasksEachOnce) {
  PgTestDb db;
  ZOQA_REQUIRE_PG(db);
  std::vector<std::string> keys = MakeStore(db, 2000);
  TStoreUrl url(db.Url());
  EXPECT_EQ(TPgTaskQueue(url, "admin", 60).Start(keys, {egBaidu}), 2000);
  std::mutex mutex;
  std::multiset<std::string> claimed;
  std::vector<std::thread> workers;
  for (int w = 0; w < 8; ++w) {
    workers.emplace_back([&, w] {
      TPgTaskQueue queue(url, "w" + std::to_string(w), 60);
      for (;;) {
        auto leases = queue.Claim(egBaidu, 7, {});
        if (leases.empty()) break;
        std::lock_guard<std::mutex> lock(mutex);
        for (const auto& lease : leases) claimed.insert(lease.TaskId);
      }
    });
  }
  for (auto& worker : workers) worker.join();
  EXPECT_EQ(claimed.size(), 2000u);
  EXPECT_EQ(std::set<std::string>(claimed.begin(), claimed.end()).size(), 2000u);
  EXPECT_EQ(db.Query("select count(*) from tbl_task where state = 'leased' and attempts = 1"),
            "2000");
}

TEST(PgTaskQueueTest, AWorkerPastItsLeaseWritesNothingOnceAnotherTookOver) {
  PgTestDb db;
  ZOQA_REQUIRE_PG(db);
  std::vector<std::string> keys = MakeStore(db, 1);
  TStoreUrl url(db.Url());
  TPgTaskQueue slow(url, "slow", 1);
  TPgTaskQueue fast(url, "fast", 60);
  slow.Start(keys, {egSogou});
  auto first = slow.Claim(egSogou, 5, {});
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].Page, 0);  // the keyword's Sogou page, not Baidu's
  EXPECT_TRUE(slow.SavePage(first[0], 4));
  EXPECT_TRUE(fast.Claim(egSogou, 5, {}).empty());  // held
  std::this_thread::sleep_for(std::chrono::milliseconds(1300));
  // Ran out, not yet taken: still nothing the slow worker may write.
  EXPECT_FALSE(slow.SavePage(first[0], 5));
  auto second = fast.Claim(egSogou, 5, {});
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].Page, 4);
  EXPECT_EQ(second[0].Attempt, first[0].Attempt + 1);
  EXPECT_FALSE(slow.SavePage(first[0], 9));
  EXPECT_FALSE(slow.Finish(first[0], 9));
  EXPECT_FALSE(slow.Release(first[0], 9, "late"));
  EXPECT_EQ(slow.Renew(first).at(first[0].TaskId), TLeaseState::Lost);
  EXPECT_EQ(fast.Renew(second).at(second[0].TaskId), TLeaseState::Held);
  EXPECT_TRUE(fast.Finish(second[0], 6));
  EXPECT_EQ(db.Query("select state || page || coalesce(owner, '-') from tbl_task"), "done6-");
  EXPECT_EQ(db.Query("select sglastpage || '/' || lastpage from tbl_key"), "6/3");
}

TEST(PgTaskQueueTest, PauseAndStopReachTheHolderAndStartMakesTasksReadyAgain) {
  PgTestDb db;
  ZOQA_REQUIRE_PG(db);
  std::vector<std::string> keys = MakeStore(db, 2);
  TStoreUrl url(db.Url());
  TPgTaskQueue queue(url, "w", 60);
  EXPECT_EQ(queue.Start(keys, {egBaidu, eg360}), 4);
  auto leases = queue.Claim(egBaidu, 5, {keys[0]});
  ASSERT_EQ(leases.size(), 1u);
  EXPECT_EQ(leases[0].Page, 3);
  EXPECT_EQ(queue.Pause({keys[0]}, {egBaidu, egSogou, eg360}),
            2);  // the leased Baidu task and the ready 360 one
  EXPECT_EQ(queue.Renew(leases).at(leases[0].TaskId), TLeaseState::Withdrawn);
  EXPECT_TRUE(queue.SavePage(leases[0], 7));
  EXPECT_TRUE(queue.Release(leases[0], 8, ""));
  EXPECT_TRUE(queue.Claim(egBaidu, 5, {keys[0]}).empty());
  EXPECT_EQ(queue.Start({keys[0]}, {egBaidu}), 1);
  auto again = queue.Claim(egBaidu, 5, {});
  ASSERT_EQ(again.size(), 2u);  // keyword 1 resumed at its page, and keyword 2
  auto resumed = again[0].KeyId == keys[0] ? again[0] : again[1];
  EXPECT_EQ(resumed.Page, 8);
  EXPECT_EQ(queue.Stop(keys, {eg360}), 2);
  EXPECT_EQ(queue.Stop(keys, {egBaidu}), 2);
  EXPECT_FALSE(queue.AnyOpen(keys));
  auto rows = queue.List();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].Keyword, "k1");
  EXPECT_EQ(rows[0].Engine, egBaidu);
  EXPECT_EQ(rows[0].Owner, "w");
  EXPECT_EQ(rows[0].Attempts, 2);
  EXPECT_EQ(rows[1].Engine, eg360);
  EXPECT_TRUE(rows[1].Owner.empty() && rows[1].LeaseEnd.empty());
}

TEST(PgTaskQueueTest, FiveFailuresInARowFailTheTaskWithItsLastError) {
  PgTestDb db;
  ZOQA_REQUIRE_PG(db);
  std::vector<std::string> keys = MakeStore(db, 1);
  TPgTaskQueue queue(TStoreUrl(db.Url()), "w", 60);
  queue.Start(keys, {egBaidu});
  for (int i = 1; i <= kTaskFailureLimit; ++i) {
    auto leases = queue.Claim(egBaidu, 1, {});
    ASSERT_EQ(leases.size(), 1u) << i;
    // Progress on the second attempt starts the count again.
    if (i == 2) {
      EXPECT_TRUE(queue.SavePage(leases[0], 4));
    }
    EXPECT_TRUE(queue.Release(leases[0], 4, "error " + std::to_string(i)));
  }
  EXPECT_EQ(db.Query("select state || ' ' || failures from tbl_task"), "ready 4");
  auto last = queue.Claim(egBaidu, 1, {});
  ASSERT_EQ(last.size(), 1u);
  EXPECT_TRUE(queue.Release(last[0], 4, "error 6"));
  EXPECT_EQ(db.Query("select state || ' ' || last_error from tbl_task"), "failed error 6");
  EXPECT_TRUE(queue.Claim(egBaidu, 1, {}).empty());
}

TEST(PgSharedPaceTest, MachinesOnOneEgressShareTheIntervalAndTheHold) {
  PgTestDb db;
  ZOQA_REQUIRE_PG(db);
  MakeStore(db, 0);
  constexpr int kInterval = 150;
  std::mutex mutex;
  std::vector<std::int64_t> slots;
  std::vector<std::thread> machines;
  for (int m = 0; m < 3; ++m) {
    machines.emplace_back([&] {
      TPgSharedPace pace{TStoreUrl(db.Url())};
      for (int i = 0; i < 5; ++i) {
        std::int64_t wait = pace.Reserve("office", egBaidu, TPaceKind::Page, kInterval);
        ASSERT_GE(wait, 0);
        std::lock_guard<std::mutex> lock(mutex);
        slots.push_back(TickMs() + wait);
      }
    });
  }
  for (auto& machine : machines) machine.join();
  std::sort(slots.begin(), slots.end());
  // Each slot is measured after its statement returned: allow for that delay.
  for (std::size_t i = 1; i < slots.size(); ++i) {
    EXPECT_GE(slots[i] - slots[i - 1], kInterval - 60);
  }
  TPgSharedPace pace{TStoreUrl(db.Url())};
  EXPECT_LT(pace.Reserve("home", egBaidu, TPaceKind::Page, kInterval), 50);  // its own egress
  pace.Hold("home", egBaidu, 3);
  EXPECT_GT(pace.HeldForMs("home", egBaidu), 2000);
  EXPECT_EQ(pace.HeldForMs("home", egSogou), 0);
  EXPECT_GT(pace.Reserve("home", egBaidu, TPaceKind::Page, kInterval), 2000);
  EXPECT_LT(pace.Reserve("home", egBaidu, TPaceKind::Crawl, kInterval), 50);
  TPgSharedPace unreachable{TStoreUrl("postgresql://zoqa@127.0.0.1:1/none?connect_timeout=2")};
  EXPECT_EQ(unreachable.Reserve("home", egBaidu, TPaceKind::Page, kInterval), -1);
}

}  // namespace
}  // namespace zoqa::test
