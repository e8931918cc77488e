#include "app/maincontroller.h"

#include <ctime>

#include "app/teamtaskcontroller.h"
#include "harvest/net/proxypool.h"
#include "store/keyfold.h"
#include "util/codepage.h"
#include "util/msgbox.h"
#include "util/textutil.h"

namespace zoqa {

const char kStartBtn[] = "startbtn";
const char kStopBtn[] = "stopbtn";

namespace {

const char kHintTitle[] = "温馨提示：";
const char kHintText[] = "关键词可以是地区+产品，比如：广州 电子公司 或 上海 网络公司";
const char kPaused[] = "任务已暂停...";

}  // namespace

std::string FormatKeyDate(std::int64_t seconds) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm parts{};
  if (gmtime_r(&t, &parts) == nullptr) return {};
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
  return text;
}

TMainController::TMainController(TView& view) : view_(view) {
  keyList_ = std::make_unique<TKeyListInfo>();
  keyList_->OnKeyAdded = [this](TKeyListInfo&, TKeyData& key) { KeyAdded(key); };
  keyList_->OnCompaniesLoaded = [this](TKeyListInfo&, const std::string& keyword) {
    CompaniesLoaded(keyword);
  };
  keyList_->OnCompanyAdded = [this](TKeyListInfo&, const std::string& keyword,
                                    const TCompany& company) {
    CompanyAdded(keyword, company, true);
  };
  keyList_->OnCompanyTakenIn = [this](TKeyListInfo&, const std::string& keyword,
                                      const TCompany& company) {
    CompanyAdded(keyword, company, false);
  };
  // The team store's connection lost: what is read meanwhile waits in memory until it is back.
  keyList_->OnStoreLost = [this](TKeyListInfo&, bool lost) {
    view_.SetStatusBar(lost ? Cp936("数据库连接中断，正在重试…") : std::string());
  };
  // Deletes made on other machines show here as if made here.
  keyList_->OnCompaniesChanged = [this](TKeyListInfo&, const std::string& keyword) {
    RefreshKeyCount(keyword);
    if (keyword == currentKey_) FillGrid(keyword);
    ShowTotal();
  };
  keyList_->OnKeyRemoved = [this](TKeyListInfo&, const std::string& keyword) {
    RemoveKeyword(keyword);
  };
  keyList_->LoadKeys();
  if (keyList_->Backend().Shared()) StartTeam();
}

TMainController::~TMainController() {
  EndTeamWork([] {});
  // No report reaches this object from here on; running harvesters end by themselves.
  CloseLink();
  for (auto& [ctl, holder] : controllers_) ctl->OnEngineDone = nullptr;
}

// ---- harvesting reports

void TMainController::HarvestMessage(const THarvestMessage& message) {
  try {
    if (FromDroppedTask(message.Task)) return;
    switch (message.Kind) {
      case hkCompany:
        HarvestCompany(*message.Company);
        break;
      case hkStatus:
        HarvestStatus(*message.Info);
        break;
      case hkPageDone:
        HarvestPageDone(*message.Info);
        break;
      case hkCrawlStatus:
        view_.SetStatusBar(*message.Text);
        break;
    }
  } catch (...) {
    // A report that fails (a database error included) ends its own handling only.
  }
}

std::string TMainController::CompanyText(const TCompany& company) {
  // Result titles may carry the engine's highlighting; the name is shown as the grid shows it.
  return Cp936("获取[") + keyList_->StripTags(company.GetName()) + Cp936("]成功！");
}

void TMainController::HarvestCompany(const TCompany& company) {
  std::string text = CompanyText(company);
  if (company.KeyWord == currentKey_) {
    view_.SetTipText(text);
  } else {
    keyList_->SetStatusText(company.KeyWord, text);
  }
  keyList_->AddCompany(company.KeyWord, company);
}

void TMainController::HarvestStatus(const THarvestProgress& info) {
  if (info.KeyWord == currentKey_) {
    view_.SetTipText(info.StatusText);
  } else {
    keyList_->SetStatusText(info.KeyWord, info.StatusText);
  }
}

void TMainController::HarvestPageDone(const THarvestProgress& info) {
  int engine = eg360;
  if (info.EngineName == Cp936("百度")) engine = egBaidu;
  if (info.EngineName == Cp936("搜狗")) engine = egSogou;
  if (!keyList_->SetLastPage(info.KeyWord, info.PagesDone, engine)) StopTask(info.KeyWord, true);
}

// Tasks of a keyword that was deleted or cleared belong to a keyword that is gone, even when
// a keyword of the same name was added since: they were stopped, and what they still report
// (a transfer under way may end long after) is dropped, so nothing of it reaches a new keyword.
bool TMainController::FromDroppedTask(std::uint64_t task) {
  return task != 0 && droppedTasks_.count(task) != 0;
}

void TMainController::DropTasks(const std::string& keyword) {
  std::string folded = FoldKeyCase(keyword);
  for (auto it = taskKeys_.begin(); it != taskKeys_.end();) {
    if (keyword.empty() || FoldKeyCase(it->second) == folded) {
      droppedTasks_.insert(it->first);
      it = taskKeys_.erase(it);
    } else {
      ++it;
    }
  }
  // A held harvester never reports by itself: each task is stopped here. A controller whose
  // harvesters have all ended goes now; the others at their end reports.
  for (auto it = controllers_.begin(); it != controllers_.end();) {
    TTaskCtl* ctl = it->first;
    if (droppedTasks_.count(ctl->Serial()) == 0) {
      ++it;
      continue;
    }
    bool running = ctl->HasRunning();
    ctl->Stop();
    it = running ? std::next(it) : controllers_.erase(it);
  }
}

// ---- store events and end reports

void TMainController::KeyAdded(TKeyData& key) {
  view_.ClearGrid();
  itemStyles_[key.KeyStr] = kStartBtn;
  view_.AddKeyItem(key.KeyStr, std::to_string(key.ListCount) + Cp936("条"),
                   Cp936("最后更新：") + FormatKeyDate(key.AddDate));
  ShowTotal();
}

// The grid shows the selected keyword only: a load that another command started (a start, an
// export) leaves what is on show alone.
void TMainController::CompaniesLoaded(const std::string& keyword) {
  if (keyList_->FindKey(keyword) == nullptr) return;
  bool onShow = keyword == currentKey_;
  view_.ShowLoading(false);
  std::uint8_t action = keyList_->TakePendingAction(keyword);
  if (onShow) FillGrid(keyword);
  if (action == paStart) StartSearch(keyword);
  if (action == paExport) BeginExport(keyword);
}

void TMainController::CompanyAdded(const std::string& keyword, const TCompany& company, bool here) {
  view_.CompanyStored(keyword, company);
  RefreshKeyCount(keyword);
  if (keyword != currentKey_) return;
  if (here) {
    view_.AppendGridRow(company);
  } else {
    view_.AppendOthersGridRow(company);
  }
  ShowTotal();
  view_.SetRecordCountLabel(Cp936("共 ") + std::to_string(view_.GridRowCount()) + Cp936(" 条记录"));
}

void TMainController::EngineDone(TTaskCtl& ctl, int engine, std::int32_t page,
                                 const std::string& keyword) {
  // The page a task of a deleted or cleared keyword reached belongs to no keyword in the store.
  bool cleared = droppedTasks_.count(ctl.Serial()) != 0;
  if (!cleared) {
    RefreshKeyItem(keyword, 0, true, kStartBtn);
    keyList_->SaveLastPageByKeyword(keyword, page, engine);
    AnnounceEnd(ctl, keyword);
  }
  // A controller detached from its keyword is let go once its last harvester ended.
  auto it = controllers_.find(&ctl);
  if (it == controllers_.end() || ctl.HasRunning()) return;
  TKeyData* key = keyList_->FindKey(ctl.KeyWord);
  if (cleared || key == nullptr || key->TaskCtl != &ctl) controllers_.erase(it);
}

// ---- task commands

void TMainController::StartSearch(const std::string& keyword) {
  TKeyData* key = keyList_->RequestLoaded(keyword, paStart);
  if (key == nullptr) return;
  if (team_) return TeamStart(*key);
  if (key->TaskCtl != nullptr && key->TaskCtl->HasRunning()) {
    key->TaskCtl->Pause(false);
  } else {
    if (key->TaskCtl == nullptr) {
      auto ctl = TTaskCtl::Create(view_.EngineChecked(egBaidu), view_.EngineChecked(egSogou),
                                  view_.EngineChecked(eg360), this, keyword);
      key->TaskCtl = ctl.get();
      controllers_[ctl.get()] = ctl;
      taskKeys_[ctl->Serial()] = key->KeyStr;
    }
    TTaskCtl& ctl = *key->TaskCtl;
    ctl.RunBaidu = view_.EngineChecked(egBaidu);
    ctl.RunSogou = view_.EngineChecked(egSogou);
    ctl.Run360 = view_.EngineChecked(eg360);
    ctl.BaiduStartPage = key->LastPage;
    ctl.SogouStartPage = key->SgLastPage;
    ctl.S360StartPage = key->S360LastPage;
    // A run counts its own pages without a new company: a keyword that dried up on one
    // engine is not ended by the first page another engine brings.
    key->IdlePages = 0;
    ctl.Start();
    ctl.OnEngineDone = [this](TTaskCtl& c, int engine, std::int32_t page, const std::string& k) {
      EngineDone(c, engine, page, k);
    };
  }
  RefreshKeyItem(keyword, 0, true, kStopBtn);
  // A new run starts without the notes and the last status line of the previous one.
  idleTips_.erase(key->KeyStr);
  key->StatusText.clear();
  view_.SetItemNote(keyword, "");
  if (keyword == currentKey_) ShowTaskTip(*key);
}

// Only a task with a running harvester can be paused: anything else would show a state the
// task is not in. Pausing needs no companies, so a load under way does not hold it up.
void TMainController::PauseTask(const std::string& keyword) {
  if (keyword.empty()) return;
  TKeyData* key = keyList_->FindKey(keyword);
  if (key != nullptr && team_) return TeamPause(*key);
  if (key == nullptr || key->TaskCtl == nullptr || !key->TaskCtl->HasRunning()) return;
  key->TaskCtl->Pause(true);
  SetKeyItemStatus(keyword, Cp936(kPaused), true, kStartBtn, 0);
  view_.SetItemNote(keyword, "");
  view_.SetStatusBar(Cp936("[") + key->KeyStr + Cp936("]搜索任务已暂停"));
  idleTips_[key->KeyStr] = Cp936(kPaused);
  if (keyword == currentKey_) ShowTaskTip(*key);
}

// A start needs an engine to search with; resuming a paused task does not.
bool TMainController::CanStart(const std::string& keyword) {
  // A malformed proxies pool would send the searches the wrong way: none starts.
  std::string poolError = ProxyPoolError();
  if (!poolError.empty()) {
    view_.ShowMsg(Cp936("代理设置有误，搜索不能开始：") + Utf8ToCp936(poolError), Cp936("提示"),
                  mkError);
    return false;
  }
  TKeyData* key = keyList_->FindKey(keyword);
  if (key != nullptr && key->TaskCtl != nullptr && key->TaskCtl->HasRunning()) return true;
  for (int engine : {egBaidu, egSogou, eg360}) {
    if (view_.EngineChecked(engine)) return true;
  }
  view_.ShowMsg(Cp936("请至少选择一个信息来源！"), Cp936("提示"), mkInformation);
  return false;
}

// Once the last harvester of a keyword's task has ended, its item, the status line and, for
// the keyword on show, the tip say so.
void TMainController::AnnounceEnd(const TTaskCtl& ctl, const std::string& keyword) {
  if (ctl.HasRunning()) return;
  TKeyData* key = keyList_->FindKey(keyword);
  if (key == nullptr || (key->TaskCtl != nullptr && key->TaskCtl->HasRunning())) return;
  idleTips_[key->KeyStr] = Cp936(kHintText);
  view_.SetItemNote(keyword, Cp936("任务已结束"));
  view_.SetStatusBar(Cp936("[") + keyword + Cp936("]搜索任务已结束"));
  if (keyword == currentKey_) ShowTaskTip(*key);
}

void TMainController::ShowTaskTip(const TKeyData& key) {
  if (key.TaskCtl == nullptr) {
    view_.SetTip(Cp936(kHintTitle), Cp936(kHintText));
  } else if (auto idle = idleTips_.find(key.KeyStr); idle != idleTips_.end()) {
    view_.SetTip(Cp936(kHintTitle), idle->second);
  } else {
    view_.SetTip(Cp936("正在搜索"),
                 key.StatusText.empty() ? Cp936("正在搜索中...") : key.StatusText);
  }
}

void TMainController::StopTask(const std::string& keyword, bool withStatus) {
  if (keyword.empty()) return;
  TKeyData* key = keyList_->RequestLoaded(keyword, paStop);
  if (key == nullptr) return;
  if (team_) return TeamStop(*key);
  if (key->TaskCtl != nullptr) {
    bool running = key->TaskCtl->HasRunning();
    key->TaskCtl->Stop();
    // Without a running harvester no end report will come to make the item startable again.
    if (!running) {
      RefreshKeyItem(keyword, 0, true, kStartBtn);
    } else if (withStatus) {
      SetKeyItemStatus(keyword, Cp936("正在停止任务..."), false, kStopBtn, 0);
    }
  }
  Detach(key->TaskCtl);
  key->TaskCtl = nullptr;
}

// The controller stays alive through its harvesters' end reports; a controller without a
// running harvester goes at once.
void TMainController::Detach(TTaskCtl* ctl) {
  if (ctl == nullptr) return;
  auto it = controllers_.find(ctl);
  if (it != controllers_.end()) controllers_.erase(it);
}

bool TMainController::DeleteKeyword(const std::string& keyword) {
  int answer = view_.ShowMsg(Cp936("确定要删除关键词 [") + keyword + Cp936("] 吗?"), Cp936("提示"),
                             mkQuestion);
  if (answer == kMsgCancel) return false;
  RemoveKeyword(keyword);
  return true;
}

void TMainController::RemoveKeyword(const std::string& keyword) {
  StopTask(keyword, true);
  DropTasks(keyword);
  // The grid lets go of the keyword's records before the store frees them.
  TKeyData* key = keyList_->FindKey(keyword);
  bool onShow = key != nullptr && key == keyList_->FindKey(currentKey_);
  if (onShow) view_.ClearGrid();
  keyList_->DeleteKey(keyword);
  if (onShow) ClearSelection();
  ShowTotal();
  view_.RemoveKeyItem(keyword);
  itemStyles_.erase(keyword);
}

void TMainController::BeginExport(const std::string& keyword) {
  if (keyList_->FindKey(keyword) == nullptr) {
    view_.ShowMsg(Cp936("请先在左侧选择一个关键词！"), Cp936("提示"), mkInformation);
    return;
  }
  TKeyData* key = keyList_->RequestLoaded(keyword, paExport);
  if (key == nullptr) {
    view_.ShowLoading(true);
  } else if (keyList_->CountCompanies(keyword) == 0) {
    // Nothing to write: say so before the user picks fields and a file.
    view_.ShowMsg(Cp936("没有可导出的记录"), Cp936("提示"), mkInformation);
  } else {
    view_.OpenExportSelection(keyword);
  }
}

bool TMainController::AddTask(const std::string& entryText) {
  std::string keyword = Trim(entryText);
  if (keyword.empty()) {
    view_.ShowMsg(Cp936("关键词不能为空！"), Cp936("提示"), mkInformation);
    return false;
  }
  // The engines take no longer keyword: the rest would be cut off or refused.
  if (keyword.size() > kMaxKeywordBytes) {
    view_.ShowMsg(Cp936("关键词太长：最多38个汉字或76个字母、数字！"), Cp936("提示"),
                  mkInformation);
    return false;
  }
  view_.HideBackground();
  bool existed = keyList_->FindKey(keyword) != nullptr;
  TKeyData* key = keyList_->AddKey(keyword);
  if (key == nullptr) {
    view_.ShowMsg(Cp936("任务添加失败！"), Cp936("提示"), mkInformation);
    return false;
  }
  // The store finds keywords whatever their letter case; the task runs under the stored
  // spelling, which every later report and page save is matched against. The list and the
  // grid show that keyword, new or found, so that nothing on screen belongs to another.
  keyword = key->KeyStr;
  view_.SelectKeyItem(keyword);
  SelectKeyword(keyword);
  // The entry is ready for the next keyword.
  view_.ShowEntry("");
  const std::string choices = "\r\n      点[确定]按钮立即搜索 \r\n      点[取消]继续添加任务";
  if (existed && ItemStyle(keyword) != kStartBtn) {
    view_.ShowMsg(Cp936("关键词[") + keyword + Cp936("]已存在，已为您选中。"), Cp936("提示"),
                  mkInformation);
    return true;
  }
  std::string question = existed
                             ? Cp936("关键词[") + keyword + Cp936("]已存在，已为您选中：" + choices)
                             : Cp936("任务已添加成功：" + choices);
  int answer = view_.ShowMsg(question, Cp936("提示"), mkQuestion);
  if (answer != kMsgCancel && CanStart(keyword)) StartSearch(keyword);
  return true;
}

// Exports the keyword on show, which the list highlights; without one, asks for one.
void TMainController::ExportButton() {
  BeginExport(currentKey_);
}

void TMainController::ClearHistory() {
  int answer = view_.ShowMsg(Cp936("清空会将所有搜索到的结果删除，确定要清空已搜索的历史记录吗？"),
                             Cp936("提示"), mkQuestion);
  if (answer == kMsgCancel) return;
  // The grid lets go of the records before the store frees them. Every task is stopped,
  // paused ones too; their controllers wait here for their end reports.
  view_.ClearGrid();
  DropTasks("");
  for (const auto& key : keyList_->Keys()) key->TaskCtl = nullptr;
  keyList_->ClearAll();
  view_.RemoveAllKeyItems();
  itemStyles_.clear();
  ClearSelection();
  ShowTotal();
}

// The keyword on show has left the store: nothing on screen names it any more.
void TMainController::ClearSelection() {
  currentKey_.clear();
  view_.ShowEntry("");
  view_.ShowLoading(false);
  view_.SetStatusBar("");
  view_.SetTip(Cp936(kHintTitle), Cp936(kHintText));
}

void TMainController::SelectKeyword(const std::string& keyword) {
  view_.ClearGrid();
  view_.ShowEntry(keyword);
  view_.HideBackground();
  view_.ShowLoading(true);
  currentKey_ = keyword;
  keyList_->LoadCompanies(keyword);
  TKeyData* key = keyList_->FindKey(keyword);
  if (key == nullptr) return;
  view_.SetStatusBar(Cp936("当前已选择[") + keyword + "]");
  ShowTaskTip(*key);
}

void TMainController::KeyButtonClick(const std::string& keyword, int tag) {
  try {
    if (tag == 0) {
      if (ItemStyle(keyword) == kStartBtn) {
        if (!CanStart(keyword)) return;
        // What is started is shown: its item, its companies and its progress in the tip.
        if (keyword != currentKey_) {
          view_.SelectKeyItem(keyword);
          SelectKeyword(keyword);
        }
        StartSearch(keyword);
      } else {
        view_.ShowTaskMenu(keyword);
      }
    } else if (tag == 1) {
      DeleteKeyword(keyword);
    } else if (tag == 4) {
      BeginExport(keyword);
    }
  } catch (...) {
    // A failing item command leaves the item as it was.
  }
}

void TMainController::DeleteCompany(const TCompany& company) {
  int answer = view_.ShowMsg(Cp936("确定要删除 [") + company.GetName() + Cp936("]？"),
                             Cp936("提示"), mkQuestion);
  if (answer == kMsgCancel || company.ListId.empty()) return;
  std::string listId = company.ListId;
  const int shown = view_.GridRowCount();
  bool counted = keyList_->DeleteCompany(currentKey_, listId);
  RefreshKeyCount(currentKey_);
  // Exactly this row went: the grid takes it out and keeps the rest. Otherwise (the delete
  // failed, other machines changed the keyword, the grid does not hold the row) it reads its
  // rows anew.
  TKeyData* key = keyList_->FindKey(currentKey_);
  if (counted && key != nullptr && key->ListCount == shown - 1 && view_.RemoveGridRow(listId)) {
    ShowTotal();
    view_.SetRecordCountLabel(Cp936("共 ") + std::to_string(view_.GridRowCount()) +
                              Cp936(" 条记录"));
    return;
  }
  view_.ClearGrid();
  keyList_->LoadCompanies(currentKey_);
}

}  // namespace zoqa
