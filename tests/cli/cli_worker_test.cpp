// Workers of the team store's task queue as separate zoqa-cli processes against the loopback
// world: a killed worker's task is taken over from its saved page, workers on one egress keep
// Baidu's page interval together, a pause from another process reaches the worker within a
// heartbeat, and SIGTERM hands the tasks back. The engines keep their real pace (Baidu pages
// 2 s apart, Sogou 3 s), so every world is small.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "clirunfixture.h"
#include "support/pgtestdb.h"
#include "support/silentlistener.h"

namespace zoqa::test {
namespace {

using ::testing::HasSubstr;

class CliWorkerTest : public CliRunTest {
 protected:
  void SetUp() override {
    if (!pg.Available()) GTEST_SKIP() << PgTestDb::SkipReason();
  }

  void Settings(int leaseSeconds) {
    WriteFileBytes(home.File("zqclient.cfg"), Cfg(leaseSeconds, "default"));
    ASSERT_EQ(Run({"store", "init"}).ExitCode, 0);
  }

  std::string Cfg(int leaseSeconds, const std::string& egress) const {
    return "[net]\nProxy=" + world.ProxyAddress() + "\nEgress=" + egress +
           "\n[store]\nUrl=" + pg.Url() + "\nLeaseSeconds=" + std::to_string(leaseSeconds) + "\n";
  }

  // Baidu result page i links the company site hosts[i]; later pages have no result.
  void Baidu(const std::string& keyword, const std::vector<std::string>& hosts) {
    world.RouteFn("www.baidu.com", SearchPrefix(egBaidu, keyword), [hosts](const TWorldRequest& r) {
      std::size_t page = static_cast<std::size_t>(PageIndex(egBaidu, r.Target));
      if (page >= hosts.size()) return TWorldResponse::Page(BaiduResultPage({}, {}));
      return TWorldResponse::Page(BaiduResultPage({}, {{"公司", "http://" + hosts[page] + "/"}}));
    });
  }

  void Sogou(const std::string& keyword) {
    world.RouteFn("www.sogou.com", SearchPrefix(egSogou, keyword),
                  [](const TWorldRequest&) { return TWorldResponse::Page(LinkResultPage({})); });
  }

  // zoqa-cli in the test's own program directory.
  std::unique_ptr<QProcess> Start(const std::vector<std::string>& args) {
    return CliRunTest::Start(home, args);
  }
  TRun Run(const std::vector<std::string>& args) { return Finish(*Start(args)); }

  // Polls `sql` until it gives `want`; false after `timeoutMs`.
  bool WaitFor(const std::string& sql, const std::string& want, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 100) {
      if (pg.Query(sql) == want) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  PgTestDb pg;
  TempDir home;
};

TEST_F(CliWorkerTest, TasksAreStartedPausedStoppedAndListed) {
  Settings(60);
  EXPECT_THAT(Run({"start", "--engines", "baidu,sogou", "甲", "乙"}).Out,
              HasSubstr("4 tasks ready"));
  EXPECT_THAT(Run({"pause", "--engines", "sogou", "甲"}).Out, HasSubstr("1 tasks paused"));
  EXPECT_THAT(Run({"pause", "甲"}).Out, HasSubstr("1 tasks paused"));
  EXPECT_THAT(Run({"stop", "乙"}).Out, HasSubstr("2 tasks stopped"));
  TRun unknown = Run({"pause", "甲", "丙"});
  EXPECT_NE(unknown.ExitCode, 0);
  EXPECT_THAT(unknown.Err, HasSubstr("丙"));
  EXPECT_EQ(pg.Query("select string_agg(state, ',' order by keyid, engine) from tbl_task"),
            "paused,paused,done,done");
  TRun list = Run({"tasks", "--json"});
  ASSERT_EQ(list.ExitCode, 0) << list.Err;
  QJsonArray tasks = QJsonDocument::fromJson(QByteArray::fromStdString(list.Out)).array();
  ASSERT_EQ(tasks.size(), 4);
  QJsonObject first = tasks[0].toObject();
  EXPECT_EQ(first["keyword"].toString(), "甲");
  EXPECT_EQ(first["engine"].toString(), "baidu");
  EXPECT_EQ(first["state"].toString(), "paused");
  EXPECT_TRUE(first["owner"].isNull());
  EXPECT_EQ(first["attempts"].toInt(), 0);
  EXPECT_THAT(Run({"tasks"}).Out, HasSubstr("乙\tsogou\tdone\t-\t-\t0\t0\t"));
  // Without a team store the task commands say what they need.
  TempDir local;
  TRun noStore = Finish(*Start({"--home", local.Path(), "tasks"}));
  EXPECT_EQ(noStore.ExitCode, 2);
  EXPECT_THAT(noStore.Err, HasSubstr("team store"));
}

TEST_F(CliWorkerTest, AKilledWorkersTaskIsTakenOverFromItsSavedPage) {
  Settings(2);
  std::vector<std::string> hosts;
  for (int i = 0; i < 4; ++i) {
    hosts.push_back("www.takeover" + std::to_string(i) + ".com");
    AddSite(hosts.back(), "接管" + std::to_string(i) + "有限公司",
            "1380000000" + std::to_string(i));
  }
  Baidu("接管 测试", hosts);
  ASSERT_EQ(Run({"start", "--engines", "baidu", "接管 测试"}).ExitCode, 0);
  auto first = Start({"worker", "--name", "first", "--until-idle"});
  ASSERT_TRUE(WaitFor("select page >= 2 from tbl_task", "t", 60000));
  first->kill();
  first->waitForFinished();
  std::int64_t killedAt = SteadyMs();
  int saved = std::stoi(pg.Query("select page from tbl_task"));
  TRun second = Run({"worker", "--name", "second", "--until-idle"});
  ASSERT_EQ(second.ExitCode, 0) << second.Err;
  std::vector<TWorldRequest> after;
  for (const auto& r : world.Requests({"www.baidu.com", SearchPrefix(egBaidu, "接管 测试")})) {
    if (r.AtMs > killedAt) after.push_back(r);
  }
  ASSERT_FALSE(after.empty());
  EXPECT_EQ(PageIndex(egBaidu, after[0].Target), saved);
  // Within the lease and a claim poll, with room for a slow machine.
  EXPECT_LT(after[0].AtMs - killedAt, 2000 + 1000 + 6000);
  EXPECT_EQ(pg.Query("select count(*) from tbl_list"), "4");
  EXPECT_EQ(pg.Query("select state || ' ' || attempts || coalesce(owner, '-') from tbl_task"),
            "done 2-");
}

TEST_F(CliWorkerTest, WorkersOnOneEgressKeepBaidusPageIntervalTogetherAndOnThreeTripleIt) {
  Settings(60);
  const std::vector<std::string> keywords{"节奏 一", "节奏 二", "节奏 三"};
  for (const std::string& keyword : keywords) Baidu(keyword, {});
  // Three machines on one egress, then three on egresses of their own, 9 s each.
  std::vector<TempDir> homes(3);
  for (bool shared : {true, false}) {
    std::vector<std::string> start{"start", "--engines", "baidu"};
    start.insert(start.end(), keywords.begin(), keywords.end());
    ASSERT_EQ(Run(start).ExitCode, 0);
    std::int64_t since = SteadyMs();
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int i = 0; i < 3; ++i) {
      std::string egress = shared ? "office" : "line" + std::to_string(i);
      WriteFileBytes(homes[i].File("zqclient.cfg"), Cfg(60, egress));
      workers.push_back(Start({"--home", homes[i].Path(), "worker", "--name",
                               egress + std::to_string(i), "--max-seconds", "9"}));
    }
    for (auto& worker : workers) EXPECT_EQ(Finish(*worker).ExitCode, 0);
    std::vector<TWorldRequest> pages;
    for (const auto& r : world.Requests({"www.baidu.com", "/s?"})) {
      if (r.AtMs >= since) pages.push_back(r);
    }
    if (shared) {
      EXPECT_GE(pages.size(), 3u);
      EXPECT_LE(pages.size(), 7u);
      for (std::size_t i = 1; i < pages.size(); ++i) {
        EXPECT_GE(pages[i].AtMs - pages[i - 1].AtMs, 1500) << i;
      }
    } else {
      EXPECT_GE(pages.size(), 10u);  // each task to its end by the stop rule: 4 pages
    }
  }
  // Each task went on from the page its first worker reached.
  EXPECT_EQ(pg.Query("select count(*) from tbl_task where state = 'done' and page >= 4"), "3");
}

TEST_F(CliWorkerTest, APauseReachesTheWorkerWithinAHeartbeatAndSigtermHandsTasksBack) {
  Settings(3);  // a renewal every second
  AddSite("www.drain0.com", "排空有限公司", "13900000000");
  Baidu("排空 测试", {"www.drain0.com"});
  Sogou("暂停 测试");
  ASSERT_EQ(Run({"start", "--engines", "baidu", "排空 测试"}).ExitCode, 0);
  ASSERT_EQ(Run({"start", "--engines", "sogou", "暂停 测试"}).ExitCode, 0);
  auto worker = Start({"worker", "--name", "w1"});
  ASSERT_TRUE(WaitFor("select count(*) from tbl_task where owner = 'w1'", "2", 30000));
  ASSERT_TRUE(world.WaitForCount({"www.sogou.com", "/web?"}, 1, 30000));
  ASSERT_EQ(Run({"pause", "暂停 测试"}).ExitCode, 0);
  // One heartbeat, the harvester's end and the hand-back, with room for a slow machine.
  EXPECT_TRUE(WaitFor("select state || coalesce(owner, '-') from tbl_task where engine = 'sogou'",
                      "paused-", 5000));
  EXPECT_EQ(pg.Query("select state || owner from tbl_task where engine = 'baidu'"), "leasedw1");
  worker->terminate();
  TRun drained = Finish(*worker, 20000);
  EXPECT_EQ(drained.ExitCode, 0) << drained.Err;
  EXPECT_EQ(pg.Query("select state || coalesce(owner, '-') from tbl_task where engine = 'baidu'"),
            "ready-");
  int asked = world.Count({"www.baidu.com", SearchPrefix(egBaidu, "排空 测试")});
  int page = std::stoi(pg.Query("select page from tbl_task where engine = 'baidu'"));
  EXPECT_TRUE(page == asked || page == asked - 1) << page << " of " << asked;
  EXPECT_EQ(pg.Query("select lastpage from tbl_key k join tbl_task t on t.keyid = k.id "
                     "where t.engine = 'baidu'"),
            std::to_string(page));
}

// SIGTERM while the worker connects to a store that never answers ends it within seconds,
// not after connect_timeout (10 s), as a drain with nothing held ends.
TEST(CliWorkerQuit, SigtermWhileTheStoreDoesNotAnswerEndsTheWorkerWithinSeconds) {
  TSilentListener silent;
  TempDir home;
  WriteFileBytes(home.File("zqclient.cfg"), "[store]\nUrl=" + silent.StoreUrl() + "\n");
  QProcess worker;
  worker.start(QString::fromUtf8(ZOQA_CLI_PATH),
               {"--home", QString::fromStdString(home.Path()), "worker"});
  ASSERT_TRUE(worker.waitForStarted(30000));
  for (int waited = 0; !silent.Pending() && waited < 10000; waited += 50) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(silent.Pending());
  std::this_thread::sleep_for(std::chrono::seconds(1));
  auto begun = std::chrono::steady_clock::now();
  worker.terminate();
  ASSERT_TRUE(worker.waitForFinished(20000));
  EXPECT_LT(std::chrono::steady_clock::now() - begun, std::chrono::seconds(5));
  EXPECT_EQ(worker.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(worker.exitCode(), 0) << worker.readAllStandardError().toStdString();
}

}  // namespace
}  // namespace zoqa::test
