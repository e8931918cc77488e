// Shared set-up of the engine tests: a loopback world that every HTTP client of the engine
// reaches as its proxy, a recording sink on the main thread, a program directory of its own,
// and a tear-down that stops every worker and waits for all of them to end.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "harvest/net/enginegate.h"
#include "harvest/base/enginesettings.h"
#include "harvest/harvester.h"
#include "harvest/net/httpclient.h"
#include "harvest/net/workerthread.h"
#include "platform/appdir.h"
#include "support/harvestrecorder.h"
#include "support/loopbackworld.h"
#include "support/testsupport.h"
#include "support/webpages.h"
#include "util/codepage.h"

namespace zoqa::test {

// The gate intervals of a new process.
inline void RestoreDefaultGates() {
  TEngineGate::For(egBaidu).SetIntervals(2000, 1000);
  TEngineGate::For(egSogou).SetIntervals(3000, 2000);
  TEngineGate::For(eg360).SetIntervals(3000, 2000);
}

// Short gates for tests that are not about spacing.
inline void FastGates(int pageMs = 150, int crawlMs = 10) {
  for (TEngine e : {egBaidu, egSogou, eg360}) TEngineGate::For(e).SetIntervals(pageMs, crawlMs);
}

class HarvestTest : public ::testing::Test {
 protected:
  HarvestTest() {
    EnsureHarvestApp();
    SetAppDirOverride(dir.Path());
    TEngineSettings settings;
    settings.Proxy = world.ProxyAddress();
    SetEngineSettings(settings);
  }

  void TearDown() override {
    StopEverything();
    RestoreDefaultGates();
    SetEngineSettings(TEngineSettings{});
    SetAppDirOverride("");
  }

  // Asks every harvester to stop, lets go of held connections and waits until every worker
  // has ended, delivering their reports meanwhile.
  void StopEverything() {
    for (auto& h : harvesters) h->Terminate();
    world.ReleaseHeld();
    bool ended = TWorkerThread::WaitAllEnded(30000, [] { PumpEvents(); });
    if (!ended) {
      StopAllWorkers();
      TWorkerThread::WaitAllEnded(10000, [] { PumpEvents(); });
    }
    EXPECT_TRUE(ended) << "workers still running at the end of the test";
    PumpEvents(20);  // end notifications queued last
    harvesters.clear();
  }

  std::shared_ptr<THarvester> Start(TEngine engine, const std::string& keyWordUtf8,
                                    int startPage = 0) {
    auto h =
        THarvester::Start(engine, sink.Link(), Cp936(keyWordUtf8), startPage, sink.EndHandler());
    harvesters.push_back(h);
    return h;
  }

  static std::string Utf8(const std::string& cp936) { return Cp936ToUtf8(cp936); }

  // When the gates granted, as the reports sent right after a grant show it: the status line
  // "正在获取搜索结果..." of a harvester of `engineName` follows each page grant, and a
  // crawler's first status line (with its link, which must contain `linkPart`) follows its
  // start. The reports are closer to the grants than the requests that follow them, whose
  // arrival also depends on how long the request takes to set up.
  std::vector<std::int64_t> PageGrants(const std::string& engineNameUtf8) const {
    std::vector<std::int64_t> at;
    for (const auto& r : sink.Reports(hkStatus)) {
      if (Utf8(r.Info.EngineName) == engineNameUtf8 &&
          Utf8(r.Info.StatusText) == "正在获取搜索结果...") {
        at.push_back(r.AtMs);
      }
    }
    return at;
  }
  std::vector<std::int64_t> CrawlerStarts(const std::string& linkPart) const {
    std::vector<std::int64_t> at;
    for (const auto& r : sink.Reports(hkCrawlStatus)) {
      std::string text = Utf8(r.Text);
      if (text.rfind("正在进入企业网站:", 0) == 0 && text.find(linkPart) != std::string::npos) {
        at.push_back(r.AtMs);
      }
    }
    return at;
  }
  static std::vector<std::int64_t> ArrivalTimes(const std::vector<TWorldRequest>& log) {
    std::vector<std::int64_t> at;
    for (const auto& r : log) at.push_back(r.AtMs);
    return at;
  }
  // Expects consecutive times at least `minMs` apart.
  static void ExpectSpaced(const std::vector<std::int64_t>& times, std::int64_t minMs,
                           const std::string& what) {
    for (std::size_t i = 1; i < times.size(); ++i) {
      EXPECT_GE(times[i] - times[i - 1], minMs) << what << " " << i;
    }
  }
  // Makes the process's first request, whose one-time set-up would delay a measured one.
  void WarmUp() {
    world.Route("www.warm-up.com", "/", TWorldResponse::Page("ok"));
    THttpClient http;
    std::string body;
    http.Get("http://www.warm-up.com/", body);
  }

  TempDir dir;
  TLoopbackWorld world;
  TRecordingSink sink;
  std::vector<std::shared_ptr<THarvester>> harvesters;
};

}  // namespace zoqa::test
