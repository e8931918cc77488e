// The controller on the team store: a keyword's start, pause and stop set its task states in
// the store instead of running harvesters here, each item follows its tasks' states and
// holders, and the program's own worker reports as a local harvest does.
#include "app/maincontroller.h"

#include "app/teamtaskcontroller.h"
#include "app/teamworkersetup.h"
#include "harvest/base/enginesettings.h"
#include "harvest/net/proxypool.h"
#include "store/storechoice.h"
#include "util/codepage.h"

namespace zoqa {

void TMainController::StartTeam() {
  TStoreUrl url(ChosenStoreUrl());
  // A malformed proxies pool would send the worker's searches the wrong way: it works only
  // with a sound one.
  bool workHere = TeamWorkHere() && ProxyPoolError().empty();
  if (workHere) {
    auto settings = EngineSettings();
    ShareTeamGates(url, settings ? settings->Egress : std::string("default"));
  }
  team_ = std::make_unique<TTeamTaskController>(url, workHere, DefaultWorkerName());
  team_->OnKeyTasks = [this](const TKeyTasks& tasks) { TeamKeyTasks(tasks); };
  team_->OnStatus = [this](const std::string& keyword, const std::string& text) {
    THarvestProgress info;
    info.KeyWord = keyword;
    info.StatusText = text;
    HarvestStatus(info);
  };
  team_->OnCompany = [this](const std::string& keyword, const TCompany& company) {
    TeamCompany(keyword, company);
  };
  team_->OnStoreLost = [this](bool lost) {
    view_.SetStatusBar(lost ? Cp936("数据库连接中断，正在重试…") : std::string());
  };
}

void TMainController::EndTeamWork(const std::function<void()>& pump) {
  if (!team_) return;
  team_->EndWork(pump);
  team_.reset();
  ReleaseTeamGates();
}

void TMainController::TeamStart(TKeyData& key) {
  std::vector<int> engines;
  for (int engine : {egBaidu, egSogou, eg360}) {
    if (view_.EngineChecked(engine)) engines.push_back(engine);
  }
  if (engines.empty()) return;
  team_->Start(key.Id, engines);
  RefreshKeyItem(key.KeyStr, 0, true, kStopBtn);
  key.StatusText.clear();
}

void TMainController::TeamPause(TKeyData& key) {
  team_->Pause(key.Id);
  SetKeyItemStatus(key.KeyStr, Cp936("任务已暂停..."), true, kStartBtn, 0);
  view_.SetStatusBar(Cp936("[") + key.KeyStr + Cp936("]搜索任务已暂停"));
}

void TMainController::TeamStop(TKeyData& key) {
  team_->Stop(key.Id);
  RefreshKeyItem(key.KeyStr, 0, true, kStartBtn);
}

// The item's start button follows whether the keyword is searched anywhere in the team; its
// note and tooltip say how each engine's task stands and which machine holds it.
void TMainController::TeamKeyTasks(const TKeyTasks& tasks) {
  TKeyData* key = keyList_->FindKey(tasks.Keyword);
  if (key == nullptr) return;
  const char* style = tasks.Open ? kStopBtn : kStartBtn;
  if (ItemStyle(key->KeyStr) != style) RefreshKeyItem(key->KeyStr, 0, true, style);
  view_.SetItemNote(key->KeyStr, tasks.Note);
  view_.SetItemTip(key->KeyStr, tasks.Tip);
}

// The worker has stored the company. A keyword whose companies were asked for takes it in
// through the store's watch of the team's additions; the count of the others follows here.
void TMainController::TeamCompany(const std::string& keyword, const TCompany& company) {
  std::string text = CompanyText(company);
  if (keyword == currentKey_) {
    view_.SetTipText(text);
  } else {
    keyList_->SetStatusText(keyword, text);
  }
  TKeyData* key = keyList_->FindKey(keyword);
  if (key == nullptr || key->Loaded) return;
  ++key->ListCount;
  RefreshKeyCount(key->KeyStr);
  ShowTotal();
}

}  // namespace zoqa
