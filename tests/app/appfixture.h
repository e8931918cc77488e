// Shared set-up of the controller tests: a program directory of its own with a provisioned
// store, a loopback world that every HTTP client of the engine reaches as its proxy, a
// recording view, and a tear-down that waits until every worker and loader has ended.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/maincontroller.h"
#include "harvest/base/enginesettings.h"
#include "harvest/harvester.h"
#include "harvest/net/enginegate.h"
#include "harvest/net/workerthread.h"
#include "platform/appdir.h"
#include "recordingview.h"
#include "store/keylist.h"
#include "store/storefile.h"
#include "support/harvestrecorder.h"
#include "support/loopbackworld.h"
#include "support/storeseed.h"
#include "support/testsupport.h"
#include "support/webpages.h"
#include "util/codepage.h"
#include "util/msgbox.h"

namespace zoqa::test {

inline std::string U8(const std::string& cp936) {
  return Cp936ToUtf8(cp936);
}

// Short gates for tests that are not about spacing; the defaults of a new process after.
inline void SetGates(int pageMs, int crawlMs) {
  for (TEngine e : {egBaidu, egSogou, eg360}) TEngineGate::For(e).SetIntervals(pageMs, crawlMs);
}
inline void RestoreGates() {
  TEngineGate::For(egBaidu).SetIntervals(2000, 1000);
  TEngineGate::For(egSogou).SetIntervals(3000, 2000);
  TEngineGate::For(eg360).SetIntervals(3000, 2000);
}

// True once no harvester or crawler runs and every end notification was handled.
inline bool AllQuiet() {
  return TWorkerThread::Running() == 0 && THarvester::Unreported() == 0;
}

inline bool WaitQuiet(int timeoutMs) {
  return PumpUntil(AllQuiet, timeoutMs);
}

class AppTest : public ::testing::Test {
 protected:
  AppTest() {
    EnsureHarvestApp();
    SetAppDirOverride(dir.Path());
    ProvisionStoreFile();
    TEngineSettings settings;
    settings.Proxy = world.ProxyAddress();
    SetEngineSettings(settings);
    SetGates(100, 10);
  }

  void TearDown() override {
    // Tasks the test left running are stopped as the window stops them.
    if (controller) {
      std::vector<std::string> keywords;
      for (const auto& key : controller->Store().Keys()) keywords.push_back(key->KeyStr);
      for (const auto& keyword : keywords) controller->StopTask(keyword, false);
    }
    world.ReleaseHeld();
    bool quiet = WaitQuiet(30000);
    if (!quiet) {
      StopAllWorkers();
      WaitQuiet(10000);
    }
    EXPECT_TRUE(quiet) << "workers still running at the end of the test";
    controller.reset();
    RestoreGates();
    SetEngineSettings(TEngineSettings{});
    SetAppDirOverride("");
  }

  // Opens the controller on the program directory; the calls of the opening are recorded.
  TMainController& Open() {
    controller = std::make_unique<TMainController>(view);
    return *controller;
  }

  TKeyListInfo& Store() { return controller->Store(); }
  TKeyData* Key(const std::string& keywordUtf8) { return Store().FindKey(Cp936(keywordUtf8)); }

  // Pumps until the keyword's companies are in memory (its load has run and was handed over).
  bool WaitLoaded(const std::string& keywordUtf8, int timeoutMs = 20000) {
    return PumpUntil(
        [&] {
          TKeyData* key = Key(keywordUtf8);
          return key != nullptr && key->Loaded && key->PendingAction == paNone;
        },
        timeoutMs);
  }

  // Stores keywords and companies before the controller opens, as an earlier run left them.
  void Seed(const std::vector<std::pair<std::string, std::vector<std::string>>>& keywords) {
    SeedStore(keywords);
  }

  static TCompany MakeCompany(const std::string& keywordUtf8, const std::string& nameUtf8,
                              const std::string& mobile) {
    return test::MakeCompany(keywordUtf8, nameUtf8, mobile);
  }

  // Reports as harvesters and crawlers send them.
  void ReportCompany(const TCompany& company) {
    THarvestMessage m;
    m.Kind = hkCompany;
    m.Company = &company;
    controller->HarvestMessage(m);
  }
  void ReportCompany(const std::string& keywordUtf8, const std::string& nameUtf8,
                     const std::string& mobile = "13912345678") {
    ReportCompany(MakeCompany(keywordUtf8, nameUtf8, mobile));
  }
  void ReportStatus(const std::string& keywordUtf8, const std::string& textUtf8) {
    THarvestProgress info;
    info.KeyWord = Cp936(keywordUtf8);
    info.StatusText = Cp936(textUtf8);
    info.EngineName = Cp936("百度");
    THarvestMessage m;
    m.Kind = hkStatus;
    m.Info = &info;
    controller->HarvestMessage(m);
  }
  void ReportPage(const std::string& keywordUtf8, const std::string& engineUtf8, int pagesDone) {
    THarvestProgress info;
    info.KeyWord = Cp936(keywordUtf8);
    info.PagesDone = pagesDone;
    info.EngineName = Cp936(engineUtf8);
    THarvestMessage m;
    m.Kind = hkPageDone;
    m.Info = &info;
    controller->HarvestMessage(m);
  }
  void ReportCrawlStatus(const std::string& textUtf8) {
    std::string text = Cp936(textUtf8);
    THarvestMessage m;
    m.Kind = hkCrawlStatus;
    m.Text = &text;
    controller->HarvestMessage(m);
  }

  // The first column of the first row of `sql` on the store's connection.
  std::string Single(const std::string& sql) {
    auto table = Store().Manager().Database().Query(sql);
    return table.RowCount() ? table.TextOrEmptyAt(0) : "(no row)";
  }

  // "最后更新：" and the keyword's date as the item shows it.
  std::string DateLine(const std::string& keywordUtf8) {
    return "最后更新：" + FormatKeyDate(Key(keywordUtf8)->AddDate);
  }

  // Search requests the world has seen for an engine's search host.
  int Searches(const std::string& host, const std::string& pathPrefix) const {
    return world.Count({host, pathPrefix});
  }

  // Harvesters that run and report nothing but status lines: Baidu and 360 are answered with
  // pages that are no result pages and ask again; Sogou gives up on its first failed page.
  void QuietEngines() {
    world.RoutePrefix("www.baidu.com", "/s?", TWorldResponse::Page("<html>busy</html>"));
    world.RoutePrefix("www.so.com", "/s?", TWorldResponse::Page("gone", 404));
    world.RoutePrefix("www.sogou.com", "/web?", TWorldResponse::Page("gone", 404));
  }

  TempDir dir;
  TLoopbackWorld world;
  TRecordingView view;
  std::unique_ptr<TMainController> controller;
};

}  // namespace zoqa::test
